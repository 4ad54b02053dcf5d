#include "app/recordings_widgets.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <algorithm>

#include "app/recordings_dialog.h"
#include "app/recordings_rows.h"

namespace cellwatch {

bool askRecordingsBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    const bool question = icon == QMessageBox::Question;
    QMessageBox box(icon, parent->windowTitle(), text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("recordingsMessage"));
    if (question) {
        box.button(QMessageBox::Yes)->setText(RecordingsDialog::tr("Yes"));
        box.button(QMessageBox::No)->setText(RecordingsDialog::tr("No"));
    } else {
        box.button(QMessageBox::Ok)->setText(RecordingsDialog::tr("OK"));
    }
    return box.exec() == QMessageBox::Yes;
}

void keepStartedColumnWhole(QTableWidget& list) {
    QHeaderView* header = list.horizontalHeader();
    const int want =
        std::max(header->sectionSizeHint(kStartedCol),
                 static_cast<const QAbstractItemView&>(list).sizeHintForColumn(kStartedCol));
    int missing = want - header->sectionSize(kStartedCol);
    if (missing <= 0) {
        return;
    }
    header->resizeSection(kStartedCol, want);
    const int least = header->fontMetrics().horizontalAdvance(QStringLiteral("Abcd…")) + 12;
    while (missing > 0) {
        int widest = -1;
        for (int c = 0; c < list.columnCount(); ++c) {
            if (c != kStartedCol && header->sectionSize(c) > least &&
                (widest < 0 || header->sectionSize(c) > header->sectionSize(widest))) {
                widest = c;
            }
        }
        if (widest < 0) {
            return;
        }
        const int give = std::min(missing, header->sectionSize(widest) - least);
        header->resizeSection(widest, header->sectionSize(widest) - give);
        missing -= give;
    }
}

QSize recordingsDialogSize(const QTableWidget& list, int sideMargins) {
    QSize size(std::max(760, recordingListWidth(list) + sideMargins), 680);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    }
    return size;
}

}  // namespace cellwatch
