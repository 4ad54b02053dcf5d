// Simple battery pack simulations that feed the scenarios. They aim at the
// shapes a receiver's user recognises (constant current then constant
// voltage, a NiMH peak and its small drop), not at electrochemistry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/emulator/charger_reading.h"

namespace cellwatch::emulator {

// A small deterministic random source (SplitMix64). The standard library's
// distributions differ between implementations; this one gives the same
// numbers everywhere for the same seed.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // Uniform in [lo, hi).
    double uniform(double lo, double hi);
    // Uniform in [lo, hi], both inclusive.
    std::uint32_t between(std::uint32_t lo, std::uint32_t hi);

private:
    std::uint64_t state_;
};

struct PackParameters {
    int cells = 4;              // in series
    double capacityMah = 2200;  // nominal
    double current = 2.0;       // A, charge or discharge
    double stepSeconds = 1.0;   // simulated time between two messages
    std::size_t limit = 0;      // most readings; 0 means until the run ends
    std::uint64_t seed = 1;
    // The pack's internal resistance in ohm, shared by its cells (each
    // within 5 % of its share); 0: the model's own for the capacity.
    double resistanceOhm = 0;
    // One weak cell (1-based; 0: none): its capacity and resistance as a
    // share of the others' (1: the same).
    int weakCell = 0;
    double weakCapacity = 1.0;
    double weakResistance = 1.0;
    // A lithium charge starts at this state of charge (a pack back from use).
    double chargeStartSoc = 0.15;
};

// A lithium cell's voltage under load below which the charger stops a
// discharge, whatever the pack's voltage (a weak cell runs empty first).
inline constexpr double kLithiumCellCutOff = 3.00;

inline constexpr double kLithiumFullCell = 4.20;   // V, constant-voltage limit
inline constexpr double kLithiumEmptyCell = 3.30;  // V, discharge cut-off under load

// Lithium pack charged at constant current until 4.20 V per cell, then held
// at 4.20 V per cell while the current tapers; ends with the first reading
// whose current is below C/10. Cells differ by a few millivolts.
std::vector<ChargerReading> lithiumCharge(const PackParameters& p);

// The same pack, full, discharged at constant current; ends with the first
// reading at or below 3.30 V per cell, or with one cell at or below 3.00 V.
std::vector<ChargerReading> lithiumDischarge(const PackParameters& p);

// NiMH pack charged at constant current: the voltage climbs to a peak and,
// once the pack is full, drops a little; ends with the first reading 5 mV
// per cell (at least 20 mV) below the peak. A NiMH pack has no balance lead,
// so every cell voltage reads 0.
std::vector<ChargerReading> nimhCharge(const PackParameters& p);

// A charger with nothing connected: mode idle, voltages and current zero.
std::vector<ChargerReading> idleReadings(std::size_t count, std::uint64_t seed);

}  // namespace cellwatch::emulator
