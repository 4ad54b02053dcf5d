#include "tools/emulator/pack_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace cellwatch::emulator {

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double Random::uniform(double lo, double hi) {
    const double unit = static_cast<double>(next() >> 11) * 0x1.0p-53;  // [0, 1)
    return lo + (hi - lo) * unit;
}

std::uint32_t Random::between(std::uint32_t lo, std::uint32_t hi) {
    const std::uint64_t span = static_cast<std::uint64_t>(hi) - lo + 1;
    return lo + static_cast<std::uint32_t>(next() % span);
}

namespace {

// Safety net for odd parameters (a tiny current on a huge pack).
constexpr std::size_t kLongestRun = 100000;

// Internal resistance per cell, leads included, for a 1 Ah cell; a bigger
// cell has proportionally less.
constexpr double kLithiumResistanceAh = 0.088;  // 0.04 ohm at 2200 mAh
constexpr double kNiMHResistanceAh = 0.033;     // 0.015 ohm at 2200 mAh
constexpr double kNiMHStartSoc = 0.05;

// Open-circuit voltage of a lithium cell over its state of charge.
constexpr std::array<std::pair<double, double>, 12> kLithiumOcv = {{
    {0.00, 3.30},
    {0.05, 3.55},
    {0.10, 3.65},
    {0.20, 3.72},
    {0.30, 3.76},
    {0.40, 3.80},
    {0.50, 3.84},
    {0.60, 3.89},
    {0.70, 3.95},
    {0.80, 4.02},
    {0.90, 4.09},
    {1.00, 4.20},
}};

double lithiumOcv(double soc) {
    if (soc < 0) {
        return kLithiumOcv.front().second + 6.0 * soc;  // an empty cell collapses
    }
    soc = std::min(soc, 1.0);
    for (std::size_t i = 1; i < kLithiumOcv.size(); ++i) {
        const auto [s1, v1] = kLithiumOcv[i];
        if (soc <= s1) {
            const auto [s0, v0] = kLithiumOcv[i - 1];
            return v0 + (v1 - v0) * (soc - s0) / (s1 - s0);
        }
    }
    return kLithiumOcv.back().second;
}

// Open-circuit voltage of a NiMH cell: a slow rise, a steep end when full,
// and a fall once charge goes in beyond full (the pack warms up).
double nimhOcv(double soc) {
    const double full = 1.26 + 0.16 + 0.06;
    if (soc <= 1.0) {
        return 1.26 + 0.16 * soc + 0.06 * std::pow(soc, 16.0);
    }
    return full - 0.5 * (soc - 1.0);
}

double cellResistance(double perAh, double capacityAh) {
    return std::clamp(perAh / capacityAh, 0.002, 0.5);
}

Decimal hundredths(double value) {
    return Decimal::fromHundredths(std::llround(value * 100.0));
}
Decimal whole(double value) {
    return Decimal::fromInt(std::llround(value));
}

std::size_t runLimit(const PackParameters& p) {
    return p.limit == 0 ? kLongestRun : std::min(p.limit, kLongestRun);
}

// A lithium pack whose cells differ slightly in charge and resistance, one
// of them perhaps weak (less capacity, more resistance).
struct LithiumPack {
    std::size_t cells = 0;
    double soc = 0;  // of a cell of the nominal capacity
    std::array<double, kMaxCells> cellSoc{};
    std::array<double, kMaxCells> capacityShare{};
    std::array<double, kMaxCells> resistance{};

    LithiumPack(const PackParameters& p, double startSoc, Random& random)
        : cells(static_cast<std::size_t>(std::clamp(p.cells, 1, kMaxCells))), soc(startSoc) {
        const double r = p.resistanceOhm > 0
                             ? p.resistanceOhm / static_cast<double>(cells)
                             : cellResistance(kLithiumResistanceAh, p.capacityMah / 1000.0);
        for (std::size_t i = 0; i < cells; ++i) {
            const bool weak = p.weakCell == static_cast<int>(i) + 1;
            cellSoc[i] = startSoc + random.uniform(-0.004, 0.004);
            resistance[i] = r * random.uniform(0.95, 1.05) * (weak ? p.weakResistance : 1.0);
            capacityShare[i] = weak ? p.weakCapacity : 1.0;
        }
    }
    // `ah` in (positive) or out (negative) of every cell.
    void move(double ah, double capacityAh) {
        soc += ah / capacityAh;
        for (std::size_t i = 0; i < cells; ++i) {
            cellSoc[i] += ah / (capacityAh * capacityShare[i]);
        }
    }
    double ocvSum() const {
        double sum = 0;
        for (std::size_t i = 0; i < cells; ++i) {
            sum += lithiumOcv(cellSoc[i]);
        }
        return sum;
    }
    // The lowest cell's voltage with `current` flowing.
    double lowestCell(double current) const {
        double lowest = 1e9;
        for (std::size_t i = 0; i < cells; ++i) {
            lowest = std::min(lowest, lithiumOcv(cellSoc[i]) + current * resistance[i]);
        }
        return lowest;
    }
    double resistanceSum() const {
        double sum = 0;
        for (std::size_t i = 0; i < cells; ++i) {
            sum += resistance[i];
        }
        return sum;
    }
    // Cell voltages with `current` flowing in (positive) or out (negative),
    // each kept within [0, limit] as the charger's balancer would.
    void putCells(ChargerReading& r, double current, double limit) const {
        double pack = 0;
        for (std::size_t i = 0; i < cells; ++i) {
            const double v = lithiumOcv(cellSoc[i]) + current * resistance[i];
            pack += v;
            r.cells[i] = std::min(hundredths(v), hundredths(limit));
        }
        r.voltage = std::min(hundredths(pack), hundredths(limit * static_cast<double>(cells)));
    }
};

ChargerReading baseReading(Mode mode, Chemistry chemistry) {
    ChargerReading r;
    r.mode = mode;
    r.chemistry = chemistry;
    return r;
}

}  // namespace

std::vector<ChargerReading> lithiumCharge(const PackParameters& p) {
    Random random(p.seed);
    LithiumPack pack(p, p.chargeStartSoc, random);
    const double capacityAh = p.capacityMah / 1000.0;
    const double fullPack = kLithiumFullCell * static_cast<double>(pack.cells);
    double capacityMah = 0;
    std::vector<ChargerReading> readings;
    const std::size_t limit = runLimit(p);
    while (readings.size() < limit) {
        // Constant current until the pack reaches 4.20 V per cell, then
        // whatever current holds it there.
        const double cv = (fullPack - pack.ocvSum()) / pack.resistanceSum();
        const double current = std::clamp(cv, 0.0, p.current);
        const bool constantVoltage = cv < p.current;

        ChargerReading r = baseReading(Mode::Charge, Chemistry::Lithium);
        pack.putCells(r, current, kLithiumFullCell);
        r.current = hundredths(current);
        r.capacity = Decimal::fromInt(static_cast<std::int64_t>(capacityMah));
        const double progress = (pack.soc - p.chargeStartSoc) / (1.0 - p.chargeStartSoc);
        r.extTemperature = whole(25.0 + 3.0 * progress);
        r.intTemperature = whole(33.0 + 1.5 * current);
        r.inputVoltage = hundredths(15.0 - 0.04 * current + random.uniform(-0.02, 0.02));
        readings.push_back(r);
        // C/10 as shown: ten-thousandths of an ampere below capacity / 10 in mA.
        if (constantVoltage && r.current.raw() < std::llround(p.capacityMah)) {
            break;
        }
        const double chargeAh = current * p.stepSeconds / 3600.0;
        pack.move(chargeAh, capacityAh);
        capacityMah += chargeAh * 1000.0;
    }
    return readings;
}

std::vector<ChargerReading> lithiumDischarge(const PackParameters& p) {
    Random random(p.seed);
    LithiumPack pack(p, 1.0, random);
    const double capacityAh = p.capacityMah / 1000.0;
    const double emptyPack = kLithiumEmptyCell * static_cast<double>(pack.cells);
    double capacityMah = 0;
    std::vector<ChargerReading> readings;
    const std::size_t limit = runLimit(p);
    while (readings.size() < limit) {
        ChargerReading r = baseReading(Mode::Discharge, Chemistry::Lithium);
        pack.putCells(r, -p.current, kLithiumFullCell);
        r.current = hundredths(p.current);
        r.capacity = Decimal::fromInt(static_cast<std::int64_t>(capacityMah));
        r.extTemperature = whole(25.0 + 4.0 * (1.0 - pack.soc));
        r.intTemperature = whole(33.0 + 2.0 * p.current);
        r.inputVoltage = hundredths(15.0 + random.uniform(-0.02, 0.02));
        readings.push_back(r);
        if (pack.ocvSum() - p.current * pack.resistanceSum() <= emptyPack ||
            pack.lowestCell(-p.current) <= kLithiumCellCutOff) {
            break;
        }
        const double chargeAh = p.current * p.stepSeconds / 3600.0;
        pack.move(-chargeAh, capacityAh);
        capacityMah += chargeAh * 1000.0;
    }
    return readings;
}

std::vector<ChargerReading> nimhCharge(const PackParameters& p) {
    Random random(p.seed);
    const double cells = static_cast<double>(std::clamp(p.cells, 1, kMaxCells));
    const double capacityAh = p.capacityMah / 1000.0;
    const double stopDrop = std::max(0.005 * cells, 0.02);  // -delta V
    const double resistance = cellResistance(kNiMHResistanceAh, capacityAh);
    double soc = kNiMHStartSoc;
    double peak = 0;
    double capacityMah = 0;
    std::vector<ChargerReading> readings;
    const std::size_t limit = runLimit(p);
    while (readings.size() < limit) {
        const double pack = cells * (nimhOcv(soc) + p.current * resistance);
        peak = std::max(peak, pack);

        ChargerReading r = baseReading(Mode::Charge, Chemistry::NiMH);
        r.voltage = hundredths(pack);
        r.current = hundredths(p.current);
        r.capacity = Decimal::fromInt(static_cast<std::int64_t>(capacityMah));
        // The pack warms up sharply once it is nearly full.
        r.extTemperature = whole(25.0 + 2.0 * soc + 100.0 * std::max(0.0, soc - 0.92));
        r.intTemperature = whole(33.0 + 1.5 * p.current);
        r.inputVoltage = hundredths(15.0 - 0.04 * p.current + random.uniform(-0.02, 0.02));
        readings.push_back(r);
        if (peak - pack >= stopDrop) {
            break;
        }
        const double chargeAh = p.current * p.stepSeconds / 3600.0;
        soc += chargeAh / capacityAh;
        capacityMah += chargeAh * 1000.0;
    }
    return readings;
}

std::vector<ChargerReading> idleReadings(std::size_t count, std::uint64_t seed) {
    Random random(seed);
    std::vector<ChargerReading> readings;
    for (std::size_t i = 0; i < count; ++i) {
        ChargerReading r = baseReading(Mode::Idle, Chemistry::Lithium);
        r.extTemperature = Decimal::fromInt(25);
        r.intTemperature = Decimal::fromInt(30);
        r.inputVoltage = hundredths(15.0 + random.uniform(-0.02, 0.02));
        readings.push_back(r);
    }
    return readings;
}

}  // namespace cellwatch::emulator
