// cellwatch-report --import: other tools' logs as journals under a pack.
#include <QFileInfo>

#include "import/log_import.h"
#include "protocol/version.h"
#include "readout/journal.h"
#include "tools/report/report.h"

namespace cellwatch::report {

int runImport(const Options& options, QTextStream& out, QTextStream& err) {
    using namespace logimport;
    Importer importer({options.folder.isEmpty() ? Journal::defaultFolder() : options.folder,
                       options.pack, options.date, QString::fromLatin1(kProgramVersion)});
    int imported = 0;
    int already = 0;
    int refused = 0;
    const qsizetype count = options.files.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QString& file = options.files[i];
        if (count > 1) {
            err << "cellwatch-report: importing " << (i + 1) << " of " << count << ": "
                << terminalText(QFileInfo(file).fileName(), false) << '\n';
            err.flush();
        }
        const ImportResult result = importer.importFile(file);
        out << terminalText(resultLine(result), false) << '\n';
        out.flush();
        imported += result.outcome == ImportOutcome::Imported ? 1 : 0;
        already += result.outcome == ImportOutcome::AlreadyImported ? 1 : 0;
        refused += result.outcome == ImportOutcome::Refused ? 1 : 0;
    }
    if (count > 1) {
        out << imported << " imported, " << already << " already imported, " << refused
            << " refused\n";
    }
    return refused > 0 ? kExitFailed : kExitOk;
}

}  // namespace cellwatch::report
