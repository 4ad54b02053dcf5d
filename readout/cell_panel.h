// The cell voltage panel: twelve cell voltages with a charge-level bar each
// (up to sixteen for a pack of more than twelve cells), and average,
// maximum, minimum and spread over the cells in use.
//
// The logic here decides every text, bar picture and bar value; the widgets
// that show them sit behind CellPanelView (CellPanelWidget in the window, a
// recording fake in the tests).
#pragma once

#include <array>
#include <span>

#include <QString>

#include "protocol/decimal.h"
#include "protocol/reading.h"
#include "protocol/table_fields.h"

namespace cellwatch {

// The charge level of one cell in per cent, 0 to 100, to four decimals.
// The voltage range comes from the chemistry (any lithium one, Ni-Cd, Ni-MH,
// lead); an unknown chemistry gets the widest range, 0.85 V to 4.2 V.
Decimal ChargeLevel(Chemistry chemistry, Decimal cellVoltage);

// The bar pictures, numbered as the resources that hold them.
enum class BarTexture {
    Green = 101,  // level above 40 %
    Amber = 102,  // level from 18 % to 40 %
    Red = 103,    // level below 18 %
};

// The texture for a charge level already rounded to one decimal.
BarTexture TextureForLevel(Decimal level);

// The controls ShowCellPanel writes to.
class CellPanelView {
public:
    virtual ~CellPanelView() = default;

    // How many cells the panel lays out: 12, or 13 to 16 for a larger pack.
    virtual void setCellSlots(int count) { (void)count; }
    // Voltage text of cell 1 to 12 (to 16 when laid out).
    virtual void setCellText(int cell, const QString& text) = 0;
    // Bar of cell 1 to 12 (to 16): its picture and its value on a scale of 0 to 100.
    virtual void setCellBar(int cell, BarTexture texture, int value) = 0;
    // Statistic 1 average, 2 maximum, 3 minimum, 4 spread (maximum - minimum).
    virtual void setStatistic(int index, const QString& text) = 0;

protected:
    CellPanelView() = default;
    CellPanelView(const CellPanelView&) = default;
    CellPanelView& operator=(const CellPanelView&) = default;
};

inline constexpr int kStatisticAverage = 1;
inline constexpr int kStatisticMaximum = 2;
inline constexpr int kStatisticMinimum = 3;
inline constexpr int kStatisticSpread = 4;

// Fills the whole panel: cells[0] is cell 1, 0 marks a cell that is not
// present. Every call rewrites all twelve texts and bars and all four
// statistics.
//
// The statistics run over the first n cells, n being the number of non-zero
// cells: a pack's cells are numbered from 1 without gaps, so these are the
// cells in use. With fewer than two cells in use all three values are cell
// 1's voltage.
void ShowCellPanel(CellPanelView& view, const std::array<Decimal, kCellCount>& cells,
                   Chemistry chemistry);
// The same for any number of cells: twelve slots for twelve or fewer (as
// above), one per cell for 13 to 16; cells beyond 16 are left out.
void ShowCellPanel(CellPanelView& view, std::span<const Decimal> cells, Chemistry chemistry);
// A reading's cells 1..cellCount.
void ShowCellPanel(CellPanelView& view, const Reading& reading);

}  // namespace cellwatch
