// The charger's per-cell resistance as a journal keeps it: a phase's line
// from its readings (read back: tests/packs, tests/window, tests/icharger).
#include <gtest/gtest.h>

#include <vector>

#include "protocol/decimal.h"
#include "readout/resistance_note.h"

namespace cellwatch {
namespace {

// A reading of `state` whose cells report `tenths` (0: none) tenths of a mΩ.
Reading reading(ChargeState state, const std::vector<int>& tenths) {
    Reading r;
    r.state = state;
    r.cellCount = static_cast<int>(tenths.size());
    for (std::size_t k = 0; k < tenths.size(); ++k) {
        r.cells[k] = Decimal::fromHundredths(380);
        if (tenths[k] != 0) {
            r.cellResistance[k] = Decimal::fromRaw(tenths[k] * 1000LL);
        }
    }
    return r;
}

TEST(ResistanceNote, EachPhaseEndsWithItsCellsMedians) {
    constexpr ChargeState kChg = ChargeState::Charging;
    constexpr ChargeState kDsc = ChargeState::Discharging;
    constexpr ChargeState kDone = ChargeState::Done;
    struct Step {
        ChargeState state;
        std::vector<int> tenths;
        const char* note;  // what add() returns
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
        const char* last;  // what finish() returns
    } cases[] = {
        {"a charge, then a discharge, then done",
         {{kChg, {30, 95}, ""},
          {kChg, {31, 99}, ""},
          {kChg, {29, 90}, ""},
          {kDsc, {40, 120}, "resistance mohm=3,9.5"},
          {kDone, {41, 121}, "resistance mohm=4,12"},
          {kDone, {41, 121}, ""}},
         ""},
        {"absurd figures left out, a cell without any",
         {{kChg, {0, 99999, 30}, ""}, {kChg, {0, 12, 32}, ""}, {kChg, {0, 12, 31}, ""}},
         "resistance mohm=-,1.2,3.1"},
        {"a charger that reports none writes nothing",
         {{kChg, {0, 0}, ""}, {kDsc, {0, 0}, ""}},
         ""},
        {"the recording's end ends the phase", {{kDsc, {22}, ""}}, "resistance mohm=2.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PhaseResistance phases;
        for (const Step& s : c.steps) {
            EXPECT_EQ(phases.add(reading(s.state, s.tenths)).toStdString(), s.note);
        }
        EXPECT_EQ(phases.finish().toStdString(), c.last);
        EXPECT_TRUE(phases.finish().isEmpty());  // nothing twice
    }
}

// A phase of hours keeps a bounded sample, still an even one.
TEST(ResistanceNote, ALongPhaseKeepsAnEvenSample) {
    PhaseResistance phases;
    for (int k = 0; k < 100'000; ++k) {
        phases.add(reading(ChargeState::Charging, {k < 70'000 ? 30 : 50}));
    }
    EXPECT_EQ(phases.finish().toStdString(), "resistance mohm=3");
}

}  // namespace
}  // namespace cellwatch
