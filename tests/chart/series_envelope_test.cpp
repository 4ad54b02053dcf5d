#include "chart/series_envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace cellwatch {
namespace {

std::vector<CurveLine> lines(SeriesEnvelope& envelope) {
    std::vector<CurveLine> out;
    envelope.lines(out);
    return out;
}

// The one line of an envelope whose X only grows (nothing when it shows nothing).
CurveLine shown(SeriesEnvelope& envelope) {
    const std::vector<CurveLine> out = lines(envelope);
    EXPECT_LE(out.size(), 1u);
    return out.empty() ? CurveLine{} : out.front();
}

// The same points; a gap (NaN) equals a gap.
bool samePoints(const std::vector<CurvePoint>& a, const std::vector<CurvePoint>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](CurvePoint p, CurvePoint q) {
        return p.x == q.x && (p.y == q.y || (std::isnan(p.y) && std::isnan(q.y)));
    });
}

TEST(SeriesEnvelopeTest, SparsePointsComeBackExactlyWithTheirOutsideNeighbours) {
    // Ten points 0..9 at one per unit; the view 2.5..7.5 in 100 columns.
    SeriesEnvelope envelope;
    envelope.setView(2.5, 7.5, 100);
    for (int i = 0; i < 10; ++i) {
        envelope.append(i, i * i);
    }
    const std::vector<CurvePoint> expected = {{2, 4},  {3, 9},  {4, 16}, {5, 25},
                                              {6, 36}, {7, 49}, {8, 64}};
    EXPECT_TRUE(samePoints(shown(envelope), expected));
    EXPECT_FALSE(envelope.changed());
}

TEST(SeriesEnvelopeTest, DenseColumnsKeepFirstExtremesAndLastInOrder) {
    // One column, points in the order: first 5, min 1, max 9, last 3, among others.
    SeriesEnvelope envelope;
    envelope.setView(0, 10, 1);
    const double ys[] = {5, 4, 1, 2, 9, 6, 3};
    for (int i = 0; i < 7; ++i) {
        envelope.append(i, ys[i]);
    }
    const std::vector<CurvePoint> expected = {{0, 5}, {2, 1}, {4, 9}, {6, 3}};
    EXPECT_TRUE(samePoints(shown(envelope), expected));
}

TEST(SeriesEnvelopeTest, EveryColumnShowsItsTrueExtremes) {
    SeriesEnvelope envelope;
    std::vector<double> ys;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(-5, 5);
    for (int i = 0; i < 50000; ++i) {
        ys.push_back(value(random));
        envelope.append(i * 0.01, ys.back());
    }
    constexpr int kColumns = 250;  // 200 points a column
    envelope.setView(0, 500, kColumns);
    const std::vector<CurvePoint> out = shown(envelope);
    for (int c = 0; c < kColumns; ++c) {
        const auto from = ys.begin() + c * 200;
        const double min = *std::min_element(from, from + 200);
        const double max = *std::max_element(from, from + 200);
        const auto in = [&](double y) {
            return std::any_of(out.begin(), out.end(), [&](CurvePoint p) { return p.y == y; });
        };
        EXPECT_TRUE(in(min) && in(max)) << "column " << c;
    }
}

// X falls back now and then (the time origin moved): each stretch comes
// back as a line of its own, the same as an envelope of that stretch alone
// gives, whether the points came with the view set or the view came later;
// each line's X only grows and it keeps at most four points a column, also
// with gaps (NaN) among the points.
TEST(SeriesEnvelopeTest, EachStretchIsALineOfItsOwn) {
    struct Stretch {
        double first, step;
        int count;
    };
    const Stretch stretches[] = {
        {0, 0.05, 20001},  // 0 .. 1000
        {3, 0.02, 5001},   // 3 .. 103, over the first
        {1, 0, 1},         // one point
        {-50, 1, 40},      // -50 .. -11, left of every view but one
        {-30, 265, 3},     // -30, 235, 500: crosses 0 .. 200 with no point inside
        {0, 0.1, 4001},    // 0 .. 400
        {7, 0, 3},         // three points at one X
    };
    std::mt19937 random(11);
    std::uniform_real_distribution<double> value(-5, 5);
    std::vector<std::vector<CurvePoint>> points;
    std::vector<std::size_t> starts;
    std::size_t total = 0;
    for (const Stretch& stretch : stretches) {
        points.emplace_back();
        for (int i = 0; i < stretch.count; ++i) {
            const double y = i % 997 == 500 ? std::nan("") : value(random);
            points.back().push_back({stretch.first + i * stretch.step, y});
        }
        if (total > 0) {
            starts.push_back(total);
        }
        total += points.back().size();
    }

    struct View {
        double lower, upper;
        int columns;
        std::size_t lineCount;
    };
    const View views[] = {{0, 200, 300, 6}, {-100, 2000, 7, 7}, {50, 60, 1000, 4}};
    for (const View& v : views) {
        SCOPED_TRACE(::testing::Message() << v.lower << ".." << v.upper);
        SeriesEnvelope live;
        SeriesEnvelope later;
        live.setView(v.lower, v.upper, v.columns);
        std::vector<CurveLine> expected;
        for (const auto& stretch : points) {
            SeriesEnvelope alone;
            alone.setView(v.lower, v.upper, v.columns);
            for (const CurvePoint& p : stretch) {
                live.append(p.x, p.y);
                later.append(p.x, p.y);
                alone.append(p.x, p.y);
            }
            for (const CurveLine& line : lines(alone)) {
                expected.push_back(line);
            }
        }
        later.setView(v.lower, v.upper, v.columns);
        EXPECT_EQ(live.stretchStarts(), starts);
        EXPECT_EQ(live.minX(), -50);
        EXPECT_DOUBLE_EQ(live.maxX(), 1000);
        for (SeriesEnvelope* envelope : {&live, &later}) {
            const std::vector<CurveLine> got = lines(*envelope);
            ASSERT_EQ(got.size(), v.lineCount);
            ASSERT_EQ(got.size(), expected.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                EXPECT_TRUE(samePoints(got[i], expected[i])) << "line " << i;
                EXPECT_LE(got[i].size(), 4u * static_cast<unsigned>(v.columns) + 2) << "line " << i;
                EXPECT_TRUE(std::is_sorted(got[i].begin(), got[i].end(),
                                           [](CurvePoint p, CurvePoint q) { return p.x < q.x; }));
            }
        }
    }

    // Crossing the view without a point in it: just the two neighbours.
    SeriesEnvelope envelope;
    envelope.setView(0, 200, 300);
    for (const CurvePoint& p : points[4]) {
        envelope.append(p.x, p.y);
    }
    EXPECT_TRUE(samePoints(shown(envelope), {points[4][0], points[4][1]}));

    // Cutting back into the second stretch drops the later ones.
    SeriesEnvelope cut;
    for (const auto& stretch : points) {
        for (const CurvePoint& p : stretch) {
            cut.append(p.x, p.y);
        }
    }
    cut.truncate(starts[0] + 10);
    cut.setView(0, 200, 300);
    EXPECT_EQ(cut.stretchStarts(), std::vector<std::size_t>{starts[0]});
    EXPECT_DOUBLE_EQ(cut.maxX(), 1000);
    EXPECT_EQ(lines(cut).size(), 2u);
    cut.truncate(starts[0]);
    EXPECT_TRUE(cut.stretchStarts().empty());
    EXPECT_EQ(lines(cut).size(), 1u);
}

TEST(SeriesEnvelopeTest, ClearingEmptiesTheViewButKeepsIt) {
    SeriesEnvelope envelope;
    envelope.setView(0, 10, 10);
    envelope.append(1, 1);
    envelope.clear();
    EXPECT_EQ(envelope.size(), 0u);
    EXPECT_TRUE(shown(envelope).empty());
    envelope.append(2, 3);
    EXPECT_TRUE(envelope.changed());
    EXPECT_EQ(shown(envelope).size(), 1u);
    EXPECT_FALSE(envelope.setView(0, 10, 10));  // same view: nothing to rebuild
}

}  // namespace
}  // namespace cellwatch
