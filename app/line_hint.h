// A line's hint (its grey placeholder) shown whole: the line is made at least
// wide enough for it, in the language it is in now.
#pragma once

#include <QLineEdit>
#include <QStyle>
#include <algorithm>

namespace cellwatch {

// The width a line gives its text and hint: its own less its frame, its text
// margins and the two pixels QLineEdit keeps on either side.
inline int placeholderRoom(const QLineEdit& edit) {
    const int frame = edit.hasFrame()
                          ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit)
                          : 0;
    const QMargins margins = edit.textMargins();
    return edit.width() - 2 * frame - margins.left() - margins.right() - 4;
}

// Sets `hint` and makes the line at least as wide as it needs, never less
// than `least`.
inline void setWholeHint(QLineEdit& edit, const QString& hint, int least = 0) {
    edit.setPlaceholderText(hint);
    const int frame = edit.hasFrame()
                          ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit)
                          : 0;
    const QMargins margins = edit.textMargins();
    const int needed = edit.fontMetrics().horizontalAdvance(hint) + 2 * frame + margins.left() +
                       margins.right() + 4;
    edit.setMinimumWidth(std::max(least, needed));
}

}  // namespace cellwatch
