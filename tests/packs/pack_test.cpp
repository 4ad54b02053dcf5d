// Pack files beside journals and a pack's history, on real files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "analysis/recording_summary.h"
#include "packs/pack_history.h"
#include "readout/pack_file.h"
#include "readout/recording_file.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/journal_text.h"

namespace cellwatch {
namespace {

class PackTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes) const {
        return testing::writeFile(dir.filePath(name), bytes);
    }
    // A journal started at `start` (empty: no comment line), of `kind`
    // ("+CHG+", "-DSC-" or "mixed", both in turn), ending at `mah`.
    QString journal(const QString& name, const char* start, const char* kind, int mah) const {
        const bool mixed = QByteArray(kind) == "mixed";
        const char* first = mixed ? "+CHG+" : kind;
        const double amps = QByteArray(first) == "-DSC-" ? -2 : 2;
        return write(name, testing::journalText(QString::fromLatin1(start),
                                                {{1, first, 12, amps, 0, 4.10},
                                                 {3, mixed ? "-DSC-" : kind, 12, amps, mah}}));
    }
};

TEST_F(PackTest, PackFileSitsBesideItsJournalNamedFromIt) {
    const struct {
        const char* journal;
        const char* pack;
    } cases[] = {
        {"/r/cellwatch-20261205-143012.csv", "/r/cellwatch-20261205-143012.pack.json"},
        {"/r/cellwatch-20261205-143012-2.csv", "/r/cellwatch-20261205-143012-2.pack.json"},
        {"/r/charge.v2.csv", "/r/charge.v2.pack.json"},
        {"/r/noext", "/r/noext.pack.json"},
        {"/r/.csv", "/r/.csv.pack.json"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(packFilePath(QString::fromLatin1(c.journal)), QString::fromLatin1(c.pack))
            << c.journal;
    }
}

TEST_F(PackTest, WrittenPackReadsBackTrimmedAndEmptyRemovesTheFile) {
    const QString j = journal(QStringLiteral("a.csv"), "", "+CHG+", 100);
    const struct {
        PackInfo written;
        PackInfo read;
    } cases[] = {
        {{QStringLiteral("Pack A"), QStringLiteral("new cells")},
         {QStringLiteral("Pack A"), QStringLiteral("new cells")}},
        {{QStringLiteral("  4S  5000 \t"), QString()}, {QStringLiteral("4S 5000"), QString()}},
        {{QString::fromUtf8("电池组 1"), QStringLiteral("line one\nline \"two\"")},
         {QString::fromUtf8("电池组 1"), QStringLiteral("line one\nline \"two\"")}},
        {{QString(), QStringLiteral("a note alone")}, {QString(), QStringLiteral("a note alone")}},
    };
    for (const auto& c : cases) {
        QString error;
        ASSERT_TRUE(writePackInfo(j, c.written, &error)) << error.toStdString();
        EXPECT_EQ(readPackInfo(j), c.read) << c.written.pack.toStdString();
        // Nothing of where it lies goes into the file.
        QFile f(packFilePath(j));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_FALSE(f.readAll().contains(QFile::encodeName(dir.path())));
    }
    ASSERT_TRUE(writePackInfo(j, {QStringLiteral("   "), QString()}));
    EXPECT_FALSE(QFile::exists(packFilePath(j)));
    EXPECT_EQ(readPackInfo(j), PackInfo{});
    EXPECT_TRUE(removePackInfo(j));  // nothing to remove is no failure
}

// A pack file made by hand may hold a name and a note of most of a
// megabyte: they are cut to their limits when read (never inside a
// character), and when written, so no window has to lay out a megabyte.
TEST_F(PackTest, LongNamesAndNotesAreCutToTheirLimits) {
    const QString j = journal(QStringLiteral("c.csv"), "", "+CHG+", 100);
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 code units
    const struct {
        const char* name;
        QString pack, note;
        PackInfo read;
    } cases[] = {
        {"long",
         QString(1000, u'p'),
         QString(900'000, u'n'),
         {QString(kPackNameLimit, u'p'), QString(kPackNoteLimit, u'n')}},
        {"a character across the limit",
         QString(kPackNameLimit - 1, u'p') + smile,
         QString(kPackNoteLimit - 1, u'n') + smile + QStringLiteral("more"),
         {QString(kPackNameLimit - 1, u'p'), QString(kPackNoteLimit - 1, u'n')}},
        {"a blank at the limit",
         QString(kPackNameLimit - 1, u'p') + QStringLiteral(" b"),
         QStringLiteral("short"),
         {QString(kPackNameLimit - 1, u'p'), QStringLiteral("short")}},
        {"just within",
         QString(kPackNameLimit - 2, u'p') + smile,
         QString(kPackNoteLimit, u'n'),
         {QString(kPackNameLimit - 2, u'p') + smile, QString(kPackNoteLimit, u'n')}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray file = QJsonDocument(QJsonObject{{QStringLiteral("pack"), c.pack},
                                                          {QStringLiteral("note"), c.note}})
                                    .toJson();
        write(QStringLiteral("c.pack.json"), file);
        EXPECT_EQ(readPackInfo(j), c.read);
        EXPECT_EQ(readAndSummarize(*std::make_unique<RecordingFile>(), j).note, c.read.note);
        ASSERT_TRUE(writePackInfo(j, {c.pack, c.note}));
        EXPECT_EQ(readPackInfo(j), c.read);
        EXPECT_LE(QFileInfo(packFilePath(j)).size(), 8 * (kPackNameLimit + kPackNoteLimit));
    }
}

TEST_F(PackTest, DamagedOrMissingPackFileIsNoPack) {
    const QString j = journal(QStringLiteral("b.csv"), "", "+CHG+", 100);
    EXPECT_EQ(readPackInfo(j), PackInfo{});
    const QByteArray damaged[] = {
        "",
        "{\"pack\": \"A\"",  // cut short
        "[\"A\"]",
        "\"A\"",
        "{\"pack\": 42, \"note\": [1]}",
        "\xFF\xFE\x00garbage",
        QByteArray(2 << 20, ' ') + "{\"pack\": \"A\"}",  // far too large
    };
    for (const QByteArray& bytes : damaged) {
        write(QStringLiteral("b.pack.json"), bytes);
        EXPECT_EQ(readPackInfo(j), PackInfo{}) << bytes.left(30).toStdString();
    }
    // A folder where the file should be is no pack either.
    QFile::remove(packFilePath(j));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("b.pack.json")));
    EXPECT_EQ(readPackInfo(j), PackInfo{});
    QString error;
    EXPECT_FALSE(writePackInfo(j, {QStringLiteral("A"), QString()}, &error));
    EXPECT_FALSE(error.isEmpty());
}

// What is put in a pack file's place by mistake or on purpose: read at once
// as no pack, saying why, while the journal and its neighbours read as ever.
// (Should opening a FIFO wait after all, the watchdog opens its other end
// after a while: the test then fails instead of hanging.)
TEST_F(PackTest, HostilePackFilesAreNoPackAtOnceSayingWhy) {
    const QString good =
        journal(QStringLiteral("a.csv"), "2026-12-01T09:00:00+01:00", "+CHG+", 100);
    ASSERT_TRUE(writePackInfo(good, {QStringLiteral("Pack A"), QString()}));
    const QString j = journal(QStringLiteral("b.csv"), "2026-12-02T09:00:00+01:00", "+CHG+", 200);
    const QString packPath = packFilePath(j);
    const QByteArray packName = QFile::encodeName(packPath);
    const struct {
        const char* name;
        std::function<void()> make;
        const char* says;  // empty: no problem
    } cases[] = {
        {"none", [] {}, ""},
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(packName.constData(), 0600), 0); },
         ": it is a FIFO, not a regular file"},
        {"a link to /dev/zero",
         [&] { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), packPath)); },
         ": it is a device, not a regular file"},
        {"a directory", [&] { ASSERT_TRUE(QDir().mkdir(packPath)); }, ": it is a directory"},
        {"100 MB",
         [&] {
             QFile f(packPath);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(100'000'000));
         },
         ": it is larger than 1 MiB"},
        {"damaged", [&] { write(QStringLiteral("b.pack.json"), "{\"pack\": "); },
         " is no pack file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().rmdir(packPath);
        QFile::remove(packPath);
        c.make();
        const testing::FifoWatchdog watchdog(packName.toStdString());
        QString problem = QStringLiteral("left from before");
        EXPECT_EQ(readPackInfo(j, &problem), PackInfo{});
        EXPECT_EQ(problem.isEmpty(), *c.says == 0) << problem.toStdString();
        if (*c.says != 0) {
            EXPECT_TRUE(problem.startsWith(QStringLiteral("cannot read ") + packPath) ||
                        problem.startsWith(packPath))
                << problem.toStdString();
            EXPECT_TRUE(problem.endsWith(QString::fromUtf8(c.says))) << problem.toStdString();
        }
        RecordingFile file;
        EXPECT_EQ(readAndSummarize(file, j).capacityMah, 200);
        EXPECT_EQ(packNamesOfFolder(dir.path()), QStringList{QStringLiteral("Pack A")});
        EXPECT_EQ(packHistoryOfFolder(dir.path(), QStringLiteral("Pack A")).size(), 1u);
    }
}

TEST_F(PackTest, PackAndNoteSurviveRenamingTheFolder) {
    const QString folder = dir.filePath(QStringLiteral("recordings"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString a = journal(QStringLiteral("recordings/cellwatch-20261201-090000.csv"),
                              "2026-12-01T09:00:00+01:00", "+CHG+", 2000);
    const QString b = journal(QStringLiteral("recordings/cellwatch-20261202-090000.csv"),
                              "2026-12-02T09:00:00+01:00", "-DSC-", 1900);
    ASSERT_TRUE(writePackInfo(a, {QStringLiteral("Pack A"), QStringLiteral("first charge")}));
    ASSERT_TRUE(writePackInfo(b, {QStringLiteral("Pack A"), QString()}));

    const QString moved = dir.filePath(QStringLiteral("elsewhere/kept"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(moved).path()));
    ASSERT_TRUE(QDir().rename(folder, moved));
    const QString a2 = QDir(moved).filePath(QFileInfo(a).fileName());
    EXPECT_EQ(readPackInfo(a2),
              (PackInfo{QStringLiteral("Pack A"), QStringLiteral("first charge")}));
    RecordingFile file;
    const RecordingSummaryValues summary = readAndSummarize(file, a2);
    EXPECT_EQ(summary.pack, QStringLiteral("Pack A"));
    EXPECT_EQ(summary.note, QStringLiteral("first charge"));
    EXPECT_EQ(packNamesOfFolder(moved), QStringList{QStringLiteral("Pack A")});
    EXPECT_EQ(packHistoryOfFolder(moved, QStringLiteral("Pack A")).size(), 2u);
}

// The report's and the recordings dialog's tests show a pack's history in
// date order with its figures; here starts at other offsets from UTC, a
// mixed recording, a name that differs in case and a damaged journal.
TEST_F(PackTest, HistoryIsInDateOrderWhateverTheFileNames) {
    const struct {
        const char* name;
        const char* start;
        const char* kind;
        const char* pack;
    } files[] = {
        {"a.csv", "2026-12-03T08:00:00+01:00", "-DSC-", "Pack A"},
        {"c.csv", "2026-12-03T07:30:00Z", "+CHG+", "Pack A"},  // 08:30 at +01:00
        {"d.csv", "2026-11-25T10:00:00+01:00", "mixed", " Pack A "},
        {"f.csv", "2026-11-23T10:00:00+01:00", "+CHG+", "pack a"},
    };
    for (const auto& f : files) {
        ASSERT_TRUE(writePackInfo(journal(QString::fromLatin1(f.name), f.start, f.kind, 999),
                                  {QString::fromLatin1(f.pack), QString()}));
    }
    const QString damaged = write(QStringLiteral("h.csv"), "not a recording\r\n");
    ASSERT_TRUE(writePackInfo(damaged, {QStringLiteral("Pack A"), QString()}));

    QStringList order;
    std::vector<RecordingKind> kinds;
    for (const PackHistoryEntry& e : packHistoryOfFolder(dir.path(), QStringLiteral("Pack A"))) {
        order << QFileInfo(e.path).fileName();
        kinds.push_back(e.kind);
    }
    EXPECT_EQ(order, (QStringList{"d.csv", "a.csv", "c.csv"}));
    EXPECT_EQ(kinds, (std::vector<RecordingKind>{RecordingKind::Mixed, RecordingKind::Discharge,
                                                 RecordingKind::Charge}));
    EXPECT_TRUE(packHistoryOfFolder(dir.path(), QString()).empty());
    EXPECT_EQ(packNamesOfFolder(dir.path()), (QStringList{"Pack A", "pack a"}));
}

}  // namespace
}  // namespace cellwatch
