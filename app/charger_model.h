// The charger model box and what it sets: the power gauge's scale. Also the
// layout rule that shares the top readout frame between the three large
// readouts and the gauge frame.
#pragma once

#include <array>
#include <string_view>

#include <QString>

#include "app/power_gauge.h"

namespace cellwatch {

// The model box's list, each entry 19 characters: an ampersand, the model
// name and spaces. The box shows the first one at start-up.
inline constexpr std::array<std::string_view, 6> kModelEntries = {
    "&TK-K01            ", "&TK-K02            ", "&TK-K03            ",
    "&TK-K04            ", "&TK-K05            ", "&TK-K06            ",
};
inline constexpr std::string_view kModelStartText = kModelEntries[0];
// The tool bar tool that is the model box.
inline constexpr std::string_view kModelToolName = "Model";

// The gauge's caption as designed; InitPowerGauge replaces it with "0".
inline constexpr std::string_view kPowerGaugeDesignCaption = "Power(W)";

// The model code in a box text: the last three characters once leading and
// trailing spaces are gone ("&TK-K04            " gives "K04").
QString modelCode(const QString& boxText);

// Full-scale power in watts: K01 50, K02 80, K03 120, K04 200, K05 150, any
// other code (K06 included) 50. Codes are compared exactly.
double fullScaleForModel(const QString& code);

// Sets the gauge up as the window starts: caption, mode 1, caption "0",
// scale 0 to 50 W with step 5 and marks at 30 and 42.5.
void InitPowerGauge(PowerGaugeControl& gauge);

// Sets the full scale, then from the full scale as the gauge reports it back:
// step = whole part of full scale / 10, lower mark = full scale x 0.6, upper
// mark = full scale x 0.85. Value, caption and minimum stay as they are.
void applyModelScale(PowerGaugeControl& gauge, double fullScale);

// A choice in one of the tool bar's boxes. Only the tool named "Model"
// counts; its text picks the scale.
void OnModelSelect(PowerGaugeControl& gauge, const QString& toolName, const QString& toolText);

// Where the top readouts and the gauge frame go.
struct ReadoutFit {
    bool gaugeVisible;  // the gauge frame and the model box are shown
    int gaugeLeft;      // left edge of the gauge frame; only when gaugeVisible
    bool labelsMoved;   // the three readouts are to move (when the gauge is hidden)
    int labelsLeft;     // their common left edge; only when labelsMoved
};

// w = the widest of the three readouts, each width rounded to a whole number
// first; room = frame2Width - w - frame5Width. With room >= 0 the gauge frame
// shows, flush against the right edge (left edge w + room) and the readouts
// stay where they are. Otherwise it hides and the readouts move so that the
// widest is centred: left edge (frame2Width - w) / 2.
// Rounding to whole numbers is half away from zero throughout.
ReadoutFit fitReadouts(double frame2Width, std::array<double, 3> labelWidths, double frame5Width);

}  // namespace cellwatch
