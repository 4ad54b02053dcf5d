// Packs in the main window: View > Pack… names the pack (and a note) of the
// present and following recordings, kept in the settings until changed;
// every journal gets its pack file as it is created.
#include <QDir>
#include <QFileInfo>

#include "app/captions.h"
#include "app/main_window.h"
#include "app/pack_dialog.h"
#include "app/settings_store.h"
#include "readout/pack_file.h"
#include "packs/pack_history.h"

namespace cellwatch {
namespace {

const QString kPackSection = QStringLiteral("Pack");
const QString kPackNameKey = QStringLiteral("Name");
const QString kPackNoteKey = QStringLiteral("Note");

PackInfo storedPack(const SettingsStore& settings) {
    return {normalizedPackName(
                settings.read(kSettingsApplication, kPackSection, kPackNameKey, QString())),
            settings.read(kSettingsApplication, kPackSection, kPackNoteKey, QString())};
}

}  // namespace

PackInfo MainWindow::chosenPack() const {
    return storedPack(settings_);
}

void MainWindow::choosePack() {
    const bool chinese = inChinese();
    PackDialog dialog(storedPack(settings_), packNamesOfFolder(journal_->folder()), false, chinese,
                      this);
    hooks_.showDialog(dialog);
    if (dialog.result() != QDialog::Accepted) {
        return;
    }
    const PackInfo chosen = dialog.info();
    settings_.write(kSettingsApplication, kPackSection, kPackNameKey, chosen.pack);
    settings_.write(kSettingsApplication, kPackSection, kPackNoteKey, chosen.note);
    PostStatusMessage(chosen.pack.isEmpty() ? kPackCleared.pick(chinese)
                                            : kPackChosen.pick(chinese).arg(chosen.pack));
    // The present recording is this pack's too.
    taggedJournal_.clear();
    tagJournal();
    if (summaryWindow_) {
        summaryWindow_->setSummary(liveSummaryValues());
    }
}

void MainWindow::tagJournal() {
    const QString path = session_->journaling() ? journal_->path() : QString();
    if (path.isEmpty() || path == taggedJournal_) {
        return;
    }
    taggedJournal_ = path;
    const PackInfo pack = storedPack(settings_);
    // A recording made without a pack leaves no pack file; choosing "no
    // pack" for the present one takes its file away.
    if (pack.isEmpty() && !QFileInfo::exists(packFilePath(path))) {
        return;
    }
    QString error;
    if (!writePackInfo(path, pack, &error)) {
        PostStatusMessage(kPackNotWritten.pick(inChinese()) + QStringLiteral(": ") + error);
    }
}

}  // namespace cellwatch
