#include "pack_harness.h"

#include <QString>
#include <cstdlib>

#include "fuzz_temp_file.h"
#include "readout/pack_file.h"

namespace cellwatch {

void runPackHarness(const std::uint8_t* data, std::size_t size) {
    // The pack file of the journal "…-journal.csv".
    static const FuzzTempFile input("journal.pack.json");
    static const QString journal = [] {
        QString path = QString::fromStdString(input.path().string());
        path.chop(static_cast<qsizetype>(QStringLiteral(".pack.json").size()));
        return path + QStringLiteral(".csv");
    }();
    input.write(data, size);
    const PackInfo info = readPackInfo(journal);
    if (info.pack != normalizedPackName(info.pack)) {
        std::abort();
    }
    if (info.isEmpty()) {
        return;
    }
    if (!writePackInfo(journal, info) || readPackInfo(journal) != info) {
        std::abort();
    }
}

}  // namespace cellwatch
