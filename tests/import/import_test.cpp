// Other tools' logs read by their readers and imported as journals into a
// recordings folder, on real files: what each reader makes of a good file,
// how each refuses a damaged one (and that nothing is written then), a file
// imported twice, and an imported log in its pack's history.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "drivers/described_chargers.h"
#include "import/log_import.h"
#include "packs/pack_health.h"
#include "packs/pack_history.h"
#include "readout/recording_file.h"
#include "tests/support/journal_text.h"

namespace cellwatch::logimport {
namespace {

QString fixture(const char* name) {
    return QStringLiteral(CELLWATCH_IMPORT_DATA "/") + QLatin1String(name);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

class ImportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        for (const char* name : {"openformat.json", "openformat-zero.json"}) {
            ASSERT_TRUE(addChargerFile(std::string(CELLWATCH_CHARGERS "/") + name, error) ||
                        describedCharger(name == std::string("openformat.json")
                                             ? "openformat"
                                             : "openformat-zero"))
                << error;
        }
    }
    QTemporaryDir dir;
    QString folder() const { return dir.filePath(QStringLiteral("recordings")); }
    // A file of the test's own, with the modification time a charger
    // without a clock gives all of its files.
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString path = testing::writeFile(dir.filePath(name), bytes);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime(QDate(1980, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime);
        return path;
    }
    Importer importer(const QString& pack = QStringLiteral("Race 4S"), QDate date = {}) const {
        return Importer({folder(), pack, date, QStringLiteral("1.10.0")});
    }
    QStringList folderFiles() const {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

ImportedLog readAny(const QString& path) {
    const QByteArray bytes = bytesOf(path);
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    switch (kindOfText(text).value_or(LogKind::OwnCsv)) {
        case LogKind::ToolkitRc:
            return readToolkitLog(text, QFileInfo(path).fileName());
        case LogKind::OpenFormat:
            return readOpenFormatLog(text, installedOpenFormatDescriptions());
        case LogKind::OwnCsv:
            break;
    }
    return readOwnCsv(path);
}

// An export of this program (no comment line) and the same with
// cellwatch-report --csv's first column.
QByteArray ownExport(bool dated) {
    QByteArray text = testing::journalText(
        {}, {{0, "+CHG+", 12.0, 2.0, 0}, {1, "+CHG+", 12.1, 2.0, 1}, {2, "+CHG+", 12.2, 2.0, 2}});
    if (!dated) {
        return text;
    }
    QByteArray out;
    int row = 0;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        const bool header = row++ == 0;
        QByteArray plain = line;
        plain.replace("\xEF\xBB\xBF", "");
        out += (header ? QByteArray("Date and time,")
                       : "2026-12-05T14:30:1" + QByteArray::number(row - 2) + ",") +
               plain + "\n";
    }
    return out;
}

TEST_F(ImportTest, EachReaderGivesTheRowsAndWhatTheFileTells) {
    write(QStringLiteral("cellwatch-20261205-143012.csv"), ownExport(false));
    write(QStringLiteral("dated.csv"), ownExport(true));
    const struct {
        QString path;
        LogKind kind;
        const char* charger;
        std::size_t rows;
        double volts, amps;  // of the first row
        std::uint32_t lastSeconds;
        Chemistry chemistry;
        int cells;
        QDateTime start;
    } cases[] = {
        // Short column names; the counter starts again for the discharge.
        {fixture("2024-09-16_21-23-32.xls"), LogKind::ToolkitRc, "toolkitrc", 100, 14.83, 2.0, 100,
         Chemistry::LiPo, 4, QDateTime(QDate(2024, 9, 16), QTime(21, 23, 32))},
        // Spelled-out names with units, a row number every two seconds.
        {fixture("Ch1_LiFe_3S_2.xls"),
         LogKind::ToolkitRc,
         "toolkitrc",
         30,
         9.9,
         1.5,
         58,
         Chemistry::LiFe,
         3,
         {}},
        {fixture("openformat-plain.txt"),
         LogKind::OpenFormat,
         "openformat",
         50,
         11.4,
         1.5,
         49,
         Chemistry::Unknown,
         0,
         {}},
        {fixture("openformat-zero.txt"), LogKind::OpenFormat, "openformat-zero", 40, 7.4, 1.5, 39,
         Chemistry::Unknown, 0, QDateTime(QDate(2024, 9, 16), QTime(21, 23, 32))},
        {dir.filePath(QStringLiteral("cellwatch-20261205-143012.csv")), LogKind::OwnCsv, "tkrx", 3,
         12.0, 2.0, 2, Chemistry::Lithium, 0, QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12))},
        {dir.filePath(QStringLiteral("dated.csv")), LogKind::OwnCsv, "tkrx", 3, 12.0, 2.0, 2,
         Chemistry::Lithium, 0, QDateTime(QDate(2026, 12, 5), QTime(14, 30, 10))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(kindOfFile(c.path), c.kind);
        const ImportedLog log = readAny(c.path);
        EXPECT_EQ(log.charger, QLatin1String(c.charger));
        ASSERT_EQ(log.channels.size(), 1u);
        const RowStore& rows = *log.channels.front().rows;
        ASSERT_EQ(rows.dataRowCount(), c.rows);
        EXPECT_DOUBLE_EQ(rows.number(1, kFieldVoltage).value_or(0), c.volts);
        EXPECT_DOUBLE_EQ(rows.number(1, kFieldCurrent).value_or(0), c.amps);
        EXPECT_EQ(log.durationSeconds(), c.lastSeconds);
        EXPECT_EQ(log.chemistry, c.chemistry);
        EXPECT_EQ(log.cells, c.cells);
        EXPECT_EQ(log.start, c.start);
        // The rows read back as the table's: times never go back.
        for (int row = 2; row < rows.gridRowCount(); ++row) {
            EXPECT_LE(rows.seconds(row - 1).value_or(0), rows.seconds(row).value_or(0)) << row;
        }
    }
}

TEST_F(ImportTest, ADischargeRowOfAToolkitLogReadsAsDischarging) {
    const ImportedLog log = readAny(fixture("2024-09-16_21-23-32.xls"));
    const RowStore& rows = *log.channels.front().rows;
    EXPECT_EQ(rows.state(1), ChargeState::Charging);
    EXPECT_EQ(rows.state(100), ChargeState::Discharging);
    EXPECT_DOUBLE_EQ(rows.number(100, kFieldCurrent).value_or(0), -1.0);
    EXPECT_DOUBLE_EQ(rows.number(100, kFieldCell1).value_or(0), 3.985);
    EXPECT_DOUBLE_EQ(rows.number(100, kFieldCell1 + 4).value_or(-1), 0.0);
}

// A good file damaged one way, and where the refusal must point.
struct Damage {
    const char* name;
    const char* source;
    std::function<QByteArray(QByteArray)> damage;
    int line, column;
    const char* reason;
};

// An OpenFormat line with its checksum made anew.
QByteArray resummed(QByteArray line) {
    line.chop(line.size() - line.lastIndexOf(';') - 1);
    int sum = 0;
    for (const char c : line) {
        sum ^= static_cast<unsigned char>(c);
    }
    return line + QByteArray::number(sum);
}

QByteArray replaceLine(QByteArray text, int line, const QByteArray& with) {
    QList<QByteArray> lines = text.split('\n');
    lines[line - 1] = with;
    return lines.join('\n');
}

TEST_F(ImportTest, ADamagedFileIsRefusedWithWhereAndNothingIsWritten) {
    write(QStringLiteral("export.csv"), ownExport(false));
    const Damage cases[] = {
        {"truncated toolkit row", "2024-09-16_21-23-32.xls",
         [](QByteArray t) { return t.left(t.indexOf("0:0:3\t") + 30); }, 8, 31, "ends after"},
        {"wrong toolkit section", "2024-09-16_21-23-32.xls",
         [](QByteArray t) { return t.replace("==End==", "==Ende=="); }, 107, 1, "unknown section"},
        {"toolkit bad number", "2024-09-16_21-23-32.xls",
         [](QByteArray t) { return t.replace("\t14832\t2000\t", "\t148x2\t2000\t"); }, 6, 20,
         "\"148x2\" is no number"},
        {"toolkit binary junk", "2024-09-16_21-23-32.xls",
         [](QByteArray t) { return t.insert(t.indexOf("0:0:2"), QByteArray("\x01\x7f\x00", 3)); },
         7, 1, "binary data"},
        {"spreadsheet workbook", "2024-09-16_21-23-32.xls",
         [](QByteArray t) { return QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + t; }, 0, 0,
         "spreadsheet workbook"},
        {"toolkit without data", "2024-09-16_21-23-32.xls",
         [](QByteArray t) { return t.left(t.indexOf("==Data==")); }, 0, 0, "no ==Data=="},
        {"toolkit bad time", "Ch1_LiFe_3S_2.xls",
         [](QByteArray t) { return t.replace("\n7\t", "\n7s\t"); }, 12, 1, "no time"},
        {"plain checksum", "openformat-plain.txt",
         [](QByteArray t) { return t.replace("$1;1;1;12000;", "$1;1;1;12001;"); }, 2, 57,
         "checksum"},
        {"plain bad number", "openformat-plain.txt",
         [](QByteArray t) {
             return replaceLine(t, 3,
                                resummed(t.split('\n')[2].trimmed().replace("11424", "11x24")));
         },
         3, 14, "no number"},
        {"plain cut short", "openformat-plain.txt",
         [](QByteArray t) { return t.left(t.size() - 30); }, 50, 30, "checksum"},
        {"zero items", "openformat-zero.txt",
         [](QByteArray t) {
             return t.replace("$7.400;1.500;0.0;3.700;3.700", "$7.400;1.500;0.0;3.700");
         },
         4, 0, "4 items where the header says 5"},
        {"zero without columns", "openformat-zero.txt",
         [](QByteArray t) { return replaceLine(t, 2, "$L$;no columns"); }, 4, 1, "before any $C$"},
        {"csv bad number", "export.csv",
         [](QByteArray t) { return t.replace("12.10,2.00", "12.10,2.O0"); }, 3, 8, "no number"},
        {"csv time going back", "export.csv",
         [](QByteArray t) { return t.replace("0:00:02,", "0:00:00,"); }, 4, 1, "comes before"},
        {"csv cut short", "export.csv", [](QByteArray t) { return t.left(t.size() - 10); }, 4, 0,
         "cut short"},
        {"csv binary junk", "export.csv",
         [](QByteArray t) { return t.insert(t.indexOf("0:00:01"), QByteArray("ab\0", 3)); }, 3, 3,
         "binary data"},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.name);
        const QString good = QLatin1String(c.source).endsWith(QLatin1String(".csv"))
                                 ? dir.filePath(QLatin1String(c.source))
                                 : fixture(c.source);
        const QString path =
            write(QStringLiteral("damaged-") + QLatin1String(c.source), c.damage(bytesOf(good)));
        const ImportResult result =
            importer(QStringLiteral("Race 4S"), QDate(2025, 1, 2)).importFile(path);
        EXPECT_EQ(result.outcome, ImportOutcome::Refused);
        const QString where =
            c.line == 0     ? QString()
            : c.column == 0 ? QStringLiteral("line %1: ").arg(c.line)
                            : QStringLiteral("line %1, column %2: ").arg(c.line).arg(c.column);
        EXPECT_TRUE(result.reason.startsWith(where)) << result.reason.toStdString();
        EXPECT_TRUE(result.reason.contains(QLatin1String(c.reason))) << result.reason.toStdString();
        EXPECT_TRUE(result.journals.isEmpty());
        EXPECT_EQ(folderFiles(), QStringList()) << "a refused file leaves nothing behind";
    }
}

TEST_F(ImportTest, AFileImportedTwiceMakesOneRecording) {
    const QString copy =
        write(QStringLiteral("copy.xls"), bytesOf(fixture("2024-09-16_21-23-32.xls")));
    Importer first = importer();
    const ImportResult once = first.importFile(fixture("2024-09-16_21-23-32.xls"));
    ASSERT_EQ(once.outcome, ImportOutcome::Imported) << once.reason.toStdString();
    ASSERT_EQ(once.journals.size(), 1);
    EXPECT_EQ(QFileInfo(once.journals.front()).fileName(),
              QStringLiteral("cellwatch-20240916-212332.csv"));
    // Again in the same run, in a later one, and under another name.
    const ImportResult again = first.importFile(fixture("2024-09-16_21-23-32.xls"));
    const ImportResult later = importer().importFile(fixture("2024-09-16_21-23-32.xls"));
    const ImportResult renamed = importer().importFile(copy);
    for (const ImportResult& r : {again, later, renamed}) {
        EXPECT_EQ(r.outcome, ImportOutcome::AlreadyImported);
        EXPECT_EQ(r.journals, once.journals);
        EXPECT_TRUE(resultLine(r).contains(
            QLatin1String("already imported as cellwatch-20240916-212332.csv")));
    }
    // A recording of the folder itself is one already.
    const ImportResult own = importer().importFile(once.journals.front());
    EXPECT_EQ(own.outcome, ImportOutcome::AlreadyImported);
    EXPECT_EQ(QDir(folder()).entryList({QStringLiteral("*.csv")}, QDir::Files).size(), 1);
}

TEST_F(ImportTest, AnImportedToolkitLogIsInItsPacksHistory) {
    const ImportResult r = importer().importFile(fixture("2024-09-16_21-23-32.xls"));
    ASSERT_EQ(r.outcome, ImportOutcome::Imported) << r.reason.toStdString();
    EXPECT_EQ(r.rows, 100u);
    const std::vector<PackHistoryEntry> history =
        packHistoryOfFolder(folder(), QStringLiteral("Race 4S"));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().start, QDateTime(QDate(2024, 9, 16), QTime(21, 23, 32)));
    EXPECT_EQ(history.front().kind, RecordingKind::Mixed);
    EXPECT_GT(history.front().capacityMah, 0);
    // What the log tells of the pack becomes the pack's.
    const std::optional<PackInfo> pack =
        packDefinitionOfFolder(folder(), QStringLiteral("Race 4S"));
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->chemistry, PackChemistry::LiPo);
    EXPECT_EQ(pack->cells, 4);
    // The journal reads as any recording.
    RecordingFile file;
    file.read(r.journals.front());
    EXPECT_EQ(file.rowCount(), 100u);
}

TEST_F(ImportTest, ALogWithoutADateTakesTheOneGivenAndFilesFollowOneAnother) {
    const QString a =
        write(QStringLiteral("Ch1_LiFe_3S_1.xls"), bytesOf(fixture("Ch1_LiFe_3S_2.xls")));
    const QString b =
        write(QStringLiteral("Ch1_LiFe_3S_2.xls"),
              bytesOf(fixture("Ch1_LiFe_3S_2.xls")).replace("Interval:2s", "Interval:1s"));
    const ImportResult undated = importer().importFile(a);
    EXPECT_EQ(undated.outcome, ImportOutcome::Refused);
    EXPECT_TRUE(undated.reason.contains(QLatin1String("does not tell its date")));
    Importer dated = importer(QStringLiteral("Life 3S"), QDate(2025, 3, 4));
    const ImportResult first = dated.importFile(a);
    const ImportResult second = dated.importFile(b);
    ASSERT_EQ(second.outcome, ImportOutcome::Imported) << second.reason.toStdString();
    const std::vector<PackHistoryEntry> history =
        packHistoryOfFolder(folder(), QStringLiteral("Life 3S"));
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].start, QDateTime(QDate(2025, 3, 4), QTime(0, 0, 0)));
    EXPECT_EQ(history[1].start, QDateTime(QDate(2025, 3, 4), QTime(0, 0, 59)));
}

TEST_F(ImportTest, EachChannelOfAnOpenFormatLogBecomesItsOwnJournal) {
    QByteArray text = bytesOf(fixture("openformat-plain.txt"));
    QByteArray both;
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith("$1;")) {
            QByteArray other = line.trimmed();
            other[1] = '2';
            other.chop(other.size() - other.lastIndexOf(';') - 1);
            int sum = 0;
            for (const char c : other) {
                sum ^= static_cast<unsigned char>(c);
            }
            both += line + "\n" + other + QByteArray::number(sum) + "\r\n";
        }
    }
    const QString path = write(QStringLiteral("two.txt"), both);
    const ImportResult r = importer(QString(), QDate(2025, 1, 1)).importFile(path);
    ASSERT_EQ(r.outcome, ImportOutcome::Imported) << r.reason.toStdString();
    ASSERT_EQ(r.journals.size(), 2);
    EXPECT_TRUE(r.journals[0].endsWith(QLatin1String("-openformat-1.csv")));
    EXPECT_TRUE(r.journals[1].endsWith(QLatin1String("-openformat-2.csv")));
    EXPECT_EQ(r.rows, 100u);
    // Without a pack, no pack file.
    EXPECT_FALSE(QFileInfo::exists(packFilePath(r.journals[0])));
}

}  // namespace
}  // namespace cellwatch::logimport
