// The chart as the chart tests start from it: shown offscreen, laid out.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include "chart/chart_view.h"
#include "tests/support/settle.h"

namespace cellwatch::charttest {

constexpr double kSecond = 1 / 86400.0;  // in days, the unit of X

// Shows `chart` at `size` and lays its plot out.
inline void showChart(ChartView& chart, QSize size = {900, 500}) {
    chart.resize(size);
    chart.show();
    test::settle();
    ASSERT_EQ(chart.plot()->size(), size);
    chart.repaint();
}

}  // namespace cellwatch::charttest
