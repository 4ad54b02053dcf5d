#include "import_harness.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "drivers/described_chargers.h"
#include "fuzz_temp_file.h"
#include "import/log_reader.h"

namespace cellwatch {
namespace {

using namespace logimport;

void check(bool ok, unsigned line = __builtin_LINE()) {
    if (!ok) {
        std::fprintf(stderr, "import harness: the check on line %u failed\n", line);
        std::abort();
    }
}

// What a reader gave: a refusal inside the text, or whole rows.
template <typename Read>
void expectRowsOrFault(std::size_t size, Read read) {
    try {
        const ImportedLog log = read();
        check(!log.channels.empty());
        for (const ImportedChannel& c : log.channels) {
            const RowStore& rows = *c.rows;
            check(rows.dataRowCount() > 0);
            for (int row = 2; row < rows.gridRowCount(); ++row) {
                check(rows.seconds(row - 1).value_or(0) <= rows.seconds(row).value_or(0));
            }
        }
    } catch (const LogFault& fault) {
        check(fault.line() >= 0 && fault.column() >= 0 && !fault.reason().isEmpty());
        check(static_cast<std::size_t>(fault.line()) <= size + 1);
    } catch (const std::runtime_error&) {
        // A file the table reader cannot open at all (it says why).
    }
}

const OpenFormatDescriptions& descriptions() {
    static const OpenFormatDescriptions d = [] {
        std::string error;
        for (const char* name : {"openformat.json", "openformat-zero.json"}) {
            addChargerFile(std::string(CELLWATCH_CHARGERS "/") + name, error);
        }
        return OpenFormatDescriptions{describedCharger("openformat"),
                                      describedCharger("openformat-zero")};
    }();
    check(d.plain && d.described);
    return d;
}

}  // namespace

void runToolkitHarness(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    expectRowsOrFault(size,
                      [&] { return readToolkitLog(text, QStringLiteral("Ch1_LiPo_4S_1.xls")); });
}

void runOpenformatHarness(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    expectRowsOrFault(size, [&] { return readOpenFormatLog(text, descriptions()); });
}

void runTablecsvHarness(const std::uint8_t* data, std::size_t size) {
    static const FuzzTempFile input("import.csv");
    input.write(data, size);
    const QString path = QString::fromStdString(input.path().string());
    expectRowsOrFault(size, [&] { return readOwnCsv(path); });
}

}  // namespace cellwatch
