#include "app/pack_choice.h"

#include <QDialog>
#include <QFileInfo>

#include "app/captions.h"
#include "app/pack_dialog.h"
#include "app/settings_store.h"
#include "packs/pack_health.h"
#include "packs/pack_history.h"

namespace cellwatch {
namespace {

const QString kPackSection = QStringLiteral("Pack");
const QString kPackNameKey = QStringLiteral("Name");
const QString kPackNoteKey = QStringLiteral("Note");

}  // namespace

PackChoice::PackChoice(Parts parts) : parts_(std::move(parts)) {}

PackInfo PackChoice::chosen() const {
    if (!learnt_) {
        learnDefinition();
    }
    PackInfo info = definition_;
    info.pack = normalizedPackName(
        parts_.settings.read(kSettingsApplication, kPackSection, kPackNameKey, QString()));
    info.note = parts_.settings.read(kSettingsApplication, kPackSection, kPackNoteKey, QString());
    info.leftOut = false;
    return info;
}

void PackChoice::learnDefinition() const {
    learnt_ = true;
    const QString name = normalizedPackName(
        parts_.settings.read(kSettingsApplication, kPackSection, kPackNameKey, QString()));
    definition_ = PackInfo{};
    if (name.isEmpty()) {
        return;
    }
    std::vector<PackedRecording> files;
    for (const QString& path : journalPaths(parts_.folder())) {
        files.push_back({path, {}, readPackInfo(path), false, {}, std::nullopt});
    }
    definition_ = packDefinition(files, name);
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
    learnDefinition();
    // The present recording is this pack's too.
    tagged_.clear();
    tagJournal(lastCells_);
    return true;
}

void PackChoice::tagJournal(int cells) {
    const QString path = parts_.journal();
    if (path.isEmpty() || path == tagged_) {
        return;
    }
    tagged_ = path;
    lastCells_ = cells;
    const PackInfo pack = chosen();
    if (cellCountDiffers(pack, cells)) {
        parts_.tell(cellCountMismatchText(pack, cells, parts_.chinese()));
    }
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
