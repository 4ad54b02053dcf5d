// The report's picture of a recording of sixteen cells, drawn in-process
// from the rows as the report reads them: every cell's curve in its colour.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "chart/cell_pane.h"
#include "readout/row_store.h"
#include "tools/report/report.h"

namespace cellwatch::report {
namespace {

// Pixels in the cells pane (the lower 42 %) of `image` whose difference from the panel
// points the way of `colour` (antialiased lines are part panel, part colour).
int pixelsOf(const QImage& image, const QColor& colour) {
    const QColor panel = image.pixelColor(0, image.height() - 1);
    const double want[3] = {double(colour.red() - panel.red()),
                            double(colour.green() - panel.green()),
                            double(colour.blue() - panel.blue())};
    const double wantLength = std::hypot(want[0], want[1], want[2]);
    int n = 0;
    for (int y = image.height() * 58 / 100; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const double got[3] = {double(c.red() - panel.red()), double(c.green() - panel.green()),
                                   double(c.blue() - panel.blue())};
            const double length = std::hypot(got[0], got[1], got[2]);
            const double dot = got[0] * want[0] + got[1] * want[1] + got[2] * want[2];
            n += length > 40 && dot / (length * wantLength) > 0.995 ? 1 : 0;
        }
    }
    return n;
}

TEST(ReportPicture, DrawsEverySixteenCells) {
    auto store = std::make_shared<RowStore>();
    for (int second = 1; second <= 120; ++second) {
        Reading r;
        r.elapsedMs = static_cast<std::uint32_t>(second) * 1000;
        r.state = ChargeState::Charging;
        r.stateText = "+CHG+";
        r.voltage = Decimal::fromHundredths(6200 + second);
        r.current = Decimal::fromHundredths(300);
        r.cellCount = kMostCells;
        for (int c = 0; c < kMostCells; ++c) {
            // Sixteen lines well apart: 3.60 V to 4.05 V in 30 mV steps.
            r.cells[static_cast<std::size_t>(c)] = Decimal::fromThousandths(3600 + 30 * c);
        }
        store->append(r);
    }
    Recorded recording;
    recording.name = QStringLiteral("sixteen.csv");
    recording.rows = store->dataRowCount();
    recording.store = store;

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cells.png"));
    writePicture(recording, path, QSize(1200, 900), false, CellCurveMode::Volts);
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    for (int cell = 0; cell < kMostCells; ++cell) {
        EXPECT_GT(pixelsOf(image, CellPane::cellColour(cell)), 100) << "cell " << cell + 1;
    }
}

}  // namespace
}  // namespace cellwatch::report
