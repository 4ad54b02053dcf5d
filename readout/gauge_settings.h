// The power gauge's settings, without a window: the interface the recording
// drives the gauge through, and the settings kept as given (the gauge of a
// recording that shows nothing, and the base of the painted dial).
#pragma once

#include <QString>

namespace cellwatch {

// The settings the window drives the gauge through (scale set by the charger
// model, value and caption by every sample).
class PowerGaugeControl {
public:
    virtual ~PowerGaugeControl() = default;

    virtual void setMaximum(double maximum) = 0;  // full scale
    virtual double maximum() const = 0;
    virtual void setMinimum(double minimum) = 0;
    virtual double minimum() const = 0;
    virtual void setStep(double step) = 0;  // distance between numbered ticks
    virtual double step() const = 0;
    virtual void setLowerMark(double mark) = 0;  // green up to here, then amber
    virtual double lowerMark() const = 0;
    virtual void setUpperMark(double mark) = 0;  // amber up to here, then red
    virtual double upperMark() const = 0;
    virtual void setValue(double value) = 0;  // the needle
    virtual double value() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual QString caption() const = 0;
    virtual void setMode(int mode) = 0;
    virtual int mode() const = 0;

protected:
    PowerGaugeControl() = default;
    PowerGaugeControl(const PowerGaugeControl&) = default;
    PowerGaugeControl& operator=(const PowerGaugeControl&) = default;
};

// The settings kept as given. A gauge that draws them hears of every change
// through settingsChanged(); on its own it is the gauge of a recording that
// shows nothing.
class GaugeSettings : public PowerGaugeControl {
public:
    static constexpr int kModeNormal = 1;

    void setMaximum(double maximum) override { changed(maximum_, maximum); }
    double maximum() const override { return maximum_; }
    void setMinimum(double minimum) override { changed(minimum_, minimum); }
    double minimum() const override { return minimum_; }
    void setStep(double step) override { changed(step_, step); }
    double step() const override { return step_; }
    void setLowerMark(double mark) override { changed(lowerMark_, mark); }
    double lowerMark() const override { return lowerMark_; }
    void setUpperMark(double mark) override { changed(upperMark_, mark); }
    double upperMark() const override { return upperMark_; }
    void setValue(double value) override { changed(value_, value); }
    double value() const override { return value_; }
    void setCaption(const QString& caption) override { changed(caption_, caption); }
    QString caption() const override { return caption_; }
    void setMode(int mode) override { changed(mode_, mode); }
    int mode() const override { return mode_; }

protected:
    virtual void settingsChanged() {}

private:
    template <typename T>
    void changed(T& setting, const T& value) {
        if (!(setting == value)) {
            setting = value;
            settingsChanged();
        }
    }

    double maximum_ = 100;
    double minimum_ = 0;
    double step_ = 10;
    double lowerMark_ = 60;
    double upperMark_ = 85;
    double value_ = 0;
    QString caption_;
    int mode_ = kModeNormal;
};

}  // namespace cellwatch
