// A live recording's pack file, the same for the window and cellwatch-log:
// each journal is given the chosen pack's file once, as its first row comes,
// and the row's cells are checked against the pack's count (a 6S charge
// filed under a 4S pack is said at once, not found months later).
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "readout/pack_file.h"

namespace cellwatch::session {

class JournalPack {
public:
    struct Tagged {
        bool mismatch = false;  // the recording's cells are not the pack's count
        QString writeError;     // why the pack file could not be written; "" when it was
    };

    // For each row of `journal` ("" is none): at its first, gives it the pack
    // file of `pack` (a recording made without a pack gets none; "no pack"
    // chosen for a journal that has a file empties it); at its first row
    // with cells, tells whether their count differs from the pack's.
    // nullopt when there was nothing to do.
    std::optional<Tagged> tag(const QString& journal, const PackInfo& pack, int cells);
    // Whether a row of `journal` now would do anything (its pack file is not
    // written yet, or its cells not checked): the rows after need no count.
    bool pending(const QString& journal) const {
        return !journal.isEmpty() && (journal != tagged_ || !checked_);
    }
    // The next tag() of the same journal writes again (a pack chosen anew).
    void again() { tagged_.clear(); }

private:
    QString tagged_;        // the journal whose pack file was written last
    bool checked_ = false;  // its cells have been checked
};

// The cells in use in a row (a voltage above 0), as the alarms count them.
int cellsInUse(const std::array<double, kPackMaxCells>& cells);

}  // namespace cellwatch::session
