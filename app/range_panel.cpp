#include "app/range_panel.h"

#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "app/captions.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "chart/range_cursors.h"
#include "readout/table_export.h"

namespace cellwatch {
namespace {

constexpr Phrase kExportRange = {QT_TRANSLATE_NOOP("Captions", "Export range…")};
constexpr Phrase kRangeHeads[3] = {{QT_TRANSLATE_NOOP("Captions", "Δt")},
                                   {QT_TRANSLATE_NOOP("Captions", "ΔmAh")},
                                   {QT_TRANSLATE_NOOP("Captions", "Wh")}};
// Across phases: what the charge and the discharge phases of the span came to.
constexpr Phrase kCharged = {QT_TRANSLATE_NOOP("Captions", "Charged")};
constexpr Phrase kDischarged = {QT_TRANSLATE_NOOP("Captions", "Discharged")};
constexpr Phrase kFigures[5] = {{QT_TRANSLATE_NOOP("Captions", "at A")},
                                {QT_TRANSLATE_NOOP("Captions", "at B")},
                                {QT_TRANSLATE_NOOP("Captions", "min")},
                                {QT_TRANSLATE_NOOP("Captions", "max")},
                                {QT_TRANSLATE_NOOP("Captions", "mean")}};
constexpr Phrase kQuantities[kRangeQuantityCount] = {
    {QT_TRANSLATE_NOOP("Captions", "Voltage(V)")},
    {QT_TRANSLATE_NOOP("Captions", "Current(A)")},
    {QT_TRANSLATE_NOOP("Captions", "External(℃)")},
    {QT_TRANSLATE_NOOP("Captions", "Inner(℃)")},
    {QT_TRANSLATE_NOOP("Captions", "Cell spread(V)")}};
// Decimals of each quantity's figures.
constexpr int kDecimals[kRangeQuantityCount] = {2, 2, 1, 1, 3};
// What a range export did (%1 rows, %2 the file).
constexpr Phrase kExportedRangeRows = {
    QT_TRANSLATE_NOOP("Captions", "Exported the range's %1 rows to %2")};
constexpr Phrase kExportedRangeRow = {
    QT_TRANSLATE_NOOP("Captions", "Exported the range's %1 row to %2")};
constexpr Phrase kNoRange = {
    QT_TRANSLATE_NOOP("Captions", "There are no rows between the cursors")};

const QString kDash = QStringLiteral("–");
constexpr Phrase kCellHeads[3] = {{QT_TRANSLATE_NOOP("Captions", "min")},
                                  {QT_TRANSLATE_NOOP("Captions", "max")},
                                  {QT_TRANSLATE_NOOP("Captions", "end")}};
constexpr Phrase kCellName = {QT_TRANSLATE_NOOP("Captions", "Cell %1")};

QString rangeNumber(double value, int decimals) {
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : kDash;
}

// Seconds as [-]H:mm:ss.
QString duration(double seconds) {
    if (!std::isfinite(seconds)) {
        return kDash;
    }
    const qint64 s = qRound64(std::fabs(seconds));
    return QStringLiteral("%1%2:%3:%4")
        .arg(seconds < 0 && s != 0 ? QStringLiteral("-") : QString())
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

// --- the panel -----------------------------------------------------------------------------

RangePanel::RangePanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("rangePanel"));
    setFrameShape(QFrame::StyledPanel);
    // As tall as its figures and no taller: the chart above keeps the rest.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 5);
    grid_ = new QLabel(this);
    grid_->setObjectName(QStringLiteral("rangeFigures"));
    grid_->setTextFormat(Qt::RichText);
    grid_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    export_ = new QPushButton(this);
    export_->setObjectName(QStringLiteral("ExportRange"));
    connect(export_, &QPushButton::clicked, this, &RangePanel::exportRequested);
    row->addWidget(grid_, 1);
    row->addWidget(export_, 0, Qt::AlignTop);
    retranslate();
    setVisible(false);
}

void RangePanel::setColumns(std::vector<RangeColumn> columns) {
    columns_ = std::move(columns);
    refresh();
}

void RangePanel::retranslate() {
    export_->setText(kExportRange.text());
    refresh();
}

QString RangePanel::headText(std::size_t column, int which) const {
    if (column >= columns_.size() || !columns_[column].statistics || which < 0 || which > 6) {
        return kDash;
    }
    const RangeStatistics& s = *columns_[column].statistics;
    switch (which) {
        case 0:
            return duration(s.deltaSeconds);
        case 1:
            return rangeNumber(s.deltaMah, 0);
        case 2:
            return rangeNumber(s.energyWh, 3);
        case 3:
            return rangeNumber(s.chargedMah, 0);
        case 4:
            return rangeNumber(s.chargedWh, 3);
        case 5:
            return rangeNumber(s.dischargedMah, 0);
        default:
            return rangeNumber(s.dischargedWh, 3);
    }
}

QString RangePanel::headLine(std::size_t column) const {
    const bool across = column < columns_.size() && columns_[column].statistics &&
                        columns_[column].statistics->acrossPhases;
    QString heads = kRangeHeads[0].text() + u' ' + headText(column, 0) + QStringLiteral("   ");
    if (!across) {
        for (int which = 1; which < 3; ++which) {
            heads +=
                kRangeHeads[which].text() + u' ' + headText(column, which) + QStringLiteral("   ");
        }
        return heads.trimmed();
    }
    // The counter starts again at a turn: its difference means nothing.
    const std::pair<const Phrase*, int> parts[2] = {{&kCharged, 3}, {&kDischarged, 5}};
    for (const auto& [name, which] : parts) {
        heads += name->text() + u' ' + headText(column, which) + QStringLiteral(" mAh ") +
                 headText(column, which + 1) + QStringLiteral(" Wh   ");
    }
    return heads.trimmed();
}

QString RangePanel::valueText(std::size_t column, RangeQuantity quantity,
                              RangeFigure figure) const {
    if (column >= columns_.size() || !columns_[column].statistics) {
        return kDash;
    }
    const RangeValues& v = columns_[column].statistics->of(quantity);
    const double values[5] = {v.atA, v.atB, v.min, v.max, v.mean};
    const auto q = static_cast<std::size_t>(quantity);
    return rangeNumber(values[static_cast<std::size_t>(figure)], kDecimals[q]);
}

void RangePanel::refresh() {
    // One table: a row of heads, then a row per quantity; every recording
    // a block of five cells.
    QString html = QStringLiteral("<table cellspacing='0' cellpadding='0'>");
    const auto cell = [](const QString& text, bool right = true) {
        return QStringLiteral("<td align='%1'>&nbsp;%2&nbsp;</td>")
            .arg(right ? QStringLiteral("right") : QStringLiteral("left"), text.toHtmlEscaped());
    };
    const bool named = columns_.size() > 1 || (columns_.size() == 1 && !columns_[0].name.isEmpty());
    if (named) {
        html += QStringLiteral("<tr><td></td>");
        for (const RangeColumn& c : columns_) {
            html += QStringLiteral(
                        "<td colspan='5' align='center'>&nbsp;&nbsp;<b>%1</b>&nbsp;&nbsp;</td>")
                        .arg(c.name.toHtmlEscaped());
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("<tr><td></td>");
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        html += QStringLiteral("<td colspan='5'>%1</td>")
                    .arg(headLine(c).toHtmlEscaped().replace(u' ', QStringLiteral("&nbsp;")));
    }
    html += QStringLiteral("</tr><tr>") + cell(QString(), false);
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        for (const Phrase& figure : kFigures) {
            html += cell(figure.text());
        }
    }
    html += QStringLiteral("</tr>");
    for (std::size_t q = 0; q < kRangeQuantityCount; ++q) {
        html += QStringLiteral("<tr>") + cell(kQuantities[q].text(), false);
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            for (int f = 0; f < 5; ++f) {
                html +=
                    cell(valueText(c, static_cast<RangeQuantity>(q), static_cast<RangeFigure>(f)));
            }
        }
        html += QStringLiteral("</tr>");
    }
    if (!cellSpans_.empty()) {
        // min, max and end of each cell, under the min and max columns
        // (and the end under "at B", where the span ends).
        html += QStringLiteral("<tr>") + cell(QString(), false);
        for (const Phrase& head : kCellHeads) {
            html += cell(head.text());
        }
        html += QStringLiteral("</tr>");
        for (std::size_t c = 0; c < cellSpans_.size(); ++c) {
            const int i = static_cast<int>(c);
            html += QStringLiteral("<tr>") +
                    cell(kCellName.text().arg(c + 1) +
                             (cellMillivolts_ ? QStringLiteral("(mV)") : QStringLiteral("(V)")),
                         false) +
                    cell(cellText(i, RangeFigure::Min)) + cell(cellText(i, RangeFigure::Max)) +
                    cell(cellText(i, RangeFigure::AtB)) + QStringLiteral("</tr>");
        }
    }
    html += QStringLiteral("</table>");
    grid_->setText(html);
}

void RangePanel::setCellSpans(std::vector<CellSpanValues> spans, bool millivolts) {
    cellSpans_ = std::move(spans);
    cellMillivolts_ = millivolts;
    refresh();
}

QString RangePanel::cellText(int cell, RangeFigure figure) const {
    if (cell < 0 || static_cast<std::size_t>(cell) >= cellSpans_.size()) {
        return kDash;
    }
    const CellSpanValues& v = cellSpans_[static_cast<std::size_t>(cell)];
    if (!v.present) {
        return kDash;
    }
    const double value = figure == RangeFigure::Min   ? v.min
                         : figure == RangeFigure::Max ? v.max
                                                      : v.end;
    return rangeNumber(value, cellMillivolts_ ? 0 : 3);
}

// --- the tool ------------------------------------------------------------------------------

RangeTool::RangeTool(ChartView& chart, DataTableModel& table, RangePanel& panel,
                     AskSaveFile askSaveFile, std::function<void(const QString&)> status,
                     QObject* parent)
    : QObject(parent),
      chart_(chart),
      table_(table),
      rows_(&table.store()),
      panel_(panel),
      askSaveFile_(std::move(askSaveFile)),
      status_(std::move(status)),
      cursors_(new RangeCursors(chart, this)) {
    throttle_.setSingleShot(true);
    throttle_.setInterval(kLiveThrottleMs);
    connect(&throttle_, &QTimer::timeout, this, &RangeTool::recompute);
    moveThrottle_.setSingleShot(true);
    moveThrottle_.setInterval(kLongSpanThrottleMs);
    connect(&moveThrottle_, &QTimer::timeout, this, &RangeTool::recompute);
    connect(cursors_, &RangeCursors::moved, this, &RangeTool::cursorsMoved);
    // A new recording (or one opened): the rows are others.
    connect(&table_, &QAbstractItemModel::modelReset, this, [this] {
        if (active()) {
            throttle_.start();
        }
    });
    connect(&panel_, &RangePanel::exportRequested, this, [this] {
        try {
            exportRange(QString());
        } catch (const std::exception& failure) {
            status_(QString::fromUtf8(failure.what()));
        }
    });
}

RangeTool::~RangeTool() = default;

void RangeTool::setRows(const RowStore* rows) {
    rows_ = rows != nullptr ? rows : &table_.store();
    if (active()) {
        recompute();
    }
}

bool RangeTool::active() const {
    return cursors_->active();
}

void RangeTool::setActive(bool on) {
    panel_.setVisible(on);
    cursors_->setActive(on);  // on: moved() works the statistics out
    if (!on) {
        throttle_.stop();
        moveThrottle_.stop();
        statistics_.reset();
    }
}

void RangeTool::retranslate() {
    panel_.retranslate();
}

void RangeTool::rowAdded(int gridRow) {
    if (!active() || throttle_.isActive() || gridRow < 1) {
        return;
    }
    // A row after both cursors changes nothing but when they stand right of
    // every point, where the last row is theirs.
    const double x = chart_.pointX(0, static_cast<std::size_t>(gridRow - 1));
    if (x <= std::max(cursors_->x(RangeCursors::A), cursors_->x(RangeCursors::B)) ||
        static_cast<std::size_t>(gridRow) >= chart_.pointCount(0)) {
        throttle_.start();
    }
}

void RangeTool::cursorsMoved() {
    const auto rowA = rangeRowAt(chart_, cursors_->x(RangeCursors::A));
    const auto rowB = rangeRowAt(chart_, cursors_->x(RangeCursors::B));
    const std::size_t span = rowA && rowB ? std::max(*rowA, *rowB) - std::min(*rowA, *rowB) : 0;
    if (span < kLongSpanRows) {
        recompute();
    } else if (!moveThrottle_.isActive()) {
        moveThrottle_.start();
    }
}

void RangeTool::setCompared(const QString& ownName, std::vector<ComparedRows> compared) {
    ownName_ = ownName;
    compared_ = std::move(compared);
    if (active()) {
        recompute();
    }
}

void RangeTool::recompute() {
    throttle_.stop();
    moveThrottle_.stop();
    if (!active()) {
        return;
    }
    ++reckonings_;
    statistics_.reset();
    const auto rowA = rangeRowAt(chart_, cursors_->x(RangeCursors::A));
    const auto rowB = rangeRowAt(chart_, cursors_->x(RangeCursors::B));
    if (rowA && rowB) {
        TableRangeRows rows(*rows_);
        statistics_ = rangeStatistics(rows, *rowA, *rowB);
    }
    std::vector<RangeColumn> columns;
    columns.push_back({compared_.empty() ? QString() : ownName_, statistics_});
    // Each compared recording at the same elapsed times (X is in days).
    const double secondsA = cursors_->x(RangeCursors::A) * 86400;
    const double secondsB = cursors_->x(RangeCursors::B) * 86400;
    for (const ComparedRows& other : compared_) {
        RangeColumn column{other.name, std::nullopt};
        const auto a = rangeRowAtSeconds(other.seconds, secondsA);
        const auto b = rangeRowAtSeconds(other.seconds, secondsB);
        if (a && b && other.table) {
            TableRangeRows rows(other.table->store());
            column.statistics = rangeStatistics(rows, *a, *b);
        }
        columns.push_back(std::move(column));
    }
    panel_.setColumns(std::move(columns));
    emit statisticsChanged();
}

void RangeTool::exportRange(const QString& given) {
    if (!active()) {
        return;
    }
    recompute();
    if (!statistics_) {
        status_(kNoRange.text());
        return;
    }
    QString file = given;
    if (file.isEmpty()) {
        const QString base =
            name_.isEmpty() ? QStringLiteral("cellwatch") : QFileInfo(name_).completeBaseName();
        const QString proposed =
            QFileInfo(defaultExportPath(QDateTime::currentDateTime())).absolutePath() + u'/' +
            base + QStringLiteral("-range.csv");
        file = askSaveFile_(panel_.window(), kExportRange.text(), proposed,
                            {QStringLiteral("CSV file (*.csv)")});
        if (file.isEmpty()) {
            return;
        }
    }
    if (!name_.isEmpty() &&
        QFileInfo(file).absoluteFilePath() == QFileInfo(name_).absoluteFilePath()) {
        throw std::runtime_error("The recording cannot be exported over its own file: " +
                                 QDir::toNativeSeparators(file).toStdString());
    }
    const auto first = static_cast<int>(std::min(statistics_->rowA, statistics_->rowB)) + 1;
    const auto last = static_cast<int>(std::max(statistics_->rowA, statistics_->rowB)) + 1;
    if (exportTableRowsCsv(*rows_, file, first, last)) {
        const int rows = last - first + 1;
        status_((rows == 1 ? kExportedRangeRow : kExportedRangeRows)
                    .text()
                    .arg(groupedCount(rows), QDir::toNativeSeparators(file)));
    }
}

}  // namespace cellwatch
