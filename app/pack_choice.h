// The live recording's pack: View > Pack… names the pack (and a note) of the
// present and following recordings and says what it is (chemistry, cells,
// capacity, limits), kept in the settings until changed; every journal gets
// its pack file as it is created. "Left out of the pack's history" is the
// present recording's only.
#pragma once

#include <QString>
#include <functional>

#include "app/window_hooks.h"
#include "readout/pack_file.h"
#include "session/journal_pack.h"

class QWidget;

namespace cellwatch {

class Settings;

class PackChoice {
public:
    struct Parts {
        QWidget& owner;
        Settings& settings;
        const WindowHooks& hooks;
        std::function<QString()> folder;   // the recordings folder
        std::function<QString()> journal;  // the live journal's file; "" while none is written
        std::function<void(const QString&)> tell;
        // The charger's channel whose recordings it names: channel 1's
        // choice is the one of a charger of one channel, every other
        // channel's is kept apart.
        int channel = 1;
        // Names the channel in the dialog's title and in what is told
        // ("Channel 2"); "" (or none) for a charger of one channel.
        std::function<QString()> channelName = {};
    };
    explicit PackChoice(Parts parts);

    // The pack of the present and following recordings.
    PackInfo chosen() const;
    // Asks for it; true when the user chose (the present journal is then
    // this pack's too).
    bool choose();
    // Gives the present journal its pack file, once per journal, and says
    // at once when the recording's `cells` (of its first row) are not the
    // pack's (a 6S charge filed under a 4S pack).
    void tagJournal(int cells);
    // Whether the present journal's next row is wanted by tagJournal (the
    // rows after its first with cells are not).
    bool tagPending() const { return journalPack_.pending(parts_.journal()); }

private:
    Parts parts_;
    void learnDefinition() const;

    session::JournalPack journalPack_;
    QString leftOut_;  // the journal left out of its pack's history, if any
    int lastCells_ = 0;
    // What the folder's pack files tell of the chosen pack (chemistry, cells,
    // capacity, limits), learnt when first asked for and when a pack is chosen.
    mutable PackInfo definition_;
    mutable bool learnt_ = false;
};

}  // namespace cellwatch
