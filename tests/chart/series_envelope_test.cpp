#include "chart/series_envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace cellwatch {
namespace {

std::vector<CurvePoint> shown(SeriesEnvelope& envelope) {
    std::vector<CurvePoint> out;
    envelope.points(out);
    return out;
}

bool samePoints(const std::vector<CurvePoint>& a, const std::vector<CurvePoint>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](CurvePoint p, CurvePoint q) { return p.x == q.x && p.y == q.y; });
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

TEST(SeriesEnvelopeTest, AppendingAndRebuildingGiveTheSameEnvelope) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 1);
    SeriesEnvelope live;
    SeriesEnvelope later;
    struct View {
        double lower, upper;
        int columns;
    };
    const View views[] = {{0, 100000, 1200}, {25000, 26000, 300}, {-50, 200000, 7}};
    for (const View& v : views) {
        live.clear();
        later.clear();
        live.setView(v.lower, v.upper, v.columns);
        for (int i = 0; i < 100000; ++i) {
            const double y =
                i % 997 == 0 ? std::numeric_limits<double>::quiet_NaN() : noise(random);
            live.append(i, y);
            later.append(i, y);
        }
        later.setView(v.lower, v.upper, v.columns);
        const std::vector<CurvePoint> a = shown(live);
        EXPECT_LE(a.size(), 4u * static_cast<unsigned>(v.columns) + 2) << v.columns;
        EXPECT_TRUE(std::is_sorted(a.begin(), a.end(),
                                   [](CurvePoint p, CurvePoint q) { return p.x < q.x; }));
        const std::vector<CurvePoint> b = shown(later);
        ASSERT_EQ(a.size(), b.size()) << v.columns;
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].x, b[i].x);
            EXPECT_TRUE(a[i].y == b[i].y || (std::isnan(a[i].y) && std::isnan(b[i].y)));
        }
    }
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
