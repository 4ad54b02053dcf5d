#include "readout/cell_panel_widget.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace cellwatch {
namespace {

template <typename T>
T* Named(const QWidget& parent, const QString& name) {
    return parent.findChild<T*>(name);
}

// The design texts, on the controls that other code finds by name.
TEST(CellPanelWidget, StartsWithTheDesignTexts) {
    CellPanelWidget panel;
    for (int k = 1; k <= kCellCount; ++k) {
        EXPECT_EQ(Named<QLabel>(panel, QStringLiteral("Label_%1").arg(k - 1))->text(), "0.00");
        EXPECT_EQ(Named<QLabel>(panel, QStringLiteral("Label6_%1").arg(k))->text(),
                  QString::number(k));
        EXPECT_EQ(Named<CellBar>(panel, QStringLiteral("Cell_bar1_%1").arg(k)), panel.cellBar(k));
    }
    const char* design[] = {"0.000", "0.00", "0.00", "0.00"};
    for (int index = 1; index <= 4; ++index) {
        EXPECT_EQ(Named<QLabel>(panel, QStringLiteral("Label5_%1").arg(index))->text(),
                  design[index - 1]);
    }
    const std::pair<const char*, const char*> captions[] = {{"a014", "Average(V)"},
                                                            {"A015", "Maximum(V)"},
                                                            {"A016", "Minimum(V)"},
                                                            {"A017", "D.Peak(V)"}};
    for (const auto& [name, text] : captions) {
        EXPECT_EQ(Named<QLabel>(panel, QString::fromLatin1(name))->text(), text);
    }
    EXPECT_EQ(panel.captionLabel("A014"), nullptr);  // names are exact
    EXPECT_EQ(panel.cellLabel(0), nullptr);
    EXPECT_EQ(panel.cellBar(13), nullptr);
}

// Which colour a picture is mostly: the texture files must match their numbers.
BarTexture DominantColour(const QImage& picture) {
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2 + 3);
    if (c.green() > c.red()) {
        return BarTexture::Green;
    }
    return c.green() > c.red() / 2 ? BarTexture::Amber : BarTexture::Red;
}

TEST(CellPanelWidget, ShowsWhatTheCellPanelWrites) {
    CellPanelWidget panel;
    panel.resize(panel.sizeHint());
    std::array<Decimal, kCellCount> cells{};
    cells[0] = Decimal::fromHundredths(390);
    cells[1] = Decimal::fromHundredths(348);
    cells[2] = Decimal::fromHundredths(320);
    ShowCellPanel(panel, cells, kTypeLithium);

    const struct {
        int cell;
        const char* text;
        BarTexture texture;
        int value;
    } expected[] = {
        {1, "3.90", BarTexture::Green, 75},
        {2, "3.48", BarTexture::Amber, 40},
        {3, "3.20", BarTexture::Red, 17},
        {4, "0.00", BarTexture::Red, 0},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(panel.cellLabel(e.cell)->text(), e.text) << e.cell;
        const CellBar* bar = panel.cellBar(e.cell);
        EXPECT_EQ(bar->value(), e.value) << e.cell;
        EXPECT_EQ(bar->pictureStyle(), CellBar::kPictureStretched) << e.cell;
        EXPECT_EQ(bar->fillPictureSource(), CellPanelWidget::texturePath(e.texture)) << e.cell;
        ASSERT_FALSE(bar->fillPicture().isNull()) << e.cell;
        EXPECT_EQ(bar->fillPicture().size(), QSize(40, 81)) << e.cell;
        EXPECT_EQ(DominantColour(bar->fillPicture()), e.texture) << e.cell;
    }
    EXPECT_EQ(panel.statisticLabel(1)->text(), "3.527");
    EXPECT_EQ(panel.statisticLabel(2)->text(), "3.90");
    EXPECT_EQ(panel.statisticLabel(3)->text(), "3.20");
    EXPECT_EQ(panel.statisticLabel(4)->text(), "0.70");
}

TEST(CellBar, FillsFromTheBottom) {
    CellBar bar;
    bar.resize(20, 102);  // 100 pixels inside the border
    bar.setFillColor(QColor(0, 0, 255));
    bar.setValue(130);
    EXPECT_EQ(bar.value(), 100);
    bar.setValue(25);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 100), QColor(0, 0, 255));  // lowest row inside
    EXPECT_EQ(image.pixelColor(10, 76), QColor(0, 0, 255));   // 25th row from the bottom
    EXPECT_NE(image.pixelColor(10, 75), QColor(0, 0, 255));
    EXPECT_NE(image.pixelColor(10, 5), QColor(0, 0, 255));
}

}  // namespace
}  // namespace cellwatch
