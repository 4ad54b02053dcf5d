#include "chart/chart_export.h"

#include <qcustomplot.h>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <stdexcept>

#include "chart/cell_pane.h"
#include "chart/chart_view.h"

namespace cellwatch {
namespace {

// The chart panel's own colour (chart_plot.cpp), which the plot does not
// give back once set.
const QColor kScreenPanel(0, 20, 50);

[[noreturn]] void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

QString suffixOf(const QString& fileName) {
    return QFileInfo(fileName).suffix().toLower();
}

// While it lives, the cells pane under `chart` (when shown) has the colours
// it has on white paper; then those of the screen again.
class PaperCells {
public:
    PaperCells(ChartView& chart, bool light)
        : pane_(light ? chart.findChild<CellPane*>(QString(), Qt::FindDirectChildrenOnly)
                      : nullptr) {
        if (pane_ != nullptr && pane_->shown() && !pane_->lightTheme()) {
            pane_->setLightTheme(true);
        } else {
            pane_ = nullptr;
        }
    }
    ~PaperCells() {
        if (pane_ != nullptr) {
            pane_->setLightTheme(false);
        }
    }
    PaperCells(const PaperCells&) = delete;
    PaperCells& operator=(const PaperCells&) = delete;

private:
    CellPane* pane_;
};

}  // namespace

QColor onPaper(const QColor& colour) {
    QColor c = colour.toHsl();
    if (c.lightness() > 110) {
        c.setHsl(c.hslHue(), c.hslSaturation(), c.hslSaturation() < 40 ? 60 : 95, c.alpha());
    }
    return c.toRgb();
}

PaperColours::PaperColours(QCustomPlot& plot, bool light) {
    if (!light) {
        return;
    }
    // Each setting is changed through `set` from what `get` reads, and the
    // old value is put back at the end.
    const auto pen = [this](auto get, auto set) {
        const QPen old = get();
        QPen paper = old;
        paper.setColor(onPaper(old.color()));
        set(paper);
        restore_.emplace_back([set, old] { set(old); });
    };
    const auto colour = [this](auto get, auto set) {
        const QColor old = get();
        set(onPaper(old));
        restore_.emplace_back([set, old] { set(old); });
    };
    QCustomPlot* p = &plot;
    p->setBackground(QBrush(Qt::white));
    restore_.emplace_back([p] { p->setBackground(QBrush(kScreenPanel)); });
    for (QCPAxisRect* rect : plot.axisRects()) {
        for (QCPAxis* a : rect->axes()) {
            pen([a] { return a->basePen(); }, [a](const QPen& v) { a->setBasePen(v); });
            pen([a] { return a->tickPen(); }, [a](const QPen& v) { a->setTickPen(v); });
            pen([a] { return a->subTickPen(); }, [a](const QPen& v) { a->setSubTickPen(v); });
            colour([a] { return a->labelColor(); }, [a](const QColor& v) { a->setLabelColor(v); });
            colour([a] { return a->tickLabelColor(); },
                   [a](const QColor& v) { a->setTickLabelColor(v); });
        }
    }
    for (int i = 0; i < plot.plottableCount(); ++i) {
        QCPAbstractPlottable* g = plot.plottable(i);
        pen([g] { return g->pen(); }, [g](const QPen& v) { g->setPen(v); });
    }
    for (int i = 0; i < plot.itemCount(); ++i) {
        QCPAbstractItem* item = plot.item(i);
        if (auto* t = qobject_cast<QCPItemText*>(item)) {
            colour([t] { return t->color(); }, [t](const QColor& v) { t->setColor(v); });
        } else if (auto* l = qobject_cast<QCPItemStraightLine*>(item)) {
            pen([l] { return l->pen(); }, [l](const QPen& v) { l->setPen(v); });
        } else if (auto* s = qobject_cast<QCPItemLine*>(item)) {
            pen([s] { return s->pen(); }, [s](const QPen& v) { s->setPen(v); });
        }
    }
    for (int e = 0; e < plot.plotLayout()->elementCount(); ++e) {
        if (auto* t = qobject_cast<QCPTextElement*>(plot.plotLayout()->elementAt(e))) {
            colour([t] { return t->textColor(); }, [t](const QColor& v) { t->setTextColor(v); });
        }
    }
}

PaperColours::~PaperColours() {
    for (auto it = restore_.rbegin(); it != restore_.rend(); ++it) {
        (*it)();
    }
}

void paintPicture(QCPPainter& painter, QCustomPlot& plot, const PictureLook& look, int w, int h) {
    QFont font = plot.font();
    font.setPointSizeF(font.pointSizeF() * 1.2);
    const int lineHeight = QFontMetrics(font, painter.device()).height();
    const int lines = static_cast<int>(look.caption.size()) + (look.key.empty() ? 0 : 1);
    const int captionHeight = lines == 0 ? 0 : lineHeight * (lines + 1);
    const int chartHeight = std::max(h - captionHeight, h / 2);
    painter.fillRect(QRect(0, 0, w, h), look.light ? QColor(Qt::white) : kScreenPanel);
    plot.toPainter(&painter, w, chartHeight);
    painter.setFont(font);
    const QColor ink = look.light ? QColor(30, 30, 30) : QColor(235, 235, 235);
    int y = chartHeight + lineHeight / 2;
    for (const QString& line : look.caption) {
        painter.setPen(ink);
        painter.drawText(QRect(lineHeight, y, w - 2 * lineHeight, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, line);
        y += lineHeight;
    }
    // The key: a swatch in each cell's colour, then its name.
    int x = lineHeight;
    const QFontMetrics metrics(font, painter.device());
    for (const auto& [name, cellColour] : look.key) {
        const int swatch = lineHeight / 2;
        painter.fillRect(QRect(x, y + (lineHeight - swatch) / 2, swatch * 2, swatch), cellColour);
        x += swatch * 2 + lineHeight / 4;
        painter.setPen(ink);
        const int width = metrics.horizontalAdvance(name);
        painter.drawText(QRect(x, y, width + 1, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         name);
        x += width + lineHeight;
    }
}

QStringList chartPictureFilters() {
    return {QStringLiteral("PNG picture (*.png)"), QStringLiteral("JPEG picture (*.jpg *.jpeg)"),
            QStringLiteral("BMP picture (*.bmp)"), QStringLiteral("PDF document (*.pdf)"),
            QStringLiteral("SVG drawing (*.svg)")};
}

void saveChartPicture(ChartView& chart, const QString& fileName, const PictureLook& look) {
    QCustomPlot* plot = chart.plot();
    const int w = std::max(plot->width(), 1);
    const int h = std::max(plot->height(), 1);
    const QString suffix = suffixOf(fileName);

    // Write beside the target first and replace it only when complete, so a
    // failed save never leaves half a file or destroys an older one.
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("Cannot write %1: %2").arg(fileName, out.errorString()));
    }
    {
        const PaperColours paper(*plot, look.light);
        const PaperCells cells(chart, look.light);
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
            painter.setMode(QCPPainter::pmVectorized);
            paintPicture(painter, *plot, look, w, h);
        } else if (suffix == QLatin1String("pdf")) {
            QPdfWriter pdf(&out);
            pdf.setResolution(plot->logicalDpiX());
            pdf.setPageSize(
                QPageSize(QSizeF(w * 72.0 / plot->logicalDpiX(), h * 72.0 / plot->logicalDpiY()),
                          QPageSize::Point));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setTitle(QStringLiteral("Cellwatch chart"));
            QCPPainter painter;
            if (!painter.begin(&pdf)) {
                fail(QStringLiteral("Cannot write %1").arg(fileName));
            }
            painter.setMode(QCPPainter::pmVectorized);
            paintPicture(painter, *plot, look, w, h);
        } else {
            const char* format = "PNG";
            if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
                format = "JPEG";
            } else if (suffix == QLatin1String("bmp")) {
                format = "BMP";
            }
            QImage picture(w, h, QImage::Format_RGB32);
            {
                QCPPainter painter(&picture);
                painter.setRenderHint(QPainter::Antialiasing);
                paintPicture(painter, *plot, look, w, h);
            }
            if (!picture.save(&out, format, format[0] == 'J' ? 95 : -1)) {
                fail(QStringLiteral("Cannot write %1").arg(fileName));
            }
        }
    }
    chart.requestFullReplot();
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

void printChart(ChartView& chart, QPrinter& printer, const PictureLook& look) {
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
    {
        const PaperColours paper(*plot, look.light);
        const PaperCells cells(chart, look.light);
        paintPicture(painter, *plot, look, w, h);
    }
    painter.end();
    chart.requestFullReplot();
}

}  // namespace cellwatch
