#include "app/summary_view.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QStringList>
#include <cmath>

#include "analysis/phase_format.h"
#include "analysis/summary_format.h"
#include "app/analysis_texts.h"
#include "app/language.h"
#include "readout/journal.h"

namespace cellwatch {

QString kindText(RecordingKind kind) {
    switch (kind) {
        case RecordingKind::Charge:
            return SummaryView::tr("charge");
        case RecordingKind::Discharge:
            return SummaryView::tr("discharge");
        case RecordingKind::Mixed:
            break;
    }
    return SummaryView::tr("mixed");
}

std::vector<SummaryLine> summaryLines(const RecordingSummaryValues& s) {
    QStringList cells;
    for (const double v : s.cellsLastV) {
        cells << fixed(v, 2);
    }
    return {
        {QStringLiteral("start"), SummaryView::tr("start"),
         s.start.isValid() ? isoTimeWithOffset(s.start) : SummaryView::tr("(not recorded)")},
        {QStringLiteral("battery"), SummaryView::tr("battery"), s.battery},
        {QStringLiteral("kind"), SummaryView::tr("kind"), kindText(s.kind)},
        {QStringLiteral("rows"), SummaryView::tr("rows"), QString::number(s.rows)},
        {QStringLiteral("duration"), SummaryView::tr("duration"), durationText(s.durationS)},
        {QStringLiteral("capacity"), SummaryView::tr("capacity"),
         plain(s.capacityMah) + QStringLiteral(" mAh")},
        {QStringLiteral("energy"), SummaryView::tr("energy"), fixed(s.energyWh, 4) + " Wh"},
        {QStringLiteral("current"), SummaryView::tr("current"),
         SummaryView::tr("mean %1 A, largest %2 A")
             .arg(fixed(s.currentAvgA, 2), fixed(s.currentMaxA, 2))},
        {QStringLiteral("voltage"), SummaryView::tr("voltage"),
         SummaryView::tr("first %1 V, last %2 V, highest %3 V")
             .arg(fixed(s.voltageFirstV, 2), fixed(s.voltageLastV, 2), fixed(s.voltageMaxV, 2))},
        {QStringLiteral("temperature"), SummaryView::tr("temperature"),
         SummaryView::tr("external up to %1 °C, internal up to %2 °C")
             .arg(plain(s.tempExtMaxC), plain(s.tempIntMaxC))},
        {QStringLiteral("cells"), SummaryView::tr("cells"),
         s.cells == 0 ? SummaryView::tr("none")
                      : SummaryView::tr("%1 (last %2 V)").arg(s.cells).arg(cells.join(u' '))},
        {QStringLiteral("largest spread"), SummaryView::tr("largest spread"),
         SummaryView::tr("%1 V at %2")
             .arg(fixed(s.cellSpreadMaxV, 3), durationText(s.cellSpreadMaxAtS))},
        {QStringLiteral("pack"), SummaryView::tr("pack"),
         s.pack.isEmpty() ? SummaryView::tr("(none)") : s.pack},
        {QStringLiteral("note"), SummaryView::tr("note"), oneLine(s.note)},
    };
}

std::vector<SummaryLine> analysisLines(const RecordingPhases& phases,
                                       const std::vector<ResistanceEstimate>& resistance) {
    std::vector<SummaryLine> out;
    int n = 0;
    for (const Phase& p : phases.phases) {
        if (++n > kShownPhases) {
            const auto more =
                static_cast<qint64>(phases.phases.size() + phases.omitted) - kShownPhases;
            out.push_back(
                {QStringLiteral("more phases"), SummaryView::tr("more phases"),
                 SummaryView::tr("%1 more (cellwatch-report lists every one)").arg(more)});
            break;
        }
        out.push_back({QStringLiteral("phase %1").arg(n), SummaryView::tr("phase %1").arg(n),
                       shown::phaseDescription(p)});
    }
    if (const QString e = shown::efficiencyDescription(phases.totals); !e.isEmpty()) {
        out.push_back({QStringLiteral("efficiency"), SummaryView::tr("efficiency"), e});
    }
    if (const QString r = shown::resistanceMedianText(resistance); !r.isEmpty()) {
        out.push_back({QStringLiteral("resistance"), SummaryView::tr("resistance"), r});
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

void SummaryView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        refresh();
        refreshAnalysis();
    }
    QWidget::changeEvent(event);
}

// One full-width line each under the two columns; labels are made as more
// lines come and hidden when fewer do.
void SummaryView::setReportedResistance(ReportedResistance reported) {
    reported_ = std::move(reported);
    refreshAnalysis();
}

void SummaryView::refreshAnalysis() {
    analysisLines_ = analysisLines(phases_, resistance_);
    if (const QString r = shown::reportedResistanceText(reported_); !r.isEmpty()) {
        analysisLines_.push_back(
            {QStringLiteral("charger resistance"), tr("charger resistance"), r});
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
    lines_ = summaryLines(summary_);
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
