#include "readout/cell_panel_widget.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include <QImage>
#include <QPixmap>

namespace cellwatch {
namespace {

// A picture 10 rows tall: red top row, blue below.
QImage RedTopped(int width) {
    QImage picture(width, 10, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    for (int x = 0; x < width; ++x) {
        picture.setPixelColor(x, 0, QColor(255, 0, 0));
    }
    return picture;
}

// Bars of 100 rows inside the border at 25 %: what each fill style paints
// in the filled quarter, and the empty groove above it.
TEST(CellBar, FillsFromTheBottomInEveryStyle) {
    const QColor red(255, 0, 0), blue(0, 0, 255);
    struct Case {
        const char* name;
        bool picture;
        int style;
        // Rows counted from the lowest row inside (0) upwards.
        std::vector<std::pair<int, QColor>> rows;
    };
    const Case cases[] = {
        {"colour", false, CellBar::kPictureStretched, {{0, blue}, {24, blue}}},
        // The picture stretched over the whole scale: its red top lies at
        // the 100 % mark, so a quarter shows blue only.
        {"stretched", true, CellBar::kPictureStretched, {{0, blue}, {12, blue}, {24, blue}}},
        // Tiles from the bottom edge: every tenth row from the ninth is red.
        {"tiled",
         true,
         CellBar::kPictureTiled,
         {{0, blue}, {8, blue}, {9, red}, {10, blue}, {19, red}, {24, blue}}},
    };
    for (const Case& c : cases) {
        CellBar bar;
        bar.resize(20, 102);
        bar.setFillColor(blue);
        bar.setPictureStyle(c.style);
        if (c.picture) {
            bar.setFillPicture(RedTopped(18));
        }
        bar.setValue(130);
        EXPECT_EQ(bar.value(), 100) << c.name;
        bar.setValue(25);
        // Drawn one to one, whatever the screen's scale (the next test
        // takes the fractional ones).
        QImage image(bar.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        bar.render(&image);
        for (const auto& [row, colour] : c.rows) {
            EXPECT_EQ(image.pixelColor(10, 100 - row), colour) << c.name << " row " << row;
        }
        // Above the fill: the groove, the palette's base in the middle and
        // shaded towards the sides, the same on every row.
        const QColor base = bar.palette().color(QPalette::Base);
        for (int y : {5, 50, 75}) {
            const QColor middle = image.pixelColor(10, y);
            EXPECT_LE(std::abs(middle.red() - base.red()) + std::abs(middle.blue() - base.blue()),
                      6)
                << c.name << " y " << y;
            EXPECT_NE(image.pixelColor(1, y).rgb(), base.rgb()) << c.name << " y " << y;
            EXPECT_EQ(image.pixelColor(1, y), image.pixelColor(1, 5)) << c.name << " y " << y;
        }
    }
}

// On a screen at 150 % (or a print or grab at that ratio) the empty part is
// the whole groove: no unpainted pixels, no part of it drawn at two thirds.
TEST(CellBar, FillsEveryPixelAtAFractionalRatio) {
    CellBar bar;
    bar.resize(20, 102);
    bar.setFillColor(QColor(0, 0, 255));
    bar.setValue(25);
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        QImage image(QSize(20, 102) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        bar.render(&image);
        const QColor base = bar.palette().color(QPalette::Base);
        int unlike = 0;  // pixels of the empty part far from the groove's colours
        for (int y = static_cast<int>(3 * ratio); y < static_cast<int>(70 * ratio); ++y) {
            for (int x = static_cast<int>(2 * ratio); x < static_cast<int>(18 * ratio); ++x) {
                const QColor c = image.pixelColor(x, y);
                unlike += std::abs(c.red() - base.red()) > 40 ? 1 : 0;
            }
        }
        EXPECT_EQ(unlike, 0) << "ratio " << ratio;
        // Shaded alike towards both sides: the groove is not stretched.
        const int y = static_cast<int>(40 * ratio);
        // A pixel and its mirror about the track's middle (logical x 10),
        // a pixel clear of the border on either side.
        const int first = static_cast<int>(std::ceil(2 * ratio));
        const int last = static_cast<int>(20 * ratio) - 1 - first;
        for (int dx = 0; dx < static_cast<int>(4 * ratio); ++dx) {
            const QColor left = image.pixelColor(first + dx, y);
            const QColor right = image.pixelColor(last - dx, y);
            EXPECT_LE(std::abs(left.red() - right.red()), 6) << "ratio " << ratio << " dx " << dx;
        }
    }
}

}  // namespace
}  // namespace cellwatch
