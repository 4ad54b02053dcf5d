#include "app/viewer_status.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <algorithm>

#include "app/captions.h"

namespace cellwatch {

QString viewerStatusText(const QString& file, std::size_t damagedLines, std::size_t missingValues,
                         bool cutWhileReading) {
    if (file.isEmpty()) {
        return {};
    }
    //: %1 the file
    QString text = QCoreApplication::translate("ViewerStatus", "Opened %1")
                       .arg(QDir::toNativeSeparators(file));
    QStringList notes;
    if (damagedLines == 1) {
        notes << QCoreApplication::translate("ViewerStatus", "1 damaged line skipped");
    } else if (damagedLines > 1) {
        notes << QCoreApplication::translate("ViewerStatus", "%1 damaged lines skipped")
                     .arg(groupedCount(static_cast<qint64>(damagedLines)));
    }
    if (missingValues > 0) {
        notes << QCoreApplication::translate("ViewerStatus",
                                             "%1 values that are no measurement read as missing")
                     .arg(groupedCount(static_cast<qint64>(missingValues)));
    }
    if (cutWhileReading) {
        notes << QCoreApplication::translate(
            "ViewerStatus",
            "the file was cut short while it was read; only what was whole was opened");
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
