// The live pipeline of the window, sample by sample, over a long recording.
//
// A real main window (offscreen) gets 100,000 charging samples through its
// recording's AcceptSample, one simulated second apart, so none of them
// restarts the recording. Where it is measured, the event loop runs once
// after each sample, as it does when the receive event returns: the queued
// chart replot and the repaints of the readouts, the gauge and the cell
// panel happen there.
//
// Printed: the mean cost per sample of AcceptSample alone, of the event
// processing after it, and of both together, for the first and the last
// 1,000 samples and for 200 samples at a tenth, a quarter, half and three
// quarters of the recording, and the ratio of the last block to the first.
// A pipeline whose cost does not grow with the length of the recording
// gives a ratio near 1. Between these blocks, where nothing is measured,
// the event loop runs every 100 samples only, which keeps the run short.
//
//   pipeline_bench [samples]     (default 100000, at least 2000)
#include <time.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <qcustomplot.h>

#include "app/main_window.h"
#include "bench/bench_process.h"
#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"

namespace cellwatch {
namespace {

constexpr std::size_t kBlock = 1000;
constexpr std::size_t kShortBlock = 200;
constexpr std::size_t kFillEventsEvery = 100;

// Stretches of the recording measured sample by sample, with the event
// loop run after every sample as it is live.
struct Block {
    std::size_t first;  // index of its first sample
    std::size_t count;
    double acceptNs = 0;  // summed over the block
    double eventsNs = 0;
    double wallNs = 0;
    double replotNs = 0;  // the chart's own measure of its replots, wall-clock
};

// The blocks: the first and the last 1,000 samples, and shorter ones at a
// tenth, a quarter, half and three quarters of the recording.
std::vector<Block> blocksFor(std::size_t samples) {
    std::vector<Block> blocks{{0, kBlock}};
    for (double at : {0.1, 0.25, 0.5, 0.75}) {
        const auto first = static_cast<std::size_t>(at * static_cast<double>(samples));
        if (first >= blocks.back().first + blocks.back().count &&
            first + kShortBlock <= samples - kBlock) {
            blocks.push_back({first, kShortBlock});
        }
    }
    blocks.push_back({samples - kBlock, kBlock});
    return blocks;
}

void run(std::size_t samples, std::vector<Block>& blocks) {
    bench::BenchWindow bw;
    MainWindow& w = *bw.window;
    ManualTickClock& ticks = bw.ticks;
    ManualWallClock& wall = bw.wall;
    Recording& recording = bw.beginRecording();

    auto block = blocks.begin();
    for (std::size_t k = 0; k < samples; ++k) {
        ticks.advance(1000);
        wall.advance(1000);
        Reading s = bench::sampleAt(k);
        s.elapsedMs = ticksBetween(recording.connectTicks(), ticks.tickCount());
        const bool measured = block != blocks.end() && k >= block->first;
        if (!measured) {
            recording.AcceptSample(s);
            if (k % kFillEventsEvery == 0) {
                QApplication::processEvents();
            }
            continue;
        }
        const double t0 = bench::processCpuNs();
        const auto w0 = std::chrono::steady_clock::now();
        recording.AcceptSample(s);
        const double t1 = bench::processCpuNs();
        QApplication::processEvents();
        const double t2 = bench::processCpuNs();
        const auto w2 = std::chrono::steady_clock::now();
        block->acceptNs += t1 - t0;
        block->eventsNs += t2 - t1;
        block->replotNs += w.chart().plot()->replotTime() * 1e6;
        block->wallNs += static_cast<double>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(w2 - w0).count());
        if (k + 1 == block->first + block->count) {
            ++block;
        }
    }
    const int rows = w.table().gridRowCount() - 1;
    const auto points = w.chart().pointCount(kSeriesVoltage);
    if (rows != static_cast<int>(samples) || points != samples) {
        std::fprintf(stderr, "expected %zu rows and points, got %d rows and %zu points\n", samples,
                     rows, points);
        std::exit(1);
    }
}

}  // namespace
}  // namespace cellwatch

int main(int argc, char** argv) {
    using namespace cellwatch;
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    std::size_t samples = 100'000;
    if (argc > 1) {
        samples = std::max<std::size_t>(std::strtoul(argv[1], nullptr, 10), 2 * kBlock);
    }

    std::vector<Block> blocks = blocksFor(samples);
    const auto started = std::chrono::steady_clock::now();
    run(samples, blocks);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::printf(
        "Live pipeline of the main window (offscreen): %zu charging samples, one simulated\n"
        "second apart, into one recording. Measured per sample in the blocks below:\n"
        "  accept  Recording::AcceptSample: checks, 4 chart points, time and vertical axes,\n"
        "          readouts, gauge, cell panel, one table row\n"
        "  events  one pass of the event loop after it, as when the receive event returns:\n"
        "          the queued chart replot, layout and the window's repaints\n"
        "Between the blocks the samples go in with the event loop run every %zu samples.\n"
        "Mean microseconds of process CPU time per sample; beside it wall-clock times, which\n"
        "other load on the machine inflates: the whole sample, and of the events the chart's\n"
        "replot as the chart measures it:\n\n",
        samples, kFillEventsEvery);
    std::printf("%-18s %10s %10s %10s %10s %10s\n", "samples", "accept", "events", "total", "wall",
                "replot");
    for (const Block& b : blocks) {
        const double n = static_cast<double>(b.count) * 1000;
        char label[48];
        std::snprintf(label, sizeof label, "%zu - %zu", b.first + 1, b.first + b.count);
        std::printf("%-18s %10.1f %10.1f %10.1f %10.1f %10.1f\n", label, b.acceptNs / n,
                    b.eventsNs / n, (b.acceptNs + b.eventsNs) / n, b.wallNs / n, b.replotNs / n);
    }
    const Block& first = blocks.front();
    const Block& last = blocks.back();
    std::printf(
        "\nlast / first 1,000 samples: total %.2f (accept %.2f, events %.2f); goal: at most 1.5\n",
        (last.acceptNs + last.eventsNs) / (first.acceptNs + first.eventsNs),
        last.acceptNs / first.acceptNs, last.eventsNs / first.eventsNs);
    std::printf("run time %.1f s\n", seconds);
    return 0;
}
