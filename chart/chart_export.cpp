#include "chart/chart_export.h"

#include <qcustomplot.h>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTemporaryFile>
#include <stdexcept>

#include "chart/chart_view.h"

namespace cellwatch {
namespace {

[[noreturn]] void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

QString suffixOf(const QString& fileName) {
    return QFileInfo(fileName).suffix().toLower();
}

}  // namespace

QStringList chartPictureFilters() {
    return {QStringLiteral("PNG picture (*.png)"), QStringLiteral("JPEG picture (*.jpg *.jpeg)"),
            QStringLiteral("BMP picture (*.bmp)"), QStringLiteral("PDF document (*.pdf)"),
            QStringLiteral("SVG drawing (*.svg)")};
}

void saveChartPicture(ChartView& chart, const QString& fileName) {
    QCustomPlot* plot = chart.plot();
    const int w = plot->width();
    const int h = plot->height();
    const QString suffix = suffixOf(fileName);

    // Write beside the target first and replace it only when complete, so a
    // failed save never leaves half a file or destroys an older one.
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("Cannot write %1: %2").arg(fileName, out.errorString()));
    }
    QTemporaryFile scratch(QFileInfo(fileName).absolutePath() +
                           QStringLiteral("/.cellwatch-XXXXXX.") +
                           (suffix.isEmpty() ? QStringLiteral("png") : suffix));
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(QSize(w, h));
        svg.setViewBox(QRect(0, 0, w, h));
        // Fonts sized in points become pixels at the drawing's resolution;
        // at the screen's, text keeps its on-screen size relative to the
        // chart (the layout was measured on screen).
        svg.setResolution(plot->logicalDpiY());
        svg.setTitle(QStringLiteral("Cellwatch chart"));
        QCPPainter painter(&svg);
        plot->toPainter(&painter, w, h);
        painter.end();
    } else if (suffix == QLatin1String("pdf")) {
        // QCustomPlot writes PDFs to a path; pass it through a scratch file.
        if (!scratch.open()) {
            fail(QStringLiteral("Cannot write %1: %2").arg(fileName, scratch.errorString()));
        }
        scratch.close();
        if (!plot->savePdf(scratch.fileName(), w, h)) {
            fail(QStringLiteral("Cannot write %1").arg(fileName));
        }
        QFile done(scratch.fileName());
        if (!done.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("Cannot write %1: %2").arg(fileName, done.errorString()));
        }
        out.write(done.readAll());
    } else {
        const char* format = "PNG";
        if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
            format = "JPEG";
        } else if (suffix == QLatin1String("bmp")) {
            format = "BMP";
        }
        const QPixmap picture = chart.toPixmap(w, h);
        if (!picture.save(&out, format, format[0] == 'J' ? 95 : -1)) {
            fail(QStringLiteral("Cannot write %1").arg(fileName));
        }
    }
    if (!out.flush()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        fail(QStringLiteral("Cannot write %1: %2").arg(fileName, reason));
    }
    if (!out.commit()) {
        fail(QStringLiteral("Cannot write %1: %2").arg(fileName, out.errorString()));
    }
}

void copyChartPicture(ChartView& chart) {
    QApplication::clipboard()->setPixmap(chart.toPixmap());
}

void printChart(ChartView& chart, QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    QCustomPlot* plot = chart.plot();
    // Drawn at the screen's resolution, so fonts keep their size relative to
    // the chart; the output stays vector graphics.
    printer.setResolution(plot->logicalDpiX());
    const int w = std::max(plot->width(), 1);
    const int h = std::max(plot->height(), 1);
    QCPPainter painter;
    if (!painter.begin(&printer)) {
        fail(QStringLiteral("The printer could not be started."));
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / w, page.height() / h);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.translate((page.width() - w * scale) / 2, (page.height() - h * scale) / 2);
    painter.scale(scale, scale);
    plot->toPainter(&painter, w, h);
    painter.end();
}

}  // namespace cellwatch
