#include "analysis/phases.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/recording_summary.h"

namespace cellwatch {
namespace {

constexpr double kPhaseNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double counterStepMah(double before, double after, bool& restarted) {
    restarted = false;
    if (after >= before) {
        return after - before;
    }
    if (after < before / 2) {
        restarted = true;
        return after;
    }
    return 0;
}

void PhaseCutter::add(std::size_t index, const RangeRowNumbers& row) {
    if (!row.timed || std::isnan(row.seconds)) {
        return;
    }
    if (open_ && open_->kind != row.state) {
        close();
    }
    const double t = row.seconds;
    const double amps = row.current;
    const double power = rowPowerW(row.voltage, amps);
    if (!open_) {
        Phase p;
        p.kind = row.state;
        p.firstRow = index;
        p.startSeconds = t;
        p.voltageFirstV = std::isnan(row.voltage) ? 0 : row.voltage;
        p.tempExtMaxC = kPhaseNaN;
        open_ = p;
        haveCounter_ = false;
        currentSum_ = 0;
        currentRows_ = 0;
        tempSum_ = 0;
        tempRows_ = 0;
    } else {
        Phase& p = *open_;
        p.energyWh += energyStepWh(lastSeconds_, lastPower_, t, power);
        if (t > lastSeconds_) {
            p.durationS += t - lastSeconds_;
            if (!std::isnan(amps) && !std::isnan(lastCurrent_)) {
                p.currentMah +=
                    (t - lastSeconds_) * (std::fabs(amps) + std::fabs(lastCurrent_)) / 2 / 3.6;
            }
        }
    }
    Phase& p = *open_;
    p.lastRow = index;
    p.endSeconds = t;
    ++p.rows;
    if (!std::isnan(row.capacity)) {
        if (!haveCounter_) {
            p.counterFirstMah = row.capacity;
            p.startedPartWay = row.capacity > kPartWayMah;
            haveCounter_ = true;
        } else {
            bool restarted = false;
            p.capacityMah += counterStepMah(lastCounter_, row.capacity, restarted);
            p.counterRestarts += restarted ? 1 : 0;
        }
        p.counterLastMah = row.capacity;
        lastCounter_ = row.capacity;
    }
    if (!std::isnan(amps)) {
        currentSum_ += amps;
        ++currentRows_;
        p.currentMeanA = currentSum_ / static_cast<double>(currentRows_);
        if (std::fabs(amps) > std::fabs(p.currentPeakA)) {
            p.currentPeakA = amps;
        }
    }
    if (!std::isnan(row.extTemperature)) {
        tempSum_ += row.extTemperature;
        ++tempRows_;
        p.tempExtMaxC = std::isnan(p.tempExtMaxC) ? row.extTemperature
                                                  : std::max(p.tempExtMaxC, row.extTemperature);
    }
    p.tempExtMeanC = tempRows_ > 0 ? tempSum_ / static_cast<double>(tempRows_) : kPhaseNaN;
    if (!std::isnan(row.voltage)) {
        p.voltageLastV = row.voltage;
    }
    p.cells = 0;
    for (std::size_t c = 0; c < p.cellsLastV.size(); ++c) {
        const double v = row.cells[c];
        const bool present = !std::isnan(v) && v != 0;
        p.cellsLastV[c] = present ? v : kPhaseNaN;
        p.cells += present ? 1 : 0;
    }
    lastSeconds_ = t;
    lastPower_ = power;
    lastCurrent_ = amps;
}

void PhaseCutter::close() {
    if (open_) {
        addToTotals(closedTotals_, *open_);
        if (done_.size() < kKeptPhases) {
            done_.push_back(*open_);
        } else {
            ++omitted_;
        }
        open_.reset();
    }
}

RecordingPhases PhaseCutter::result() const {
    RecordingPhases r;
    r.phases = done_;
    r.omitted = omitted_;
    r.totals = closedTotals_;
    if (open_) {
        addToTotals(r.totals, *open_);
        if (r.phases.size() < kKeptPhases) {
            r.phases.push_back(*open_);
        } else {
            ++r.omitted;
        }
    }
    return r;
}

void addToTotals(PhaseTotals& t, const Phase& p) {
    if (p.kind == RowState::Charge) {
        ++t.chargePhases;
        t.chargeMah += p.capacityMah;
        t.chargeWh += p.energyWh;
    } else if (p.kind == RowState::Discharge) {
        ++t.dischargePhases;
        t.dischargeMah += p.capacityMah;
        t.dischargeWh += p.energyWh;
    }
    t.efficiencyWh = t.chargeWh > 0 && t.dischargeWh > 0
                         ? std::optional<double>(t.dischargeWh / t.chargeWh)
                         : std::nullopt;
    t.efficiencyMah = t.chargeMah > 0 && t.dischargeMah > 0
                          ? std::optional<double>(t.dischargeMah / t.chargeMah)
                          : std::nullopt;
}

PhaseTotals phaseTotals(const std::vector<Phase>& phases) {
    PhaseTotals t;
    for (const Phase& p : phases) {
        addToTotals(t, p);
    }
    return t;
}

RecordingPhases cutPhases(RangeRows& rows) {
    PhaseCutter cutter;
    const std::size_t count = rows.rowCount();
    for (std::size_t i = 0; i < count; ++i) {
        cutter.add(i, rows.numbers(i));
    }
    return cutter.result();
}

std::optional<std::size_t> phaseOfRow(const std::vector<Phase>& phases, std::size_t row) {
    const auto found = std::partition_point(phases.begin(), phases.end(),
                                            [row](const Phase& p) { return p.lastRow < row; });
    if (found == phases.end() || found->firstRow > row) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - phases.begin());
}

}  // namespace cellwatch
