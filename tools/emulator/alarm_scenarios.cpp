#include "tools/emulator/alarm_scenarios.h"

#include <algorithm>

#include "tools/emulator/pack_model.h"

namespace cellwatch::emulator {
namespace {

constexpr int kDefaultCells = 4;
constexpr std::uint32_t kFreezeMs = 35000;  // longer than the stalled alarm's 30 s
constexpr std::size_t kIdleAfterEnd = 15;   // longer than the finished alarm's 10 s

Decimal hundredths(std::int64_t h) {
    return Decimal::fromHundredths(h);
}

// A steady lithium charge (or discharge) reading, message `i` of a run:
// every cell at `cellHundredths`, the battery voltage their sum, 12 V in,
// 25 and 30 °C.
ChargerReading steady(Mode mode, int cells, std::int64_t cellHundredths, std::size_t i) {
    ChargerReading r;
    r.mode = mode;
    r.chemistry = Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(30);
    r.inputVoltage = Decimal::fromInt(12);
    r.current = Decimal::fromInt(2);
    r.capacity = Decimal::fromInt(100 + static_cast<std::int64_t>(i));
    for (int k = 0; k < cells; ++k) {
        r.cells[static_cast<std::size_t>(k)] = hundredths(cellHundredths);
    }
    return r;
}

void sumCells(ChargerReading& r) {
    Decimal sum;
    for (const Decimal c : r.cells) {
        sum += c;
    }
    r.voltage = sum;
}

Step message(ChargerReading r, FrameLayout layout) {
    sumCells(r);
    Step step;
    step.reading = r;
    step.layout = layout;
    return step;
}

int cellsOr(int cells, int least) {
    return std::max(cells == 0 ? kDefaultCells : cells, least);
}

// Messages 0..count-1, each made by `make`.
template <typename Make>
std::vector<Step> run(std::size_t count, FrameLayout layout, Make make) {
    std::vector<Step> steps;
    for (std::size_t i = 0; i < count; ++i) {
        steps.push_back(message(make(i), layout));
    }
    return steps;
}

std::int64_t at(std::size_t i) {
    return static_cast<std::int64_t>(i);
}

std::vector<Step> cellHigh(FrameLayout layout, int cells, std::uint64_t) {
    const int n = cellsOr(cells, 3);
    // Cell 3 climbs 0.01 V a message from 4.15 V: 4.26 V at message 11.
    return run(30, layout, [n](std::size_t i) {
        ChargerReading r = steady(Mode::Charge, n, 415, i);
        r.cells[2] = hundredths(std::min<std::int64_t>(415 + at(i), 430));
        return r;
    });
}

std::vector<Step> cellLow(FrameLayout layout, int cells, std::uint64_t) {
    const int n = cellsOr(cells, 2);
    // Cell 2 sinks 0.02 V a message from 3.20 V: 2.98 V at message 11.
    return run(30, layout, [n](std::size_t i) {
        ChargerReading r = steady(Mode::Discharge, n, 340, i);
        r.cells[1] = hundredths(std::max<std::int64_t>(320 - 2 * at(i), 280));
        return r;
    });
}

std::vector<Step> hot(FrameLayout layout, int cells, std::uint64_t) {
    const int n = cellsOr(cells, 1);
    // 40 °C, one degree warmer every two messages: 51 °C at message 22.
    return run(30, layout, [n](std::size_t i) {
        ChargerReading r = steady(Mode::Charge, n, 400, i);
        r.extTemperature = Decimal::fromInt(40 + at(i) / 2);
        return r;
    });
}

std::vector<Step> spread(FrameLayout layout, int cells, std::uint64_t) {
    const int n = cellsOr(cells, 2);
    // The last cell falls 0.01 V every six messages down to 0.11 V below the
    // others (at message 66, after the 60 s that the spread alarm waits),
    // and reads 0.01 V higher in two messages of every five, as a balance
    // lead's reading wavers: from then on the spread goes to and fro
    // between 0.10 and 0.11 V.
    return run(130, layout, [n](std::size_t i) {
        ChargerReading r = steady(Mode::Charge, n, 400, i);
        const std::int64_t flicker = i % 5 == 1 || i % 5 == 3 ? 1 : 0;
        r.cells[static_cast<std::size_t>(n - 1)] =
            hundredths(400 - std::min<std::int64_t>(at(i) / 6, 11) + flicker);
        return r;
    });
}

std::vector<Step> inputLow(FrameLayout layout, int cells, std::uint64_t) {
    const int n = cellsOr(cells, 1);
    // 12.00 V in, 0.10 V less every message: 10.90 V at message 11.
    return run(30, layout, [n](std::size_t i) {
        ChargerReading r = steady(Mode::Charge, n, 400, i);
        r.inputVoltage = hundredths(std::max<std::int64_t>(1200 - 10 * at(i), 1000));
        return r;
    });
}

std::vector<Step> finished(FrameLayout layout, int cells, std::uint64_t seed) {
    const int n = cellsOr(cells, 1);
    std::vector<Step> steps =
        run(15, layout, [n](std::size_t i) { return steady(Mode::Charge, n, 420, i); });
    for (const ChargerReading& r : idleReadings(kIdleAfterEnd, seed)) {
        Step step;
        step.reading = r;
        step.layout = layout;
        steps.push_back(step);
    }
    return steps;
}

std::vector<Step> frozen(FrameLayout layout, int cells, std::uint64_t) {
    const int n = cellsOr(cells, 1);
    std::vector<Step> steps =
        run(15, layout, [n](std::size_t i) { return steady(Mode::Charge, n, 400, i); });
    Step silence;
    silence.kind = Step::Kind::Silence;
    silence.ms = kFreezeMs;
    steps.push_back(silence);
    return steps;
}

}  // namespace

const std::vector<AlarmScenarioInfo>& alarmScenarios() {
    static const std::vector<AlarmScenarioInfo> scenarios = {
        {"alarm-cell-high", "charging, cell 3 drifts up past 4.25 V (cell-high)", cellHigh},
        {"alarm-cell-low", "discharging, cell 2 sags below 3.00 V (cell-low)", cellLow},
        {"alarm-hot", "charging, the pack warms past 50 C (temperature)", hot},
        {"alarm-spread",
         "charging, one cell drifts 0.11 V apart after 60 s and wavers (cell-spread)", spread},
        {"alarm-input-low", "charging, the input sags below 11.00 V (input-low)", inputLow},
        {"alarm-finished", "a charge that ends: 15 s of idle messages follow (finished)", finished},
        {"alarm-stalled", "a charger that freezes mid-charge: 35 s of silence (stalled)", frozen},
    };
    return scenarios;
}

}  // namespace cellwatch::emulator
