// Taking the chart out: a picture file, the clipboard, a printout.
//
// Pictures are made at the chart's on-screen size. Save writes the format its
// file name ends in: PNG, JPEG, BMP, PDF or SVG. Saved and printed charts are
// drawn on white paper by default (PictureLook), with a caption under them.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class QCPPainter;
class QCustomPlot;
class QPrinter;

namespace cellwatch {

class ChartView;

// How a saved or printed chart looks.
struct PictureLook {
    // White paper and dark ink, each curve and axis keeping its hue; false:
    // the screen's dark panel.
    bool light = true;
    // Lines under the chart (none: the chart alone).
    QStringList caption;
    // The cells' key under the caption: each cell's name in its curve's
    // colour on this paper (drawn as given).
    std::vector<std::pair<QString, QColor>> key;
};

// A colour drawn on the dark panel, for white paper: light ones (white,
// grey, yellow) darkened until they read on white; the others as they are.
QColor onPaper(const QColor& colour);

// While it lives, `plot` is drawn in the light theme (white background,
// colours through onPaper); it puts every colour back when it goes. Does
// nothing when `light` is false.
class PaperColours {
public:
    PaperColours(QCustomPlot& plot, bool light);
    ~PaperColours();
    PaperColours(const PaperColours&) = delete;
    PaperColours& operator=(const PaperColours&) = delete;

private:
    std::vector<std::function<void()>> restore_;
};

// Draws `plot` with the caption and key of `look` under it at w x h device
// pixels on `painter` (the background too; the colours are the plot's own:
// PaperColours makes them light). Saving and printing a ChartView also give
// its cells pane, when shown, the colours it has on white paper.
void paintPicture(QCPPainter& painter, QCustomPlot& plot, const PictureLook& look, int w, int h);

// The file types the save dialog offers, the first being the default.
QStringList chartPictureFilters();

// Writes the chart to `fileName` in the format its suffix names (".png" when
// it has none of the known ones), at the chart's size, looking as `look`
// says. Throws std::runtime_error with the reason when the file cannot be
// written.
void saveChartPicture(ChartView& chart, const QString& fileName, const PictureLook& look = {});

// Puts the chart on the clipboard as a picture, as the screen shows it.
void copyChartPicture(ChartView& chart);

// Prints the chart on one landscape page, fitted to the printable area with
// its proportions kept, looking as `look` says. Throws std::runtime_error
// when printing fails.
void printChart(ChartView& chart, QPrinter& printer, const PictureLook& look = {});

}  // namespace cellwatch
