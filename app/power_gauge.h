// The power gauge: a round dial with a scale from minimum to maximum, major
// ticks every step, a green, amber and red zone split at the two marks, a
// needle and a caption under the hub.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

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

// The dial. Its face is drawn in its own dark colours, so it reads the same on
// a light or a dark window. It draws a 240-degree scale and scales with the
// widget; numbers that would crowd each other are thinned out.
//
// Settings are stored as given and never adjusted; drawing copes with any of
// them: a value outside the scale pins the needle to the nearer end, a
// maximum not above the minimum draws an empty scale, and a step that is not
// positive or would give more than 100 ticks numbers only the two ends.
//
// Mode: 1 is the normal display (what the window always sets); every other
// number draws the same.
class PowerGauge : public QWidget, public GaugeSettings {
    Q_OBJECT
public:
    explicit PowerGauge(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void settingsChanged() override { update(); }

private:
    // Everything but the caption and the needle is drawn once into two
    // layers (under and over the needle) and drawn again only when size,
    // scale, marks or font change; a new value draws caption and needle.
    void drawLayers(double side);

    QPixmap under_;
    QPixmap over_;
    QString layersKey_;
};

}  // namespace cellwatch
