// Taking the chart out: a picture file, the clipboard, a printout.
//
// Pictures are made at the chart's on-screen size and look. Save writes the
// format its file name ends in: PNG, JPEG, BMP, PDF or SVG.
#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

namespace cellwatch {

class ChartView;

// The file types the save dialog offers, the first being the default.
QStringList chartPictureFilters();

// Writes the chart to `fileName` in the format its suffix names (".png" when
// it has none of the known ones). Throws std::runtime_error with the reason
// when the file cannot be written.
void saveChartPicture(ChartView& chart, const QString& fileName);

// Puts the chart on the clipboard as a picture.
void copyChartPicture(ChartView& chart);

// Prints the chart on one landscape page, fitted to the printable area with
// its proportions kept. Throws std::runtime_error when printing fails.
void printChart(ChartView& chart, QPrinter& printer);

}  // namespace cellwatch
