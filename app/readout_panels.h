// The readout frames of the recording pane: the curve switches with their
// legend values, the detail readouts, the large readouts beside the power
// gauge, and the texts of both languages they carry.
#pragma once

#include "readout/axis_titles.h"

#include <QString>
#include <array>
#include <optional>

#include "app/charger_model.h"

class QCheckBox;
class QFont;
class QGroupBox;
class QLabel;
class QWidget;

namespace cellwatch {

class CellPanelWidget;
class ChartView;
class DataTableModel;
class RowStore;
class PowerGauge;

using Label3Array = std::array<QLabel*, 25>;
using Label2Array = std::array<QLabel*, 3>;
using CurveSwitches = std::array<QCheckBox*, 4>;

// A readout frame: dark, its texts pale unless they have a colour of their own.
QGroupBox* newPanel(QWidget* parent);

// The curve switches with the legend values of the four curves (Frame1); a
// switch shows or hides its curve on `chart`.
void buildCurvePanel(QGroupBox* frame, CurveSwitches& switches, Label3Array& label3,
                     ChartView& chart);
// The detail readouts, title on the left and value on the right (Frame4).
void buildDetailPanel(QGroupBox* frame, Label3Array& label3);
// The large readouts on the left of `frame` (Frame2) and the power gauge in
// `gaugeFrame` (Frame5, a child of `frame` at its right edge).
PowerGauge* buildLargeReadoutPanel(QGroupBox* frame, QGroupBox* gaugeFrame, Label2Array& label2,
                                   const QFont& base, double twipsPerPixelX);
// Gives the cell panel's changing texts the readout frame's background (see
// fillPanelBackground in the source).
void fillCellPanelBackground(CellPanelWidget& panel);

// Places the large readouts and the gauge frame for the frame's width;
// returns whether the gauge frame shows.
bool placeLargeReadouts(QGroupBox* frame, QGroupBox* gaugeFrame, const Label2Array& label2);

// The chart's title while no recording runs ("Idle"), in the language
// installed.
QString idleChartTitle();

// The readout titles and the tooltips of the switches and readouts of the
// frames under `root`, in the language installed.
void setPanelCaptions(QWidget& root);

// The table row of the point at or left of pixel `x` of the chart; nothing
// when the cursor is beside the points or the point has no row.
std::optional<int> rowAtPixel(const ChartView& chart, const RowStore& rows, int x);

}  // namespace cellwatch
