#include "analysis/resistance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "analysis/phases.h"

namespace cellwatch {
namespace {

constexpr double kOhmsNaN = std::numeric_limits<double>::quiet_NaN();
// Readings are hundredths: 1.20 - 1.00 is a step of 0.2 A, whatever the
// floating point makes of it.
constexpr double kStepSlack = 1e-9;

bool usableRow(const RangeRowNumbers& r) {
    return r.timed && !std::isnan(r.seconds) && !std::isnan(r.voltage) && !std::isnan(r.current);
}

bool cellPresent(double v) {
    return !std::isnan(v) && v != 0;
}

// The means of a window of rows.
struct WindowMeans {
    std::size_t rows = 0;
    double firstSeconds = 0;
    double lastSeconds = 0;
    double current = 0;
    double voltage = 0;
    std::array<double, 12> cells{};
    std::array<bool, 12> cellPresent{};
};

void addToWindow(WindowMeans& w, const RangeRowNumbers& r) {
    if (w.rows == 0) {
        w.cellPresent.fill(true);
        w.firstSeconds = r.seconds;
    }
    w.lastSeconds = r.seconds;
    ++w.rows;
    w.current += r.current;
    w.voltage += r.voltage;
    for (std::size_t c = 0; c < w.cells.size(); ++c) {
        w.cellPresent[c] = w.cellPresent[c] && cellPresent(r.cells[c]);
        w.cells[c] += w.cellPresent[c] ? r.cells[c] : 0;
    }
}

void finishWindow(WindowMeans& w) {
    const auto n = static_cast<double>(w.rows);
    w.current /= n;
    w.voltage /= n;
    for (double& cell : w.cells) {
        cell /= n;
    }
}

// R with its bound, by the rule in the header.
void ohmsOf(double dv, double di, const ResistanceOptions& o, double& ohms, double& uncertainty,
            bool& shown) {
    ohms = dv / di;
    uncertainty = (o.voltageResolutionV + std::fabs(ohms) * o.currentResolutionA) / std::fabs(di);
    shown = ohms > 0 && uncertainty / ohms <= o.shownUncertainty;
}

// The window before a step at row `step` (the rows before it, newest first).
std::optional<WindowMeans> windowBefore(RangeRows& rows, std::size_t step,
                                        const ResistanceOptions& o) {
    WindowMeans w;
    double reference = 0;
    double stepSeconds = 0;
    double newer = 0;
    for (std::size_t k = step; k-- > 0 && w.rows < static_cast<std::size_t>(o.windowRows);) {
        const RangeRowNumbers r = rows.numbers(k);
        if (!usableRow(r)) {
            break;
        }
        if (w.rows == 0) {
            reference = r.current;
            stepSeconds = r.seconds;
        } else if (std::fabs(r.current - reference) > o.steadyA + kStepSlack || r.seconds > newer ||
                   stepSeconds - r.seconds > o.windowSeconds) {
            break;
        }
        newer = r.seconds;
        addToWindow(w, r);
    }
    if (w.rows == 0) {
        return std::nullopt;
    }
    finishWindow(w);
    return w;
}

// The window after a step at row `step`, once the current has settled;
// `end` is set to the row after the last one looked at.
std::optional<WindowMeans> windowAfter(RangeRows& rows, std::size_t step,
                                       const ResistanceOptions& o, std::size_t& end) {
    const std::size_t count = rows.rowCount();
    const auto most = static_cast<std::size_t>(o.windowRows);
    // Passes over a ramp: rows whose next row's current still moves.
    std::size_t start = step;
    for (std::size_t passed = 0; passed < most && start + 1 < count; ++passed) {
        const RangeRowNumbers a = rows.numbers(start);
        const RangeRowNumbers b = rows.numbers(start + 1);
        if (!usableRow(a) || !usableRow(b) ||
            std::fabs(b.current - a.current) <= o.steadyA + kStepSlack) {
            break;
        }
        ++start;
    }
    WindowMeans w;
    double reference = 0;
    double older = 0;
    std::size_t k = start;
    for (; k < count && w.rows < most; ++k) {
        const RangeRowNumbers r = rows.numbers(k);
        if (!usableRow(r)) {
            break;
        }
        if (w.rows == 0) {
            reference = r.current;
        } else if (std::fabs(r.current - reference) > o.steadyA + kStepSlack || r.seconds < older ||
                   r.seconds - w.firstSeconds > o.windowSeconds) {
            break;
        }
        older = r.seconds;
        addToWindow(w, r);
    }
    end = std::max(k, step + 1);
    if (w.rows == 0) {
        return std::nullopt;
    }
    finishWindow(w);
    return w;
}

std::optional<ResistanceEstimate> estimateAt(RangeRows& rows, std::size_t step,
                                             const ResistanceOptions& o, std::size_t& end) {
    end = step + 1;
    const auto before = windowBefore(rows, step, o);
    if (!before) {
        return std::nullopt;
    }
    const auto after = windowAfter(rows, step, o, end);
    if (!after || after->firstSeconds < before->lastSeconds ||
        after->firstSeconds - before->lastSeconds > o.windowSeconds) {
        return std::nullopt;
    }
    const double di = after->current - before->current;
    if (std::fabs(di) < o.minStepA - kStepSlack) {
        return std::nullopt;
    }
    ResistanceEstimate e;
    e.row = step;
    e.atSeconds = rows.numbers(step).seconds;
    e.currentBeforeA = before->current;
    e.currentAfterA = after->current;
    e.voltageBeforeV = before->voltage;
    e.voltageAfterV = after->voltage;
    ohmsOf(after->voltage - before->voltage, di, o, e.ohms, e.uncertaintyOhms, e.shown);
    for (std::size_t c = 0; c < e.cells.size(); ++c) {
        CellResistance& cell = e.cells[c];
        cell.present = before->cellPresent[c] && after->cellPresent[c];
        if (cell.present) {
            ohmsOf(after->cells[c] - before->cells[c], di, o, cell.ohms, cell.uncertaintyOhms,
                   cell.shown);
        }
    }
    return e;
}

double medianOf(std::vector<double> values) {
    if (values.empty()) {
        return kOhmsNaN;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

double ResistanceEstimate::relativeUncertainty() const {
    return ohms > 0 ? uncertaintyOhms / ohms : std::numeric_limits<double>::infinity();
}

// The rows a step's windows look at: the newest rows added, by their data
// row index; the count is that of every row added so far.
class ResistanceEstimator::RecentRows final : public RangeRows {
public:
    explicit RecentRows(std::size_t capacity) : rows_(capacity) {}
    std::size_t rowCount() const override { return count_; }
    RangeRowNumbers numbers(std::size_t index) override { return rows_[index % rows_.size()]; }
    void add(const RangeRowNumbers& row) { rows_[count_++ % rows_.size()] = row; }

private:
    std::vector<RangeRowNumbers> rows_;
    std::size_t count_ = 0;
};

ResistanceEstimator::ResistanceEstimator(const ResistanceOptions& options)
    : options_(options),
      // A step's windows look back windowRows rows and on 2 x windowRows.
      ahead_(2 * static_cast<std::size_t>(std::max(options.windowRows, 1))),
      recent_(std::make_unique<RecentRows>(
          ahead_ + static_cast<std::size_t>(std::max(options.windowRows, 1)) + 2)) {}

ResistanceEstimator::~ResistanceEstimator() = default;

void ResistanceEstimator::add(const RangeRowNumbers& row) {
    recent_->add(row);
    while (next_ + ahead_ < recent_->rowCount()) {
        examine(next_++);
    }
}

std::vector<ResistanceEstimate> ResistanceEstimator::finish() {
    while (next_ < recent_->rowCount()) {
        examine(next_++);
    }
    return std::move(estimates_);
}

void ResistanceEstimator::examine(std::size_t i) {
    RangeRows& rows = *recent_;
    const RangeRowNumbers row = rows.numbers(i);
    if (!row.timed) {
        return;
    }
    // The counter so far, as phases.h counts it.
    if (previous_ && previous_->state != row.state) {
        phaseMah_ = 0;
        lastCounter_ = kOhmsNaN;
    }
    if (!std::isnan(row.capacity)) {
        if (!std::isnan(lastCounter_)) {
            bool restarted = false;
            const double step = counterStepMah(lastCounter_, row.capacity, restarted);
            phaseMah_ += step;
            netMah_ += row.state == RowState::Charge      ? step
                       : row.state == RowState::Discharge ? -step
                                                          : 0;
        }
        lastCounter_ = row.capacity;
    }
    const bool stepped =
        previous_ && usableRow(*previous_) && usableRow(row) &&
        std::fabs(row.current - previous_->current) >= options_.minStepA - kStepSlack;
    previous_ = row;
    if (!stepped || i < skipUntil_) {
        return;
    }
    std::size_t end = i + 1;
    if (auto e = estimateAt(rows, i, options_, end)) {
        e->tempExtC = row.extTemperature;
        e->phaseMahSoFar = phaseMah_;
        e->netMahSoFar = netMah_;
        // Past kKeptEstimates, every second one kept goes and only every
        // stride-th new one is taken: an even sample of the recording.
        if (seen_++ % stride_ == 0) {
            estimates_.push_back(*e);
            if (estimates_.size() >= 2 * kKeptEstimates) {
                std::size_t kept = 0;
                for (std::size_t k = 0; k < estimates_.size(); k += 2) {
                    estimates_[kept++] = estimates_[k];
                }
                estimates_.resize(kept);
                stride_ *= 2;
            }
        }
    }
    skipUntil_ = end;
}

std::vector<ResistanceEstimate> estimateResistance(RangeRows& rows,
                                                   const ResistanceOptions& options) {
    ResistanceEstimator estimator(options);
    const std::size_t count = rows.rowCount();
    for (std::size_t i = 0; i < count; ++i) {
        estimator.add(rows.numbers(i));
    }
    return estimator.finish();
}

ResistanceSummary summarizeResistance(const std::vector<ResistanceEstimate>& estimates) {
    ResistanceSummary s;
    std::vector<double> pack;
    std::array<std::vector<double>, 12> cells;
    double tempSum = 0;
    int temps = 0;
    for (const ResistanceEstimate& e : estimates) {
        if (e.shown) {
            pack.push_back(e.ohms);
            if (!std::isnan(e.tempExtC)) {
                tempSum += e.tempExtC;
                ++temps;
            }
        }
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (e.cells[c].present && e.cells[c].shown) {
                cells[c].push_back(e.cells[c].ohms);
            }
        }
    }
    s.shownCount = static_cast<int>(pack.size());
    s.packOhms = medianOf(pack);
    s.tempExtC = temps > 0 ? tempSum / temps : kOhmsNaN;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        s.cellOhms[c] = medianOf(cells[c]);
    }
    return s;
}

}  // namespace cellwatch
