// A power gauge that keeps its settings and a log of every call. A gauge
// may refuse a full scale above its limit, so settings derived from the
// full scale must come from what the gauge reports back.
#pragma once

#include <QString>
#include <algorithm>
#include <string>
#include <vector>

#include "readout/gauge_settings.h"

namespace cellwatch::testing {

class FakeGauge final : public PowerGaugeControl {
public:
    double limit = 1e9;

    void setMaximum(double v) override { set("maximum", max_, std::min(v, limit)); }
    double maximum() const override { return max_; }
    void setMinimum(double v) override { set("minimum", min_, v); }
    double minimum() const override { return min_; }
    void setStep(double v) override { set("step", step_, v); }
    double step() const override { return step_; }
    void setLowerMark(double v) override { set("lower", lower_, v); }
    double lowerMark() const override { return lower_; }
    void setUpperMark(double v) override { set("upper", upper_, v); }
    double upperMark() const override { return upper_; }
    void setValue(double v) override { set("value", value_, v); }
    double value() const override { return value_; }
    void setCaption(const QString& v) override { set("caption " + v.toStdString(), caption_, v); }
    QString caption() const override { return caption_; }
    void setMode(int v) override { set("mode " + std::to_string(v), mode_, v); }
    int mode() const override { return mode_; }

    std::vector<std::string> calls;

private:
    template <typename T>
    void set(const std::string& call, T& field, T v) {
        calls.push_back(call);
        field = v;
    }
    double max_ = -1, min_ = -1, step_ = -1, lower_ = -1, upper_ = -1, value_ = 7;
    QString caption_ = "12.000";
    int mode_ = 0;
};

}  // namespace cellwatch::testing
