#include "readout/axis_titles.h"

namespace cellwatch {

void setChartAxisTitles(ChartSurface& chart, bool chinese) {
    const auto title = [chinese](const char* zh, const char* en) {
        return QString::fromUtf8(chinese ? zh : en);
    };
    chart.setAxisTitle(ChartAxis::Left, title("电压(V)", "Voltage(V)"));
    chart.setAxisTitle(ChartAxis::Right, title("电流(A)", "Current(A)"));
    chart.setAxisTitle(ChartAxis::Capacity, title("容量(mAh)", "Capacity(mAh)"));
    chart.setAxisTitle(ChartAxis::Temperature, title("外部溫度(℃)", "Temperature(℃)"));
}

}  // namespace cellwatch
