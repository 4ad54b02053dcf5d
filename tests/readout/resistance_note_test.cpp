// The charger's per-cell resistance as a journal keeps it: a phase's line
// from its readings, and the line read back, also out of a journal.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <string>
#include <vector>

#include "protocol/decimal.h"
#include "readout/recording_file.h"
#include "readout/resistance_note.h"
#include "tests/support/journal_text.h"

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

TEST(ResistanceNote, ReadBackAndBadLinesRefused) {
    const double nan = std::nan("");
    const struct {
        const char* line;
        bool read;
        std::vector<double> cells;
    } cases[] = {
        {"resistance mohm=2.9,3.1,-,3.4", true, {2.9, 3.1, nan, 3.4}},
        {"resistance mohm=nan,inf,0,5000,-1,x", false, {}},
        {"resistance mohm=1e308,2", true, {nan, 2}},
        {"resistance mohm=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", false, {}},
        {"resistance mohm=", false, {}},
        {"alarm cell-high: Cell 3 at 4.27 V", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<double> cells;
        ASSERT_EQ(readResistanceNote(QString::fromUtf8(c.line), cells), c.read);
        if (!c.read) {
            continue;
        }
        ASSERT_EQ(cells.size(), c.cells.size());
        for (std::size_t k = 0; k < cells.size(); ++k) {
            EXPECT_TRUE(std::isnan(c.cells[k]) ? std::isnan(cells[k]) : cells[k] == c.cells[k]);
        }
    }
}

// Read and streamed alike: each line with the rows before it; other
// comments and a journal without lines read as before.
TEST(ResistanceNote, AJournalsLinesComeWithTheirPlace) {
    QTemporaryDir dir;
    QByteArray text = testing::journalText(QStringLiteral("2026-12-01T10:00:00+01:00"),
                                           {{1, "+CHG+", 12, 2, 0}, {2, "+CHG+", 12, 2, 1}});
    text += "\"# resistance mohm=3,9.5\"\r\n\"# alarm lost: gone\"\r\n";
    text += "# resistance mohm=0\r\n";
    const QString path = testing::writeFile(dir.filePath(QStringLiteral("cellwatch-a.csv")), text);
    for (const bool streamed : {false, true}) {
        SCOPED_TRACE(streamed ? "streamed" : "read");
        RecordingFile file;
        if (streamed) {
            file.stream(path, {});
        } else {
            ASSERT_TRUE(file.read(path));
        }
        ASSERT_EQ(file.resistanceNotes().size(), 1u);
        EXPECT_EQ(file.resistanceNotes()[0].afterRows, 2u);
        EXPECT_EQ(file.resistanceNotes()[0].cellMilliohms, (std::vector<double>{3, 9.5}));
        EXPECT_EQ(file.alarms().size(), 1u);
        EXPECT_EQ(file.rowCount(), 2u);
    }
}

}  // namespace
}  // namespace cellwatch
