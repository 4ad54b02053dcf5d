// The internal resistance a recording shows where its current steps: a
// charge or discharge starting or stopping, a change of the current.
//
// A step is two consecutive timed rows whose currents differ by at least
// `minStepA`. Before it, up to `windowRows` rows whose current stays within
// `steadyA` of the last one before the step, none more than
// `windowSeconds` before it; after it, once the current has settled (at
// most `windowRows` rows of a ramp are passed over), up to `windowRows`
// rows steady in the same way. From the means of the two windows:
//   R = (V_after - V_before) / (I_after - I_before)
// for the pack, and for each cell present in every row of both windows.
// The current is signed (negative while discharging), so R is positive for
// a real pack whichever way the current steps. The windows must follow one
// another within `windowSeconds` and the time must not fall back in them.
//
// Uncertainty: each mean is within half the resolution of what was
// measured, so dV is within `voltageResolutionV` and dI within
// `currentResolutionA`; the bound taken is
//   u(R) = (dV + |R| dI) / |I_after - I_before|.
// An estimate with u(R) / R above `shownUncertainty` (25 %), or with R not
// above 0, is kept but marked not to be shown as a figure.
//
// Each estimate carries where it was taken: the external temperature at the
// step and the capacity so far (the counter's increments, by the rules of
// phases.h: of the phase the step ends, and net over the recording, charge
// counted up and discharge down).
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/range_stats.h"

namespace cellwatch {

struct ResistanceOptions {
    double minStepA = 0.2;
    double steadyA = 0.05;
    int windowRows = 3;
    double windowSeconds = 10;
    double voltageResolutionV = 0.01;
    double currentResolutionA = 0.01;
    double shownUncertainty = 0.25;
};

struct CellResistance {
    bool present = false;
    double ohms = 0;
    double uncertaintyOhms = 0;
    bool shown = false;
};

struct ResistanceEstimate {
    std::size_t row = 0;  // the first data row after the step
    double atSeconds = 0;
    double currentBeforeA = 0;  // signed means of the windows
    double currentAfterA = 0;
    double voltageBeforeV = 0;
    double voltageAfterV = 0;
    double ohms = 0;
    double uncertaintyOhms = 0;
    bool shown = false;
    double tempExtC = 0;  // NaN when the row does not tell
    double phaseMahSoFar = 0;
    double netMahSoFar = 0;
    std::array<CellResistance, 12> cells{};

    double relativeUncertainty() const;
};

// Up to 2 x kKeptEstimates estimates: a recording with more steps keeps an
// even sample of them (every second, fourth, … step), in order.
inline constexpr std::size_t kKeptEstimates = 1000;
std::vector<ResistanceEstimate> estimateResistance(RangeRows& rows,
                                                   const ResistanceOptions& options = {});

// The same a row at a time (a file's rows as they are read): it keeps the
// few rows a step's windows look at and the estimates, nothing else.
class ResistanceEstimator {
public:
    explicit ResistanceEstimator(const ResistanceOptions& options = {});
    ~ResistanceEstimator();
    ResistanceEstimator(const ResistanceEstimator&) = delete;
    ResistanceEstimator& operator=(const ResistanceEstimator&) = delete;

    // The next row (data rows in order).
    void add(const RangeRowNumbers& row);
    // The estimates of every row added (estimateResistance's); ends it.
    std::vector<ResistanceEstimate> finish();
    // Estimates kept so far (fewer than 2 x kKeptEstimates).
    std::size_t kept() const { return estimates_.size(); }

private:
    class RecentRows;
    // The step at row `index`, once the rows its windows look at are in.
    void examine(std::size_t index);

    ResistanceOptions options_;
    std::size_t ahead_;  // rows a step's windows look on
    std::unique_ptr<RecentRows> recent_;
    std::size_t next_ = 0;  // the next row to examine
    std::vector<ResistanceEstimate> estimates_;
    std::size_t seen_ = 0;
    std::size_t stride_ = 1;
    std::optional<RangeRowNumbers> previous_;
    std::size_t skipUntil_ = 0;
    double phaseMah_ = 0;
    double netMah_ = 0;
    double lastCounter_ = std::numeric_limits<double>::quiet_NaN();
};

// The median over the estimates to be shown, of the pack and of each cell
// (NaN where none is), with the mean temperature of those estimates.
struct ResistanceSummary {
    int shownCount = 0;
    double packOhms = 0;
    double tempExtC = 0;
    std::array<double, 12> cellOhms{};
};

ResistanceSummary summarizeResistance(const std::vector<ResistanceEstimate>& estimates);

}  // namespace cellwatch
