#include "readout/axis_titles.h"

#include <QCoreApplication>

namespace cellwatch {

void setChartAxisTitles(ChartSurface& chart) {
    const auto title = [](const char* english) {
        return QCoreApplication::translate("ChartAxes", english);
    };
    chart.setAxisTitle(ChartAxis::Left, title(QT_TRANSLATE_NOOP("ChartAxes", "Voltage(V)")));
    chart.setAxisTitle(ChartAxis::Right, title(QT_TRANSLATE_NOOP("ChartAxes", "Current(A)")));
    chart.setAxisTitle(ChartAxis::Capacity, title(QT_TRANSLATE_NOOP("ChartAxes", "Capacity(mAh)")));
    chart.setAxisTitle(ChartAxis::Temperature,
                       title(QT_TRANSLATE_NOOP("ChartAxes", "Temperature(℃)")));
}

}  // namespace cellwatch
