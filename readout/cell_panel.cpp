#include "readout/cell_panel.h"

#include <algorithm>
#include <cstddef>

namespace cellwatch {
namespace {

struct VoltageRange {
    Decimal full;
    Decimal empty;
};

VoltageRange RangeFor(Chemistry chemistry) {
    if (isLithium(chemistry)) {
        return {Decimal::fromHundredths(420), Decimal::fromHundredths(300)};
    }
    switch (chemistry) {
        case Chemistry::NiCd:
            return {Decimal::fromHundredths(160), Decimal::fromHundredths(85)};
        case Chemistry::NiMH:
            return {Decimal::fromHundredths(160), Decimal::fromHundredths(100)};
        case Chemistry::Pb:
            return {Decimal::fromHundredths(245), Decimal::fromHundredths(175)};
        default:
            return {Decimal::fromHundredths(420), Decimal::fromHundredths(85)};
    }
}

QString Text(const Decimal& value, std::string_view pattern) {
    return QString::fromStdString(value.format(pattern));
}

}  // namespace

Decimal ChargeLevel(Chemistry chemistry, Decimal cellVoltage) {
    const VoltageRange range = RangeFor(chemistry);
    // The quotient never falls on a half at the fifth decimal for these
    // ranges, so the rounding rule only decides the ordinary cases.
    const Decimal level = (Decimal::fromInt(100) * (cellVoltage - range.empty))
                              .dividedBy(range.full - range.empty, Rounding::HalfToEven);
    if (level < Decimal()) {
        return Decimal();
    }
    if (level > Decimal::fromInt(100)) {
        return Decimal::fromInt(100);
    }
    return level;
}

BarTexture TextureForLevel(Decimal level) {
    if (level > Decimal::fromInt(40)) {
        return BarTexture::Green;
    }
    if (level >= Decimal::fromInt(18)) {
        return BarTexture::Amber;
    }
    return BarTexture::Red;
}

void ShowCellPanel(CellPanelView& view, const std::array<Decimal, kCellCount>& cells,
                   Chemistry chemistry) {
    ShowCellPanel(view, std::span<const Decimal>(cells), chemistry);
}

void ShowCellPanel(CellPanelView& view, const Reading& reading) {
    // Cells past the count may hold anything a driver left there.
    const auto count = static_cast<std::size_t>(std::clamp(reading.cellCount, 0, kMostCells));
    ShowCellPanel(view, std::span<const Decimal>(reading.cells).first(count), reading.chemistry);
}

void ShowCellPanel(CellPanelView& view, std::span<const Decimal> given, Chemistry chemistry) {
    const int shownSlots = std::clamp(static_cast<int>(given.size()), kCellCount, kMostCells);
    std::array<Decimal, kMostCells> cells{};
    std::copy_n(given.begin(), std::min<std::size_t>(given.size(), kMostCells), cells.begin());
    view.setCellSlots(shownSlots);
    int inUse = 0;
    for (int k = 1; k <= shownSlots; ++k) {
        const Decimal v = cells[static_cast<std::size_t>(k - 1)];
        view.setCellText(k, Text(v, kFormat2));
        const Decimal level = ChargeLevel(chemistry, v).rounded(1, Rounding::HalfToEven);
        view.setCellBar(k, TextureForLevel(level),
                        static_cast<int>(level.roundedToInt(Rounding::HalfToEven)));
        if (!v.isZero()) {
            ++inUse;
        }
    }

    Decimal average = cells[0];
    Decimal maximum = cells[0];
    Decimal minimum = cells[0];
    if (inUse >= 2) {
        Decimal sum;
        for (int k = 0; k < inUse; ++k) {
            const Decimal v = cells[static_cast<std::size_t>(k)];
            if (v < minimum) {
                minimum = v;
            }
            if (v > maximum) {
                maximum = v;
            }
            sum += v;
        }
        // Cut (not rounded) to four decimals, so that the three-decimal text
        // is the exact quotient rounded once: 42.96 / 11 = 3.905454... shows
        // 3.905, where rounding to 3.9055 first would end in 3.906.
        average = sum.dividedBy(Decimal::fromInt(inUse), Rounding::TowardZero);
    }
    view.setStatistic(kStatisticAverage, Text(average, kFormat3));
    view.setStatistic(kStatisticMaximum, Text(maximum, kFormat2));
    view.setStatistic(kStatisticMinimum, Text(minimum, kFormat2));
    view.setStatistic(kStatisticSpread, Text(maximum - minimum, kFormat2));
}

}  // namespace cellwatch
