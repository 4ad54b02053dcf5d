// The live recording's pack: View > Pack… names the pack (and a note) of the
// present and following recordings, kept in the settings until changed;
// every journal gets its pack file as it is created.
#pragma once

#include <QString>
#include <functional>

#include "app/window_hooks.h"
#include "readout/pack_file.h"

class QWidget;

namespace cellwatch {

class SettingsStore;

class PackChoice {
public:
    struct Parts {
        QWidget& owner;
        SettingsStore& settings;
        const WindowHooks& hooks;
        std::function<QString()> folder;   // the recordings folder
        std::function<QString()> journal;  // the live journal's file; "" while none is written
        std::function<void(const QString&)> tell;
        std::function<bool()> chinese;
    };
    explicit PackChoice(Parts parts);

    // The pack of the present and following recordings.
    PackInfo chosen() const;
    // Asks for it; true when the user chose (the present journal is then
    // this pack's too).
    bool choose();
    // Gives the present journal its pack file, once per journal.
    void tagJournal();

private:
    Parts parts_;
    QString tagged_;  // the journal whose pack file was written last
};

}  // namespace cellwatch
