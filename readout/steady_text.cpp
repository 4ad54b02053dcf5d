#include "readout/steady_text.h"

#include "readout/glyph_text.h"

#include <QFontMetricsF>
#include <QLabel>
#include <cmath>

namespace cellwatch {
namespace {

// The width a label needs for a single-line readout text: what its size hint
// would say (or a pixel more), measured without laying the text out.
int textWidthFor(const QLabel& label, const QString& text) {
    const QMargins m = label.contentsMargins();
    // The sum of the characters' own advances: no shaping (which costs more
    // than drawing), and for the digits, points, signs and units of a readout
    // never less than the shaped text's width.
    const QFontMetricsF metrics(label.font());
    double advance = 0;
    for (const QChar c : text) {
        advance += metrics.horizontalAdvance(c);
    }
    return static_cast<int>(std::ceil(advance)) + m.left() + m.right() + 2 * label.margin();
}

}  // namespace

void setFittedText(QLabel* label, const QString& text) {
    setGlyphText(label, text);
    label->setFixedSize(textWidthFor(*label, text), label->height());
}

void setSteadyText(QLabel* label, const QString& text) {
    if (label->text() == text) {
        return;
    }
    setGlyphText(label, text);  // a fixed-size label asks for no new layout
    // While fixed, the minimum size is the fixed size.
    const bool fixed = label->minimumSize() == label->maximumSize();
    if (fixed && textWidthFor(*label, text) <= label->minimumWidth()) {
        return;
    }
    label->setFixedSize(label->sizeHint().expandedTo(label->minimumSize()));
}

}  // namespace cellwatch
