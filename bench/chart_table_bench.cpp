// The cost of recording one more sample, with 1,000 and with 1,000,000
// samples already recorded: one point on each chart series, one table row
// (with and without a view showing the table), and reading an axis's data
// maximum and a point's X. Each should cost the same at both sizes.
//
// Every measured iteration does a batch of operations; between batches,
// untimed, the recording is cut back to its starting size (and the view
// gets to paint), so every batch runs against the same amount of data.
//
//   chart_table_bench [--benchmark_filter=...] [other Google Benchmark flags]
#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <unistd.h>
#include <QApplication>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {
namespace {

constexpr int kBatch = 1000;
constexpr double kSecond = 1 / 86400.0;
const std::int64_t kSizes[] = {1'000, 1'000'000};

Reading sampleAt(std::int64_t k) {
    Reading s;
    s.charger = std::string(kFirstDriverId);
    s.cellCount = kCellCount;
    s.elapsedMs = static_cast<std::uint32_t>(k * 1000);
    s.chemistryText = std::string(kTypeLithium);
    s.chemistry = Chemistry::Lithium;
    s.stateText = std::string(kStateCharge);
    s.state = ChargeState::Charging;
    s.extTemperature = Decimal::fromInt(25);
    s.intTemperature = Decimal::fromInt(31);
    s.inputVoltage = Decimal::fromHundredths(1200);
    s.voltage = Decimal::fromHundredths(1260 + k % 50);
    s.current = Decimal::fromHundredths(200);
    s.capacity = Decimal::fromInt(k % 5000);
    s.power = (s.voltage * s.current).abs().rounded(2);
    for (std::size_t cell = 0; cell < 3; ++cell) {
        s.cells[cell] = Decimal::fromHundredths(420);
    }
    return s;
}

// A recording of a given length, built once per size and shared by the
// benchmarks, which leave it as they found it.
struct Recording {
    explicit Recording(std::int64_t samples) : size(samples) {
        chart.resize(1000, 560);
        for (std::int64_t k = 0; k < samples; ++k) {
            addPoints(k);
            table.store().append(sampleAt(k));
        }
        view.resize(1000, 400);
        view.setModel(&table);
        view.show();
        QApplication::processEvents();
    }

    void addPoints(std::int64_t k) {
        const double x = static_cast<double>(k) * kSecond;
        const double y = static_cast<double>(k % 97);
        for (int series = 0; series < kSeriesCount; ++series) {
            chart.addPoint(series, x, y);
        }
    }

    // Back to the recorded length, untimed. With paint, the window also
    // gets to draw what changed, as between two samples.
    void cutBack(bool paint) {
        for (int series = 0; series < kSeriesCount; ++series) {
            chart.truncateSeries(series, static_cast<std::size_t>(size));
        }
        table.setGridRowCount(static_cast<int>(size) + 1);
        if (paint) {
            QApplication::processEvents();
        }
    }

    std::int64_t size;
    ChartView chart;
    DataTableModel table;
    DataTableView view;
};

// Built on first use; emptied before the application object goes.
std::map<std::int64_t, std::unique_ptr<Recording>>& recordings() {
    static std::map<std::int64_t, std::unique_ptr<Recording>> built;
    return built;
}

Recording& recording(std::int64_t samples) {
    auto& slot = recordings()[samples];
    if (!slot) {
        slot = std::make_unique<Recording>(samples);
    }
    return *slot;
}

void reportPerOperation(benchmark::State& state) {
    state.counters["per_op"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBatch,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ChartPoints(benchmark::State& state) {
    Recording& r = recording(state.range(0));
    for (auto _ : state) {
        for (std::int64_t k = r.size; k < r.size + kBatch; ++k) {
            r.addPoints(k);
        }
        state.PauseTiming();
        r.cutBack(false);
        state.ResumeTiming();
    }
    reportPerOperation(state);
}

// Rows into the model alone, and into a model shown by the view.
void appendRows(benchmark::State& state, bool withView) {
    Recording& r = recording(state.range(0));
    r.view.setModel(withView ? &r.table : nullptr);
    QApplication::processEvents();
    std::vector<Reading> samples;
    for (std::int64_t k = r.size; k < r.size + kBatch; ++k) {
        samples.push_back(sampleAt(k));
    }
    for (auto _ : state) {
        for (const Reading& s : samples) {
            r.table.store().append(s);
        }
        state.PauseTiming();
        r.cutBack(withView);
        state.ResumeTiming();
    }
    r.view.setModel(&r.table);
    reportPerOperation(state);
}

void TableRow(benchmark::State& state) {
    appendRows(state, false);
}
void TableRowShown(benchmark::State& state) {
    appendRows(state, true);
}

void AxisDataMax(benchmark::State& state) {
    Recording& r = recording(state.range(0));
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            benchmark::DoNotOptimize(r.chart.dataMax(ChartAxis::Left));
        }
    }
    reportPerOperation(state);
}

void PointX(benchmark::State& state) {
    Recording& r = recording(state.range(0));
    const std::size_t middle = static_cast<std::size_t>(r.size / 2);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kBatch; ++i) {
            benchmark::DoNotOptimize(r.chart.pointX(kSeriesVoltage, middle + i % 7));
        }
    }
    reportPerOperation(state);
}

struct Row {
    const char* name;
    const char* what;
};
const Row kRows[] = {
    {"ChartPoints", "one point on each of the 4 series"},
    {"TableRow", "one table row (model)"},
    {"TableRowShown", "one table row (model shown in the view)"},
    {"AxisDataMax", "data maximum of an axis"},
    {"PointX", "X of a point"},
};

// Prints Google Benchmark's table, then collects the time per operation.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter()
        : ConsoleReporter(isatty(fileno(stdout)) != 0 ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto counter = run.counters.find("per_op");
            if (run.run_type == Run::RT_Iteration && !run.error_occurred &&
                counter != run.counters.end()) {
                nanoseconds[run.benchmark_name()] = counter->second.value * 1e9;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printSummary() const {
        std::printf("\n%-44s %14s %14s %8s\n", "ns per operation, samples recorded:", "1,000",
                    "1,000,000", "ratio");
        for (const Row& row : kRows) {
            const auto small = nanoseconds.find(std::string(row.name) + "/1000");
            const auto large = nanoseconds.find(std::string(row.name) + "/1000000");
            if (small == nanoseconds.end() || large == nanoseconds.end()) {
                continue;
            }
            std::printf("%-44s %14.1f %14.1f %8.2f\n", row.what, small->second, large->second,
                        large->second / small->second);
        }
    }

private:
    std::map<std::string, double> nanoseconds;
};

void registerAll() {
    using Function = void (*)(benchmark::State&);
    const std::pair<const char*, Function> benchmarks[] = {
        {"ChartPoints", ChartPoints}, {"TableRow", TableRow}, {"TableRowShown", TableRowShown},
        {"AxisDataMax", AxisDataMax}, {"PointX", PointX},
    };
    for (const auto& [name, function] : benchmarks) {
        auto* b = benchmark::RegisterBenchmark(name, function);
        for (std::int64_t size : kSizes) {
            b->Arg(size);
        }
        b->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace
}  // namespace cellwatch

int main(int argc, char** argv) {
    cellwatch::bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    cellwatch::registerAll();
    cellwatch::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    cellwatch::recordings().clear();
    benchmark::Shutdown();
    return 0;
}
