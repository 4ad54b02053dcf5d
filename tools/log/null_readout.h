// Readouts for a recording without a window: they take every value and show
// nothing. The gauge keeps its settings, as the recording reads none of the
// others back.
#pragma once

#include <QString>

#include "app/power_gauge.h"
#include "readout/cell_panel.h"
#include "readout/recording.h"

namespace cellwatch::logger {

class NullPowerGauge final : public PowerGaugeControl {
public:
    void setMaximum(double maximum) override { maximum_ = maximum; }
    double maximum() const override { return maximum_; }
    void setMinimum(double minimum) override { minimum_ = minimum; }
    double minimum() const override { return minimum_; }
    void setStep(double step) override { step_ = step; }
    double step() const override { return step_; }
    void setLowerMark(double mark) override { lowerMark_ = mark; }
    double lowerMark() const override { return lowerMark_; }
    void setUpperMark(double mark) override { upperMark_ = mark; }
    double upperMark() const override { return upperMark_; }
    void setValue(double value) override { value_ = value; }
    double value() const override { return value_; }
    void setCaption(const QString& caption) override { caption_ = caption; }
    QString caption() const override { return caption_; }
    void setMode(int mode) override { mode_ = mode; }
    int mode() const override { return mode_; }

private:
    double maximum_ = 100;
    double minimum_ = 0;
    double step_ = 10;
    double lowerMark_ = 60;
    double upperMark_ = 85;
    double value_ = 0;
    QString caption_;
    int mode_ = 1;
};

class NullCellPanel final : public CellPanelView {
public:
    void setCellText(int, const QString&) override {}
    void setCellBar(int, BarTexture, int) override {}
    void setStatistic(int, const QString&) override {}
};

// No cursor ever holds the readouts.
class NullReadoutView final : public ReadoutView {
public:
    bool cursorHold() const override { return false; }
    void setReadout(int, const QString&) override {}
    void setLargeReadout(int, const QString&) override {}
    void fitReadouts() override {}
    PowerGaugeControl& gauge() override { return gauge_; }
    CellPanelView& cellPanel() override { return cellPanel_; }

private:
    NullPowerGauge gauge_;
    NullCellPanel cellPanel_;
};

}  // namespace cellwatch::logger
