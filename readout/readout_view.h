// What a window shows of a recording besides chart and table: the readouts,
// the power gauge and the cell panel, behind one small interface.
#pragma once

#include <QString>

namespace cellwatch {

class CellPanelView;
class PowerGaugeControl;

class ReadoutView {
public:
    virtual ~ReadoutView() = default;
    // True while the cross-line cursor holds the detail readouts and the cell panel.
    virtual bool cursorHold() const = 0;
    virtual void setReadout(int label3Index, const QString& text) = 0;       // Label3(i)
    virtual void setLargeReadout(int label2Index, const QString& text) = 0;  // Label2(i)
    virtual void fitReadouts() = 0;
    virtual PowerGaugeControl& gauge() = 0;
    virtual CellPanelView& cellPanel() = 0;
};

// Indexes of the readouts.
namespace readouts {
inline constexpr int kLegendVoltage = 15, kLegendCurrent = 14, kLegendCapacity = 2,
                     kLegendExternal = 1;
inline constexpr int kInputVoltage = 16, kState = 23, kBatteryType = 22, kCellCount = 21,
                     kVoltage = 20, kCurrent = 19, kInternal = 18, kPower = 17, kElapsed = 24,
                     kCapacity = 0, kExternal = 3;
inline constexpr int kLargeCurrent = 0, kLargeVoltage = 1, kLargeCapacity = 2;
}  // namespace readouts

}  // namespace cellwatch
