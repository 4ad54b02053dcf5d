#include "app/charger_model.h"

#include <algorithm>
#include <cmath>

namespace cellwatch {
namespace {

struct ModelScale {
    const char* code;
    double fullScale;
};

// Not in model order: K04 is the strongest.
constexpr std::array<ModelScale, 5> kModelScales = {{
    {"K01", 50},
    {"K02", 80},
    {"K03", 120},
    {"K04", 200},
    {"K05", 150},
}};
constexpr double kDefaultFullScale = 50;
constexpr int kGaugeModeNormal = 1;

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int RoundToInt(double v) {
    return static_cast<int>(std::lround(v));  // half away from zero
}

}  // namespace

QString modelCode(const QString& boxText) {
    return boxText.trimmed().right(3);
}

double fullScaleForModel(const QString& code) {
    for (const ModelScale& model : kModelScales) {
        if (code == QLatin1String(model.code)) {
            return model.fullScale;
        }
    }
    return kDefaultFullScale;
}

void InitPowerGauge(PowerGaugeControl& gauge) {
    gauge.setCaption(ToQString(kPowerGaugeDesignCaption));
    gauge.setMode(kGaugeModeNormal);
    gauge.setCaption(QStringLiteral("0"));
    gauge.setMaximum(kDefaultFullScale);
    gauge.setMinimum(0);
    gauge.setStep(gauge.maximum() / 10);
    gauge.setLowerMark(gauge.maximum() * 0.6);
    gauge.setUpperMark(gauge.maximum() * 0.85);
}

void applyModelScale(PowerGaugeControl& gauge, double fullScale) {
    gauge.setMaximum(fullScale);
    gauge.setStep(std::trunc(gauge.maximum() / 10));
    gauge.setLowerMark(gauge.maximum() * 0.6);
    gauge.setUpperMark(gauge.maximum() * 0.85);
}

void OnModelSelect(PowerGaugeControl& gauge, const QString& toolName, const QString& toolText) {
    if (toolName != ToQString(kModelToolName)) {
        return;
    }
    applyModelScale(gauge, fullScaleForModel(modelCode(toolText)));
}

ReadoutFit fitReadouts(double frame2Width, std::array<double, 3> labelWidths, double frame5Width) {
    int widest = RoundToInt(labelWidths[0]);
    for (double width : labelWidths) {
        widest = std::max(widest, RoundToInt(width));
    }
    const double room = frame2Width - widest - frame5Width;
    if (room >= 0) {
        return {true, RoundToInt(widest + room), false, 0};
    }
    return {false, 0, true, RoundToInt((frame2Width - widest) / 2)};
}

}  // namespace cellwatch
