#include "app/viewer_status.h"

#include <QDir>
#include <QStringList>
#include <algorithm>

#include "app/captions.h"

namespace cellwatch {

QString viewerStatusText(const QString& file, std::size_t damagedLines, std::size_t missingValues,
                         bool cutWhileReading, bool chinese) {
    if (file.isEmpty()) {
        return {};
    }
    QString text = kOpened.pick(chinese) + u' ' + QDir::toNativeSeparators(file);
    QStringList notes;
    if (damagedLines == 1) {
        notes << kDamagedLineSkipped.pick(chinese);
    } else if (damagedLines > 1) {
        notes << kDamagedLinesSkipped.pick(chinese).arg(
            groupedCount(static_cast<qint64>(damagedLines)));
    }
    if (missingValues > 0) {
        notes << kMissingValues.pick(chinese).arg(groupedCount(static_cast<qint64>(missingValues)));
    }
    if (cutWhileReading) {
        notes << kCutWhileReading.pick(chinese);
    }
    if (!notes.isEmpty()) {
        text += QString::fromUtf8(" — ") + notes.join(QStringLiteral("; "));
    }
    return text;
}

QPoint placeCentredOver(const QRect& owner, QSize size, const QRect& room) {
    // Room for the frame and the title bar, which the window manager adds.
    const QSize frame(8, 40);
    QRect placed(QPoint(), size + frame);
    placed.moveCenter(owner.center());
    placed.moveLeft(std::clamp(placed.left(), room.left(),
                               std::max(room.left(), room.right() + 1 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), room.top(),
                              std::max(room.top(), room.bottom() + 1 - placed.height())));
    return placed.topLeft();
}

}  // namespace cellwatch
