// What the viewer window's status line says and where the window opens:
// kept apart from the window, as they need none of its widgets.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstddef>

namespace cellwatch {

// "Opened FILE — NOTES": the lines skipped as damaged, the values missing
// and whether the file was cut short while it was read; "" without a file.
QString viewerStatusText(const QString& file, std::size_t damagedLines, std::size_t missingValues,
                         bool cutWhileReading);

// Where a window of `size` goes (its frame and title bar included) to be
// centred over a window framed by `owner`, whole within `room` where it fits.
QPoint placeCentredOver(const QRect& owner, QSize size, const QRect& room);

}  // namespace cellwatch
