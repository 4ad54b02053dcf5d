#include "app/pack_choice.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <algorithm>

#include "app/analysis_texts.h"
#include "app/captions.h"
#include "app/pack_dialog.h"
#include "app/settings.h"
#include "packs/pack_health.h"
#include "packs/pack_history.h"

namespace cellwatch {
namespace {

// What the pack is, as chosen last in the dialog (absent before a choice:
// then as the folder's pack files tell).
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
    const auto read = [this](Text key) { return parts_.settings.text(key, parts_.channel); };
    PackInfo info = definition_;
    info.pack = normalizedPackName(read(Text::PackName));
    info.note = read(Text::PackNote);
    const QString chemistry = read(Text::PackChemistry);
    if (chemistry != kPackUnset && !info.pack.isEmpty()) {
        info.chemistry = chemistryFromName(chemistry);
        info.cells =
            std::clamp(static_cast<int>(settingNumber(read(Text::PackCells))), 0, kPackMaxCells);
        info.capacityMah = settingNumber(read(Text::PackCapacity));
        info.cellHighV = settingNumber(read(Text::PackCellHigh));
        info.cellLowV = settingNumber(read(Text::PackCellLow));
    }
    // Left out is the present recording's alone.
    const QString journal = parts_.journal();
    info.leftOut = !journal.isEmpty() && journal == leftOut_;
    return info;
}

void PackChoice::learnDefinition() const {
    learnt_ = true;
    const QString name = normalizedPackName(parts_.settings.text(Text::PackName, parts_.channel));
    definition_ = name.isEmpty()
                      ? PackInfo{}
                      : packDefinitionOfFolder(parts_.folder(), name).value_or(PackInfo{});
}

bool PackChoice::choose() {
    const QString folder = parts_.folder();
    PackDialog dialog(
        chosen(), packNamesOfFolder(folder), false, &parts_.owner,
        [folder](const QString& name) { return packDefinitionOfFolder(folder, name); });
    // Only a recording under way can be left out.
    dialog.leftOutBox().setEnabled(!parts_.journal().isEmpty());
    const QString channel = parts_.channelName ? parts_.channelName() : QString();
    if (!channel.isEmpty()) {
        dialog.setWindowTitle(dialog.windowTitle() + QStringLiteral(" — ") + channel);
    }
    parts_.hooks.showDialog(dialog);
    if (dialog.result() != QDialog::Accepted) {
        return false;
    }
    const PackInfo picked = dialog.info();
    parts_.settings.setText(Text::PackName, parts_.channel, picked.pack);
    const auto write = [this](Text key, const QString& value) {
        parts_.settings.setText(key, parts_.channel, value);
    };
    write(Text::PackNote, picked.note);
    const auto number = [](double v) { return v > 0 ? QString::number(v, 'g', 10) : QString(); };
    write(Text::PackChemistry, chemistryName(picked.chemistry));
    write(Text::PackCells, number(picked.cells));
    write(Text::PackCapacity, number(picked.capacityMah));
    write(Text::PackCellHigh, number(picked.cellHighV));
    write(Text::PackCellLow, number(picked.cellLowV));
    leftOut_ = picked.leftOut ? parts_.journal() : QString();
    const QString told =
        picked.pack.isEmpty() ? kPackCleared.text() : kPackChosen.text().arg(picked.pack);
    parts_.tell(channel.isEmpty() ? told : channel + QStringLiteral(": ") + told);
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
        parts_.tell(kPackNotWritten.text() + QStringLiteral(": ") + told->writeError);
    }
}

}  // namespace cellwatch
