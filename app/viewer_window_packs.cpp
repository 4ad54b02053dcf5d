// A viewer's pack: the Pack… command edits the recording's pack name and
// note afterwards, written to its pack file at once; the title and the
// summary show them.
#include <QAction>
#include <QFileInfo>
#include <QToolBar>
#include <stdexcept>

#include "app/captions.h"
#include "app/pack_dialog.h"
#include "app/summary_view.h"
#include "app/viewer_window.h"
#include "packs/pack_history.h"

namespace cellwatch {

void ViewerWindow::addPackCommand() {
    toolBar_->addSeparator();
    packCommand_ = toolBar_->addAction(QStringLiteral("Pack…"));
    packCommand_->setObjectName(QStringLiteral("Pack"));
    connect(packCommand_, &QAction::triggered, this,
            [this] { runCommand([this] { editPack(); }); });
}

PackInfo ViewerWindow::pack() const {
    const RecordingSummaryValues& s = summary_->summary();
    return {s.pack, s.note};
}

void ViewerWindow::showTitle() {
    QString title = file_.isEmpty() ? QString() : QFileInfo(file_).fileName();
    const QString name = summary_->summary().pack;
    if (!name.isEmpty()) {
        title += kPackTitleSuffix.pick(inChinese()).arg(name);
    }
    setWindowTitle(title);
}

void ViewerWindow::editPack() {
    if (file_.isEmpty()) {
        return;
    }
    PackDialog dialog(pack(), packNamesOfFolder(QFileInfo(file_).absolutePath()), true, inChinese(),
                      this);
    hooks_.showDialog(dialog);
    if (dialog.result() == QDialog::Accepted) {
        setPack(dialog.info());
    }
}

void ViewerWindow::setPack(const PackInfo& given) {
    if (file_.isEmpty()) {
        return;
    }
    const PackInfo info{normalizedPackName(given.pack), given.note};
    QString error;
    if (!writePackInfo(file_, info, &error)) {
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(kPackNotWritten.pick(inChinese()), error).toStdString());
    }
    RecordingSummaryValues summary = summary_->summary();
    summary.pack = info.pack;
    summary.note = info.note;
    summary_->setSummary(summary);
    showTitle();
}

}  // namespace cellwatch
