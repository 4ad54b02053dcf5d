#include "app/summary_view.h"

#include <QGridLayout>
#include <QLabel>
#include <QStringList>
#include <cmath>

#include "analysis/phase_format.h"
#include "analysis/summary_format.h"
#include "app/analysis_texts.h"
#include "readout/journal.h"

namespace cellwatch {

QString kindText(RecordingKind kind, bool chinese) {
    if (!chinese) {
        return kindName(kind);
    }
    switch (kind) {
        case RecordingKind::Charge:
            return QString::fromUtf8("充电");
        case RecordingKind::Discharge:
            return QString::fromUtf8("放电");
        case RecordingKind::Mixed:
            break;
    }
    return QString::fromUtf8("混合");
}

std::vector<SummaryLine> summaryLines(const RecordingSummaryValues& s, bool zh) {
    const auto pick = [zh](const char* chinese, const char* english) {
        return QString::fromUtf8(zh ? chinese : english);
    };
    QStringList cells;
    for (const double v : s.cellsLastV) {
        cells << fixed(v, 2);
    }
    return {
        {QStringLiteral("start"), pick("开始时间", "start"),
         s.start.isValid() ? isoTimeWithOffset(s.start) : pick("（未记录）", "(not recorded)")},
        {QStringLiteral("battery"), pick("电池类型", "battery"), s.battery},
        {QStringLiteral("kind"), pick("种类", "kind"), kindText(s.kind, zh)},
        {QStringLiteral("rows"), pick("行数", "rows"), QString::number(s.rows)},
        {QStringLiteral("duration"), pick("时长", "duration"), durationText(s.durationS)},
        {QStringLiteral("capacity"), pick("容量", "capacity"),
         plain(s.capacityMah) + QStringLiteral(" mAh")},
        {QStringLiteral("energy"), pick("能量", "energy"), fixed(s.energyWh, 4) + " Wh"},
        {QStringLiteral("current"), pick("电流", "current"),
         pick("平均 %1 A，最大 %2 A", "mean %1 A, largest %2 A")
             .arg(fixed(s.currentAvgA, 2), fixed(s.currentMaxA, 2))},
        {QStringLiteral("voltage"), pick("电压", "voltage"),
         pick("开始 %1 V，结束 %2 V，最高 %3 V", "first %1 V, last %2 V, highest %3 V")
             .arg(fixed(s.voltageFirstV, 2), fixed(s.voltageLastV, 2), fixed(s.voltageMaxV, 2))},
        {QStringLiteral("temperature"), pick("温度", "temperature"),
         pick("外部最高 %1 °C，内部最高 %2 °C", "external up to %1 °C, internal up to %2 °C")
             .arg(plain(s.tempExtMaxC), plain(s.tempIntMaxC))},
        {QStringLiteral("cells"), pick("单元", "cells"),
         s.cells == 0
             ? pick("无", "none")
             : pick("%1 节（最后 %2 V）", "%1 (last %2 V)").arg(s.cells).arg(cells.join(u' '))},
        {QStringLiteral("largest spread"), pick("最大压差", "largest spread"),
         pick("%1 V，于 %2", "%1 V at %2")
             .arg(fixed(s.cellSpreadMaxV, 3), durationText(s.cellSpreadMaxAtS))},
        {QStringLiteral("pack"), pick("电池组", "pack"),
         s.pack.isEmpty() ? pick("（无）", "(none)") : s.pack},
        {QStringLiteral("note"), pick("备注", "note"), oneLine(s.note)},
    };
}

std::vector<SummaryLine> analysisLines(const RecordingPhases& phases,
                                       const std::vector<ResistanceEstimate>& resistance, bool zh) {
    std::vector<SummaryLine> out;
    int n = 0;
    for (const Phase& p : phases.phases) {
        if (++n > kShownPhases) {
            const auto more =
                static_cast<qint64>(phases.phases.size() + phases.omitted) - kShownPhases;
            out.push_back({QStringLiteral("more phases"),
                           QString::fromUtf8(zh ? "其余阶段" : "more phases"),
                           QString::fromUtf8(zh ? "另有 %1 个（cellwatch-report 逐一列出）"
                                                : "%1 more (cellwatch-report lists every one)")
                               .arg(more)});
            break;
        }
        out.push_back({QStringLiteral("phase %1").arg(n),
                       QString::fromUtf8(zh ? "阶段 %1" : "phase %1").arg(n),
                       shown::phaseDescription(p)});
    }
    if (const QString e = shown::efficiencyDescription(phases.totals); !e.isEmpty()) {
        out.push_back(
            {QStringLiteral("efficiency"), QString::fromUtf8(zh ? "效率" : "efficiency"), e});
    }
    if (const QString r = shown::resistanceMedianText(resistance); !r.isEmpty()) {
        out.push_back(
            {QStringLiteral("resistance"), QString::fromUtf8(zh ? "内阻" : "resistance"), r});
    }
    return out;
}

SummaryView::SummaryView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("summary"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    // Two columns of seven lines, each a title and a value.
    constexpr int kRowsPerColumn = kSummaryLineCount / 2;
    for (int i = 0; i < kSummaryLineCount; ++i) {
        const auto ui = static_cast<std::size_t>(i);
        names_[ui] = new QLabel(this);
        values_[ui] = new QLabel(this);
        values_[ui]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont bold = values_[ui]->font();
        bold.setBold(true);
        values_[ui]->setFont(bold);
        const int row = i % kRowsPerColumn;
        const int column = i / kRowsPerColumn * 2;
        grid->addWidget(names_[ui], row, column);
        grid->addWidget(values_[ui], row, column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    refresh();
}

void SummaryView::setSummary(const RecordingSummaryValues& summary) {
    summary_ = summary;
    refresh();
}

void SummaryView::setPhases(const RecordingPhases& phases) {
    phases_ = phases;
    refreshAnalysis();
}

void SummaryView::setResistance(std::vector<ResistanceEstimate> resistance) {
    resistance_ = std::move(resistance);
    refreshAnalysis();
}

void SummaryView::setAnalysis(const RecordingAnalysis& analysis) {
    phases_ = analysis.phases;
    resistance_ = analysis.resistance;
    refreshAnalysis();
}

void SummaryView::setLanguage(bool chinese) {
    chinese_ = chinese;
    refresh();
    refreshAnalysis();
}

// One full-width line each under the two columns; labels are made as more
// lines come and hidden when fewer do.
void SummaryView::setReportedResistance(ReportedResistance reported) {
    reported_ = std::move(reported);
    refreshAnalysis();
}

void SummaryView::refreshAnalysis() {
    analysisLines_ = analysisLines(phases_, resistance_, chinese_);
    if (const QString r = shown::reportedResistanceText(reported_); !r.isEmpty()) {
        analysisLines_.push_back(
            {QStringLiteral("charger resistance"),
             QString::fromUtf8(chinese_ ? "充电器测得内阻" : "charger resistance"), r});
    }
    auto* grid = static_cast<QGridLayout*>(layout());
    while (analysisLabels_.size() < analysisLines_.size()) {
        auto* name = new QLabel(this);
        auto* value = new QLabel(this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const int row = kSummaryLineCount / 2 + static_cast<int>(analysisLabels_.size());
        grid->addWidget(name, row, 0);
        grid->addWidget(value, row, 1, 1, 3);
        analysisLabels_.emplace_back(name, value);
    }
    for (std::size_t i = 0; i < analysisLabels_.size(); ++i) {
        const bool used = i < analysisLines_.size();
        auto [name, value] = analysisLabels_[i];
        name->setVisible(used);
        value->setVisible(used);
        if (used) {
            name->setText(analysisLines_[i].name + u':');
            value->setText(analysisLines_[i].value);
            value->setObjectName(QStringLiteral("summary_") + analysisLines_[i].key);
        }
    }
}

void SummaryView::refresh() {
    lines_ = summaryLines(summary_, chinese_);
    for (std::size_t i = 0; i < lines_.size() && i < names_.size(); ++i) {
        names_[i]->setText(lines_[i].name + u':');
        values_[i]->setText(lines_[i].value);
        values_[i]->setObjectName(QStringLiteral("summary_") + lines_[i].key);
    }
}

QString SummaryView::value(const QString& key) const {
    for (const auto* lines : {&lines_, &analysisLines_}) {
        for (const SummaryLine& line : *lines) {
            if (line.key == key) {
                return line.value;
            }
        }
    }
    return {};
}

QString SummaryView::text() const {
    QString out;
    for (const auto* lines : {&lines_, &analysisLines_}) {
        for (const SummaryLine& line : *lines) {
            out += line.name + QStringLiteral(": ") + line.value + u'\n';
        }
    }
    return out;
}

}  // namespace cellwatch
