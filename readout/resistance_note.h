// The resistance a charger reports of each cell, kept in its journal: at the
// end of each charge or discharge phase of a charger that reports it (and at
// the recording's end), one comment line after the phase's last row,
//   # resistance mohm=2.9,3.1,-,3.4
// with each cell's median over the phase's readings (cells 1..n, "-" for a
// cell without a plausible figure), in milliohms, each number in its
// shortest plain form (Decimal::plainText). A figure that is not finite,
// not above 0 or above kMostCellMilliohms is no measurement and is left out.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/reading.h"

namespace cellwatch {

inline constexpr double kMostCellMilliohms = 1000.0;

bool plausibleCellMilliohms(double milliohms);

// A phase's line as read back: cells 1..n, NaN for a cell without a figure.
struct ResistanceNote {
    std::size_t afterRows = 0;  // rows before it in the file
    std::vector<double> cellMilliohms;
};

// "resistance mohm=..." of figures in ten-thousandths of a milliohm
// (Decimal::raw), a negative one for none; empty when no cell has one.
QString resistanceNoteText(const std::vector<std::int64_t>& cellRaw);
// The cells of a comment line (without its '#') as resistanceNoteText
// writes it, implausible figures as NaN; false for any other comment or a
// line without one plausible figure.
bool readResistanceNote(const QString& comment, std::vector<double>& cellMilliohms);

// The per-cell figures of a channel's readings, phase by phase. It keeps an
// even sample of at most kKeptReadings readings of the phase, whatever its
// length.
class PhaseResistance {
public:
    static constexpr std::size_t kKeptReadings = 512;

    // An accepted reading. Returns the note of the phase it ends (empty when
    // it ends none, or that phase reported nothing).
    QString add(const Reading& reading);
    // Ends the phase under way: its note (empty as above).
    QString finish();

private:
    enum class Kind { None, Charge, Discharge };
    Kind kind_ = Kind::None;
    std::size_t readings_ = 0;  // of the phase
    std::size_t stride_ = 1;    // every stride_-th reading is kept
    std::size_t kept_ = 0;
    std::array<std::vector<std::int64_t>, kMostCells> cells_;
};

}  // namespace cellwatch
