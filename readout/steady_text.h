// Readouts whose text changes with every sample.
//
// Setting a label's text normally asks the panel around it to lay itself out
// again, at every sample, for every readout: that costs more than drawing the
// new text. A label of fixed size does not ask. `setSteadyText` keeps each
// readout at a fixed size that grows when a text needs more room (the one
// time the panel is laid out again) and never shrinks, so a value losing a
// digit does not make its column jump either. Where the label sits in a
// layout cell wider than itself, the layout places it by the alignment it
// was added with; add such labels with their text's alignment.
#pragma once

class QLabel;
class QString;

namespace cellwatch {

void setSteadyText(QLabel* label, const QString& text);

// Sets a label's text and makes it exactly as wide as the text, at a fixed
// size, so that a later text of the same width asks for no layout (the
// large readouts, placed by hand beside the gauge).
void setFittedText(QLabel* label, const QString& text);

}  // namespace cellwatch
