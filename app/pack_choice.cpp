#include "app/pack_choice.h"

#include <QDialog>
#include <QFileInfo>

#include "app/captions.h"
#include "app/pack_dialog.h"
#include "app/settings_store.h"
#include "packs/pack_history.h"

namespace cellwatch {
namespace {

const QString kPackSection = QStringLiteral("Pack");
const QString kPackNameKey = QStringLiteral("Name");
const QString kPackNoteKey = QStringLiteral("Note");

}  // namespace

PackChoice::PackChoice(Parts parts) : parts_(std::move(parts)) {}

PackInfo PackChoice::chosen() const {
    return {normalizedPackName(
                parts_.settings.read(kSettingsApplication, kPackSection, kPackNameKey, QString())),
            parts_.settings.read(kSettingsApplication, kPackSection, kPackNoteKey, QString())};
}

bool PackChoice::choose() {
    const bool chinese = parts_.chinese();
    PackDialog dialog(chosen(), packNamesOfFolder(parts_.folder()), false, chinese, &parts_.owner);
    parts_.hooks.showDialog(dialog);
    if (dialog.result() != QDialog::Accepted) {
        return false;
    }
    const PackInfo picked = dialog.info();
    parts_.settings.write(kSettingsApplication, kPackSection, kPackNameKey, picked.pack);
    parts_.settings.write(kSettingsApplication, kPackSection, kPackNoteKey, picked.note);
    parts_.tell(picked.pack.isEmpty() ? kPackCleared.pick(chinese)
                                      : kPackChosen.pick(chinese).arg(picked.pack));
    // The present recording is this pack's too.
    tagged_.clear();
    tagJournal();
    return true;
}

void PackChoice::tagJournal() {
    const QString path = parts_.journal();
    if (path.isEmpty() || path == tagged_) {
        return;
    }
    tagged_ = path;
    const PackInfo pack = chosen();
    // A recording made without a pack leaves no pack file; choosing "no
    // pack" for the present one takes its file away.
    if (pack.isEmpty() && !QFileInfo::exists(packFilePath(path))) {
        return;
    }
    QString error;
    if (!writePackInfo(path, pack, &error)) {
        parts_.tell(kPackNotWritten.pick(parts_.chinese()) + QStringLiteral(": ") + error);
    }
}

}  // namespace cellwatch
