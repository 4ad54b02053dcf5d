// The cell panel's controls: a row of twelve bars with each cell's voltage
// above and its number below, and the four statistics at the right. A pack
// of more than twelve cells gets a bar for each (up to sixteen), narrower in
// the same room; twelve or fewer bring the twelve back.
//
// Object names follow the window's control names, so the window and the
// language tables can find them: "Label_0".."Label_15" (voltages),
// "Cell_bar1_1".."Cell_bar1_16" (bars), "Label6_1".."Label6_16" (cell
// numbers), "Label5_1".."Label5_4" (statistics) and "a014", "A015", "A016",
// "A017" (the statistics' captions).
#pragma once

#include <array>

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QString>
#include <QWidget>

#include "protocol/table_fields.h"
#include "readout/cell_bar.h"
#include "readout/cell_panel.h"

namespace cellwatch {

class CellPanelWidget : public QWidget, public CellPanelView {
    Q_OBJECT
public:
    static constexpr int kStatisticCount = 4;

    explicit CellPanelWidget(QWidget* parent = nullptr);

    // The resource path of a bar picture: ":/cellbars/101.bmp" and so on.
    static QString texturePath(BarTexture texture);

    // 12 (the last four hidden) or 13 to 16.
    void setCellSlots(int count) override;
    int cellSlots() const { return slots_; }
    void setCellText(int cell, const QString& text) override;
    // Sets the bar's picture style to 1 (picture stretched over the whole
    // scale), then its picture, then its value.
    void setCellBar(int cell, BarTexture texture, int value) override;
    void setStatistic(int index, const QString& text) override;

    // Cells 1 to 16 (shown or not), statistics 1 to 4; nullptr outside those.
    QLabel* cellLabel(int cell) const;
    CellBar* cellBar(int cell) const;
    QLabel* cellNumberLabel(int cell) const;
    QLabel* statisticLabel(int index) const;
    // A statistic's caption by its name "a014", "A015", "A016" or "A017";
    // nullptr for any other name.
    QLabel* captionLabel(const QString& name) const;

    // Frame3's design size, 8175 x 2850 twips at 96 dpi.
    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    const QImage& texture(BarTexture texture) const;
    void muteCellNumbers();

    std::array<QLabel*, kMostCells> voltages_{};
    std::array<CellBar*, kMostCells> bars_{};
    std::array<QLabel*, kMostCells> numbers_{};
    int slots_ = kCellCount;
    QGridLayout* cellGrid_ = nullptr;
    QFont voltageFont_;  // twelve cells
    QFont narrowFont_;   // more
    std::array<QLabel*, kStatisticCount> statistics_{};
    std::array<QLabel*, kStatisticCount> captions_{};
    std::array<QImage, 3> textures_;  // green, amber, red
};

}  // namespace cellwatch
