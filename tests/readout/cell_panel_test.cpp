// The cell panel's rules, shown on the real panel widget.
#include "readout/cell_panel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QLayout>
#include <array>
#include <initializer_list>
#include <string>

#include "protocol/reading_format.h"
#include "readout/cell_panel_widget.h"
#include "readout/recording.h"
#include "readout/recording_views.h"
#include "readout/row_store.h"
#include "tests/protocol/decimal_text.h"

namespace cellwatch {
namespace {

using testing::d;

std::array<Decimal, kCellCount> Cells(std::initializer_list<const char*> present) {
    std::array<Decimal, kCellCount> cells{};
    std::size_t i = 0;
    for (const char* v : present) {
        cells[i++] = d(v);
    }
    return cells;
}

struct LevelCase {
    std::string_view type;
    const char* volts;
    const char* level;
};

TEST(ChargeLevel, ByChemistry) {
    const LevelCase cases[] = {
        {kTypeLithium, "3.6", "50"},
        {kTypeLithium, "3.2", "16.6667"},  // kept to four decimals
        {kTypeLithium, "3.0001", "0.0083"},
        {kTypeLithium, "4.2", "100"},
        {kTypeLithium, "4.35", "100"},  // above full
        {kTypeLithium, "2.9", "0"},     // below empty
        {kTypeLithium, "0", "0"},       // absent cell
        {kTypeLead, "2.1", "50"},
        {kTypeNiMH, "1.3", "50"},
        {kTypeNiCd, "1.3", "60"},
        {kTypeUnknown, "4.2", "100"},
        {kTypeUnknown, "0.85", "0"},
        {kTypeUnknown, "3.6", "82.0896"},
        // The type text must match exactly; anything else gets 0.85 V to 4.2 V.
        {"liio/po/fe", "3.6", "82.0896"},
        {"Ni-MH ", "1.3", "13.4328"},
        {"", "2.525", "50"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChargeLevel(ReadingFormat::chemistryOf(c.type), d(c.volts)), d(c.level))
            << c.type << " " << c.volts;
    }
    // Every lithium chemistry a reading names has the lithium range.
    for (const Chemistry c : {Chemistry::Lithium, Chemistry::LiPo, Chemistry::LiHV,
                              Chemistry::LiIon, Chemistry::LiFe}) {
        EXPECT_EQ(ChargeLevel(c, d("3.6")), d("50")) << chemistryId(c);
    }
    EXPECT_EQ(ChargeLevel(Chemistry::Pb, d("2.1")), d("50"));
}

struct BarCase {
    const char* volts;
    const char* text;
    BarTexture texture;
    int value;
};

// Which colour a bar's picture mostly is: the texture files must match their numbers.
BarTexture DominantColour(const QImage& picture) {
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2 + 3);
    if (c.green() > c.red()) {
        return BarTexture::Green;
    }
    return c.green() > c.red() / 2 ? BarTexture::Amber : BarTexture::Red;
}

void expectCell(const CellPanelWidget& panel, int cell, const char* text, BarTexture texture,
                int value) {
    SCOPED_TRACE(::testing::Message() << "cell " << cell << " at " << text);
    EXPECT_EQ(panel.cellLabel(cell)->text(), QString::fromLatin1(text));
    const CellBar* bar = panel.cellBar(cell);
    EXPECT_EQ(bar->value(), value);
    EXPECT_EQ(bar->pictureStyle(), CellBar::kPictureStretched);
    EXPECT_EQ(bar->fillPictureSource(), CellPanelWidget::texturePath(texture));
    ASSERT_FALSE(bar->fillPicture().isNull());
    EXPECT_EQ(bar->fillPicture().size(), QSize(40, 81));
    EXPECT_EQ(DominantColour(bar->fillPicture()), texture);
}

TEST(ShowCellPanel, VoltageTextTextureAndBarValue) {
    // Lithium: 1.2 V from empty to full, so 0.012 V per per cent.
    const BarCase cases[] = {
        {"3.6", "3.60", BarTexture::Green, 50},      {"3.9", "3.90", BarTexture::Green, 75},
        {"3.4812", "3.48", BarTexture::Green, 40},  // 40.1
        {"3.48", "3.48", BarTexture::Amber, 40},    // 40 is not above 40
        {"3.4806", "3.48", BarTexture::Amber, 40},  // 40.05 -> 40.0, the even neighbour
        {"3.216", "3.22", BarTexture::Amber, 18},   // 18.0 is amber
        {"3.2154", "3.22", BarTexture::Amber, 18},  // 17.95 -> 18.0
        {"3.2148", "3.21", BarTexture::Red, 18},    // 17.9 is red, its bar 18
        {"3.21", "3.21", BarTexture::Red, 18},      // 17.5 -> 18, the even neighbour
        {"3.2", "3.20", BarTexture::Red, 17},       // 16.7
        {"3.198", "3.20", BarTexture::Red, 16},     // 16.5 -> 16
        {"3.1494", "3.15", BarTexture::Red, 12},    // 12.45 -> 12.4 -> 12, not 12.5 -> 13
        {"4.5", "4.50", BarTexture::Green, 100},     {"0", "0.00", BarTexture::Red, 0},
        {"12.345", "12.35", BarTexture::Green, 100},  // text rounds half away from zero
    };
    CellPanelWidget panel;
    for (const auto& c : cases) {
        ShowCellPanel(panel, Cells({"3.7", c.volts}), Chemistry::Lithium);
        expectCell(panel, 2, c.text, c.texture, c.value);
    }
    for (int cell = 3; cell <= kCellCount; ++cell) {  // absent cells: zero and an empty red bar
        expectCell(panel, cell, "0.00", BarTexture::Red, 0);
    }
}

struct StatisticsCase {
    const char* name;
    std::array<Decimal, kCellCount> cells;
    std::array<const char*, 4> expected;  // average, maximum, minimum, spread
};

TEST(ShowCellPanel, Statistics) {
    std::array<Decimal, kCellCount> eleven{};
    eleven.fill(d("3.9"));
    eleven[10] = d("3.96");
    eleven[11] = Decimal();
    const StatisticsCase cases[] = {
        {"four cells", Cells({"3.90", "3.95", "4.00", "3.85"}), {"3.925", "4.00", "3.85", "0.15"}},
        {"single cell", Cells({"3.70"}), {"3.700", "3.70", "3.70", "0.00"}},
        {"all absent", Cells({}), {"0.000", "0.00", "0.00", "0.00"}},
        // Only cell 2 present: fewer than two cells, so cell 1 (0) stands for all.
        {"only cell 2", Cells({"0", "3.80"}), {"0.000", "0.00", "0.00", "0.00"}},
        // Cells 1 and 3 present: n = 2 counts cells 1 and 2.
        {"gap at cell 2", Cells({"3.80", "0", "3.90"}), {"1.900", "3.80", "0.00", "3.80"}},
        {"minimum last", Cells({"4.10", "4.05", "3.60"}), {"3.917", "4.10", "3.60", "0.50"}},
        {"twelve cells",
         Cells({"4.20", "4.19", "4.18", "4.17", "4.16", "4.15", "4.14", "4.13", "4.12", "4.11",
                "4.10", "4.21"}),
         {"4.155", "4.21", "4.10", "0.11"}},
        // 42.96 / 11 = 3.905454...: rounded once, not first to 3.9055.
        {"average rounded once", eleven, {"3.905", "3.96", "3.90", "0.06"}},
    };
    CellPanelWidget panel;
    for (const auto& c : cases) {
        ShowCellPanel(panel, c.cells, Chemistry::Lithium);
        for (int index = 1; index <= 4; ++index) {
            EXPECT_EQ(panel.statisticLabel(index)->text(),
                      QString::fromLatin1(c.expected[static_cast<std::size_t>(index - 1)]))
                << c.name << ", statistic " << index;
        }
    }
}

// The panel laid out after the texts it was given.
void settle(QWidget& panel) {
    QCoreApplication::sendPostedEvents();
    panel.layout()->activate();
}

// A reading's cells through the recording's panel view into the real panel,
// laid out at the window's size: more than twelve cells get a bar each, all
// inside the panel and side by side; twelve or fewer show the twelve of old
// (the last four hidden, the others where they were).
TEST(ShowCellPanel, UpToSixteenCellsGetABarEach) {
    CellPanelWidget panel;
    panel.resize(panel.sizeHint());
    panel.show();
    RecordingCellPanel view(panel, {});
    RowStore table;
    ManualTickClock ticks;
    ManualWallClock wall(QDateTime(QDate(2026, 3, 1), QTime(10, 0)));
    const Recording recording(table, ticks, wall);
    // Where the twelve stand for a pack of twelve that never had more.
    std::array<QRect, kCellCount> twelveAt{};
    {
        CellPanelWidget fresh;
        fresh.resize(fresh.sizeHint());
        fresh.show();
        Reading twelve;
        twelve.cellCount = kCellCount;
        twelve.cells.fill(Decimal::fromHundredths(370));
        ShowCellPanel(fresh, twelve);
        settle(fresh);
        for (int cell = 1; cell <= kCellCount; ++cell) {
            twelveAt[static_cast<std::size_t>(cell - 1)] = fresh.cellBar(cell)->geometry();
        }
    }
    struct Case {
        int cells;
        int shown;
        const char* average;
        const char* maximum;
    };
    const Case cases[] = {{16, 16, "3.775", "3.85"}, {13, 13, "3.760", "3.82"},
                          {12, 12, "3.755", "3.81"}, {3, 12, "3.710", "3.72"},
                          {16, 16, "3.775", "3.85"}, {14, 14, "3.765", "3.83"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cells);
        Reading r;
        r.chemistry = Chemistry::LiPo;
        r.cellCount = c.cells;
        for (int k = 0; k < kMostCells; ++k) {
            // Cells past the count hold leftovers that must not show.
            r.cells[static_cast<std::size_t>(k)] = Decimal::fromThousandths(3700 + 10 * k);
        }
        view.accepted(recording, r);
        settle(panel);
        EXPECT_EQ(panel.cellSlots(), c.shown);
        EXPECT_EQ(panel.size(), panel.sizeHint());  // sixteen fit where twelve did
        for (int cell = 1; cell <= kMostCells; ++cell) {
            SCOPED_TRACE(cell);
            const bool shown = cell <= c.shown;
            EXPECT_EQ(panel.cellBar(cell)->isVisible(), shown);
            EXPECT_EQ(panel.cellLabel(cell)->isVisible(), shown);
            if (!shown) {
                continue;
            }
            const QRect bar = panel.cellBar(cell)->geometry();
            EXPECT_TRUE(panel.rect().contains(bar));
            EXPECT_GT(bar.width(), 3);
            if (cell > 1) {
                EXPECT_GT(bar.left(), panel.cellBar(cell - 1)->geometry().right());
            }
            if (c.shown == kCellCount) {
                EXPECT_EQ(bar, twelveAt[static_cast<std::size_t>(cell - 1)]);
            }
            const QString text = cell <= c.cells ? QString::number(3.7 + 0.01 * (cell - 1), 'f', 2)
                                                 : QStringLiteral("0.00");
            EXPECT_EQ(panel.cellLabel(cell)->text(), text);
        }
        EXPECT_EQ(panel.statisticLabel(kStatisticAverage)->text(), c.average);
        EXPECT_EQ(panel.statisticLabel(kStatisticMaximum)->text(), c.maximum);
    }
}

}  // namespace
}  // namespace cellwatch
