#include "app/charger_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/fake_gauge.h"

namespace cellwatch {
namespace {

using testing::FakeGauge;

TEST(ChargerModel, InitPowerGauge) {
    FakeGauge gauge;
    InitPowerGauge(gauge);
    const std::vector<std::string> order = {"caption Power(W)", "mode 1", "caption 0", "maximum",
                                            "minimum",          "step",   "lower",     "upper"};
    EXPECT_EQ(gauge.calls, order);
    EXPECT_DOUBLE_EQ(gauge.maximum(), 50);
    EXPECT_DOUBLE_EQ(gauge.minimum(), 0);
    EXPECT_DOUBLE_EQ(gauge.step(), 5);
    EXPECT_DOUBLE_EQ(gauge.lowerMark(), 30);
    EXPECT_DOUBLE_EQ(gauge.upperMark(), 42.5);
}

struct SelectCase {
    const char* boxText;
    double full, step, lower, upper;
};

TEST(ChargerModel, SelectionSetsTheScale) {
    const SelectCase cases[] = {
        {"&TK-K01            ", 50, 5, 30, 42.5},
        {"&TK-K04            ", 200, 20, 120, 170},
        {"&TK-K05            ", 150, 15, 90, 127.5},
        {"&Brontel RX K04", 200, 20, 120, 170},  // the tool bar's second list
        {"  K03  ", 120, 12, 72, 102},
        {"&TK-k04", 50, 5, 30, 42.5},  // codes compare exactly
        {"K04x", 50, 5, 30, 42.5},
        {"", 50, 5, 30, 42.5},
    };
    for (const auto& c : cases) {
        FakeGauge gauge;
        OnModelSelect(gauge, "Model", c.boxText);
        EXPECT_DOUBLE_EQ(gauge.maximum(), c.full) << c.boxText;
        EXPECT_DOUBLE_EQ(gauge.step(), c.step) << c.boxText;
        EXPECT_DOUBLE_EQ(gauge.lowerMark(), c.lower) << c.boxText;
        EXPECT_DOUBLE_EQ(gauge.upperMark(), c.upper) << c.boxText;
        // Scale only: needle, caption and minimum stay.
        EXPECT_DOUBLE_EQ(gauge.value(), 7) << c.boxText;
        EXPECT_EQ(gauge.caption(), "12.000") << c.boxText;
        EXPECT_DOUBLE_EQ(gauge.minimum(), -1) << c.boxText;
    }
}

TEST(ChargerModel, OtherToolsAreIgnored) {
    for (const char* tool : {"model", "Model ", "state_text", ""}) {
        FakeGauge gauge;
        OnModelSelect(gauge, tool, "&TK-K04            ");
        EXPECT_TRUE(gauge.calls.empty()) << tool;
    }
}

TEST(ChargerModel, DerivedSettingsFollowTheGaugesFullScale) {
    FakeGauge gauge;
    gauge.limit = 120;
    applyModelScale(gauge, 200);
    EXPECT_DOUBLE_EQ(gauge.maximum(), 120);
    EXPECT_DOUBLE_EQ(gauge.step(), 12);
    EXPECT_DOUBLE_EQ(gauge.lowerMark(), 72);
    EXPECT_DOUBLE_EQ(gauge.upperMark(), 102);

    applyModelScale(gauge, 95);  // a second scale replaces the first; step is the whole part of 9.5
    EXPECT_DOUBLE_EQ(gauge.step(), 9);
    EXPECT_DOUBLE_EQ(gauge.upperMark(), 80.75);
}

struct FitCase {
    double frame2;
    std::array<double, 3> labels;
    double frame5;
    ReadoutFit expected;
};

TEST(FitReadouts, GaugeFlushRightOrHiddenWithReadoutsCentred) {
    const FitCase cases[] = {
        {289, {90, 120, 100}, 140, {true, 149, false, 0}},     // room 29
        {260, {90, 120, 100}, 140, {true, 120, false, 0}},     // room 0 still fits
        {259, {90, 120, 100}, 140, {false, 0, true, 70}},      // (259 - 120) / 2 = 69.5 -> 70
        {200, {90, 120, 100}, 140, {false, 0, true, 40}},      // widest centred
        {260, {120.4, 90, 100}, 140, {true, 120, false, 0}},   // 120.4 counts as 120
        {260, {90, 100, 120.5}, 140, {false, 0, true, 70}},    // 120.5 counts as 121
        {260.5, {90, 100, 120.6}, 140, {false, 0, true, 70}},  // (260.5 - 121) / 2 = 69.75
        {101, {150, 10, 10}, 140, {false, 0, true, -25}},      // -24.5: half away from zero
        {140, {0, 0, 0}, 140, {true, 0, false, 0}},
    };
    for (const auto& c : cases) {
        const ReadoutFit fit = fitReadouts(c.frame2, c.labels, c.frame5);
        const std::string where =
            "frame2 " + std::to_string(c.frame2) + ", widest label " +
            std::to_string(*std::max_element(c.labels.begin(), c.labels.end()));
        EXPECT_EQ(fit.gaugeVisible, c.expected.gaugeVisible) << where;
        EXPECT_EQ(fit.labelsMoved, c.expected.labelsMoved) << where;
        if (c.expected.gaugeVisible) {
            EXPECT_EQ(fit.gaugeLeft, c.expected.gaugeLeft) << where;
        }
        if (c.expected.labelsMoved) {
            EXPECT_EQ(fit.labelsLeft, c.expected.labelsLeft) << where;
        }
    }
}

}  // namespace
}  // namespace cellwatch
