// A recording's chart as a picture with its caption block, drawn by the
// window's own chart (the real plot, offscreen).
#include <qcustomplot.h>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>

#include "analysis/summary_format.h"
#include "chart/alarm_markers.h"
#include "chart/cell_pane.h"
#include "chart/chart_export.h"
#include "chart/chart_view.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/axis_titles.h"
#include "readout/journal.h"
#include "readout/recording.h"
#include "readout/recording_views.h"
#include "readout/row_store.h"
#include "tools/report/report.h"

namespace cellwatch::report {
namespace {

[[noreturn]] void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

RecordingCurves curvesOf(const Recorded& r) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    RecordingCurves c;
    RowNumbers n;
    for (std::size_t row = 0; row < r.rows; ++row) {
        r.store->numbers(static_cast<int>(row) + 1, n);
        c.days.push_back(n.timed ? n.seconds / 86'400.0 : kNaN);
        c.voltage.push_back(n.field[kFieldVoltage]);
        c.current.push_back(std::fabs(n.field[kFieldCurrent]));
        c.capacity.push_back(n.field[kFieldCapacity]);
        c.external.push_back(n.field[kFieldExtTemperature]);
    }
    return c;
}

QStringList captionLines(const Recorded& r) {
    const RecordingSummaryValues& s = r.summary;
    QString file = QFileInfo(r.name).fileName();
    if (!s.pack.isEmpty()) {
        file += QStringLiteral("    Pack %1").arg(s.pack);
    }
    return {
        file,
        QStringLiteral("Start %1    Battery %2    %3    Duration %4")
            .arg(s.start.isValid() ? isoTimeWithOffset(s.start) : QStringLiteral("not recorded"),
                 s.battery, kindName(s.kind), durationText(s.durationS)),
        QStringLiteral("%1 mAh    %2 Wh    Largest cell spread %3 V at %4")
            .arg(QString::number(s.capacityMah), QString::number(s.energyWh, 'f', 2),
                 QString::number(s.cellSpreadMaxV, 'f', 3), durationText(s.cellSpreadMaxAtS)),
    };
}

}  // namespace

void writePicture(const Recorded& recording, const QString& path, QSize size, bool light,
                  std::optional<CellCurveMode> cells) {
    // The window's chart with the recording in it, as File > Open shows it.
    ChartView chart;
    chart.resize(size);
    setChartAxisTitles(chart);
    RowStore table;
    ManualTickClock ticks;
    ManualWallClock wall(QDateTime::currentDateTime());
    Recording shown(table, ticks, wall);
    shown.subscribe(std::make_unique<RecordingChart>(chart));
    shown.resetAxes();
    shown.showCurves(curvesOf(recording),
                     recording.summary.battery + u'/' + kindName(recording.summary.kind));
    AlarmMarkers markers(chart);
    std::vector<AlarmMark> marks;
    for (const AlarmNote& a : recording.alarms) {
        marks.push_back({a.atSeconds < 0 ? 0.0 : static_cast<double>(a.atSeconds), a.kind, a.text});
    }
    markers.setAlarms(std::move(marks));
    CellPane cellPane(chart);
    if (cells) {
        cellPane.setShown(true);
        cellPane.setMode(*cells);
        cellPane.load(recordedRows(recording));
        cellPane.fitValueAxis();
    }
    QCustomPlot& plot = *chart.plot();
    const PaperColours paper(plot, light);
    if (light) {
        cellPane.setLightTheme(true);  // the cells' own colours for white paper
    }
    const PictureLook look{light, captionLines(recording), {}};
    const int w = size.width();
    const int h = size.height();
    const QString suffix = QFileInfo(path).suffix().toLower();

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
    }
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(size);
        svg.setViewBox(QRect(0, 0, w, h));
        svg.setResolution(plot.logicalDpiX());  // text as large as on screen
        svg.setTitle(QFileInfo(recording.name).fileName());
        QCPPainter painter(&svg);
        painter.setMode(QCPPainter::pmVectorized);
        paintPicture(painter, plot, look, w, h);
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&out);
        pdf.setResolution(plot.logicalDpiX());
        pdf.setPageSize(
            QPageSize(QSizeF(w * 72.0 / plot.logicalDpiX(), h * 72.0 / plot.logicalDpiY()),
                      QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QFileInfo(recording.name).fileName());
        QCPPainter painter(&pdf);
        painter.setMode(QCPPainter::pmVectorized);
        paintPicture(painter, plot, look, w, h);
    } else {
        QImage image(size, QImage::Format_RGB32);
        {
            QCPPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            paintPicture(painter, plot, look, w, h);
        }
        if (!image.save(&out, "PNG")) {
            fail(QStringLiteral("cannot write %1").arg(path));
        }
    }
    if (!out.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
    }
}

}  // namespace cellwatch::report
