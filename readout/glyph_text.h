// Readout texts drawn straight from their font's glyphs.
//
// A QLabel lays its text out anew at every paint: a text layout, line
// breaking and shaping for a handful of digits, which costs a live window
// more than all its other drawing together, about ten times a message. A
// readout's text is one line of printable ASCII (digits, points, signs,
// units), whose glyphs and advances the font gives once; they are drawn as
// one glyph run where the label's alignment puts the text. The characters'
// own advances are summed without kerning, as the readouts' widths are
// measured. Anything else (rich text, word wrap, selectable text, a frame or
// an indent, a character the font lacks or outside printable ASCII) is
// drawn by QLabel as before.
#pragma once

class QLabel;
class QString;

namespace cellwatch {

// From now on, `label`'s text is drawn from the glyphs where it can be.
void drawTextFromGlyphs(QLabel* label);

// Sets `label`'s text. Where the label is drawn from glyphs and the text keeps
// its length, only the columns of the glyphs that change or move are drawn
// again: a readout going from 11.40 to 11.41 redraws one digit, not five.
void setGlyphText(QLabel* label, const QString& text);

}  // namespace cellwatch
