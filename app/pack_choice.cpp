#include "app/pack_choice.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <algorithm>

#include "app/analysis_texts.h"
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
// What the pack is, as chosen last in the dialog (absent before a choice:
// then as the folder's pack files tell).
const QString kPackChemistryKey = QStringLiteral("Chemistry");
const QString kPackCellsKey = QStringLiteral("Cells");
const QString kPackCapacityKey = QStringLiteral("CapacityMah");
const QString kPackCellHighKey = QStringLiteral("CellHighV");
const QString kPackCellLowKey = QStringLiteral("CellLowV");
const QString kPackUnset = QStringLiteral("-");

double settingNumber(const QString& text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && v > 0 ? v : 0;
}

}  // namespace

PackChoice::PackChoice(Parts parts) : parts_(std::move(parts)) {}

PackInfo PackChoice::chosen() const {
    if (!learnt_) {
        learnDefinition();
    }
    const auto read = [this](const QString& key, const QString& otherwise) {
        return parts_.settings.read(kSettingsApplication, kPackSection, key, otherwise);
    };
    PackInfo info = definition_;
    info.pack = normalizedPackName(read(kPackNameKey, QString()));
    info.note = read(kPackNoteKey, QString());
    const QString chemistry = read(kPackChemistryKey, kPackUnset);
    if (chemistry != kPackUnset && !info.pack.isEmpty()) {
        info.chemistry = chemistryFromName(chemistry);
        info.cells =
            std::clamp(static_cast<int>(settingNumber(read(kPackCellsKey, {}))), 0, kPackMaxCells);
        info.capacityMah = settingNumber(read(kPackCapacityKey, {}));
        info.cellHighV = settingNumber(read(kPackCellHighKey, {}));
        info.cellLowV = settingNumber(read(kPackCellLowKey, {}));
    }
    // Left out is the present recording's alone.
    const QString journal = parts_.journal();
    info.leftOut = !journal.isEmpty() && journal == leftOut_;
    return info;
}

void PackChoice::learnDefinition() const {
    learnt_ = true;
    const QString name = normalizedPackName(
        parts_.settings.read(kSettingsApplication, kPackSection, kPackNameKey, QString()));
    definition_ = name.isEmpty()
                      ? PackInfo{}
                      : packDefinitionOfFolder(parts_.folder(), name).value_or(PackInfo{});
}

bool PackChoice::choose() {
    const bool chinese = parts_.chinese();
    const QString folder = parts_.folder();
    PackDialog dialog(
        chosen(), packNamesOfFolder(folder), false, chinese, &parts_.owner,
        [folder](const QString& name) { return packDefinitionOfFolder(folder, name); });
    // Only a recording under way can be left out.
    dialog.leftOutBox().setEnabled(!parts_.journal().isEmpty());
    parts_.hooks.showDialog(dialog);
    if (dialog.result() != QDialog::Accepted) {
        return false;
    }
    const PackInfo picked = dialog.info();
    parts_.settings.write(kSettingsApplication, kPackSection, kPackNameKey, picked.pack);
    const auto write = [this](const QString& key, const QString& value) {
        parts_.settings.write(kSettingsApplication, kPackSection, key, value);
    };
    write(kPackNoteKey, picked.note);
    const auto number = [](double v) { return v > 0 ? QString::number(v, 'g', 10) : QString(); };
    write(kPackChemistryKey, chemistryName(picked.chemistry));
    write(kPackCellsKey, number(picked.cells));
    write(kPackCapacityKey, number(picked.capacityMah));
    write(kPackCellHighKey, number(picked.cellHighV));
    write(kPackCellLowKey, number(picked.cellLowV));
    leftOut_ = picked.leftOut ? parts_.journal() : QString();
    parts_.tell(picked.pack.isEmpty() ? kPackCleared.pick(chinese)
                                      : kPackChosen.pick(chinese).arg(picked.pack));
    learnDefinition();
    // The present recording is this pack's too.
    journalPack_.again();
    tagJournal(lastCells_);
    return true;
}

void PackChoice::tagJournal(int cells) {
    lastCells_ = cells;
    const PackInfo pack = chosen();
    const std::optional<session::JournalPack::Tagged> told =
        journalPack_.tag(parts_.journal(), pack, cells);
    if (!told) {
        return;
    }
    if (told->mismatch) {
        parts_.tell(shown::cellCountMismatchText(pack, cells));
    }
    if (!told->writeError.isEmpty()) {
        parts_.tell(kPackNotWritten.pick(parts_.chinese()) + QStringLiteral(": ") +
                    told->writeError);
    }
}

}  // namespace cellwatch
