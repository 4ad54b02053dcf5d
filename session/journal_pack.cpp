#include "session/journal_pack.h"

#include <QFileInfo>

namespace cellwatch::session {

std::optional<JournalPack::Tagged> JournalPack::tag(const QString& journal, const PackInfo& pack,
                                                    int cells) {
    if (journal.isEmpty()) {
        return std::nullopt;
    }
    const bool fresh = journal != tagged_;
    // The count is checked at the first row that has cells (the first rows
    // of a charge may come before the balance lead is read).
    const bool check = (fresh || !checked_) && cells > 0;
    if (!fresh && !check) {
        return std::nullopt;
    }
    Tagged told;
    if (fresh) {
        tagged_ = journal;
        checked_ = false;
        if (!pack.isEmpty() || QFileInfo::exists(packFilePath(journal))) {
            writePackInfo(journal, pack, &told.writeError);
        }
    }
    if (check) {
        checked_ = true;
        told.mismatch = cellCountDiffers(pack, cells);
    }
    return told;
}

int cellsInUse(const std::array<double, kPackMaxCells>& cells) {
    int count = 0;
    for (const double v : cells) {
        count += v > 0 ? 1 : 0;
    }
    return count;
}

}  // namespace cellwatch::session
