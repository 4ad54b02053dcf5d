// cellwatch-report --import as a user runs it: other tools' logs into a
// recordings folder, then the pack's history and the report of the journal.
#include "tests/tools/report/report_fixture.h"

namespace cellwatch::reporttest {
namespace {

QString fixture(const char* name) {
    return QStringLiteral(CELLWATCH_IMPORT_DATA "/") + QLatin1String(name);
}

TEST_F(ReportTest, ImportedToolkitLogIsInThePacksHistoryAndReported) {
    const QString folder = dir.filePath(QStringLiteral("recordings"));
    const QString damaged = write(QStringLiteral("damaged.xls"), "==Items==\nType:LiPo\n==Dat==\n");
    const Ran first = report({QStringLiteral("--import"), fixture("2024-09-16_21-23-32.xls"),
                              damaged, QStringLiteral("--pack"), QStringLiteral("Race 4S"),
                              QStringLiteral("--folder"), folder});
    EXPECT_EQ(first.status, 1) << "a refused file fails the run";
    EXPECT_EQ(first.out,
              "2024-09-16_21-23-32.xls: imported as cellwatch-20240916-212332.csv (100 rows)\n"
              "damaged.xls: refused: line 3, column 1: unknown section ==Dat==: a ToolkitRC log "
              "has ==Items==, ==Data==, ==End== and ==Error== (as ToolkitRC log)\n"
              "1 imported, 0 already imported, 1 refused\n");
    EXPECT_TRUE(first.err.contains(QLatin1String("importing 2 of 2: damaged.xls")))
        << first.err.toStdString();

    const Ran again = report({QStringLiteral("--import"), fixture("2024-09-16_21-23-32.xls"),
                              QStringLiteral("--pack"), QStringLiteral("Race 4S"),
                              QStringLiteral("--folder"), folder});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out,
              "2024-09-16_21-23-32.xls: already imported as cellwatch-20240916-212332.csv\n");
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.csv")}).size(), 1);

    const Ran history = report(
        {QStringLiteral("--pack"), QStringLiteral("Race 4S"), QStringLiteral("--json"), folder});
    ASSERT_EQ(history.status, 0) << history.err.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(history.out).array();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(entries[0][QStringLiteral("start")].toString().startsWith(
        QLatin1String("2024-09-16T21:23:32")));
    EXPECT_EQ(entries[0][QStringLiteral("kind")].toString(), QStringLiteral("mixed"));

    const Ran summary = report(
        {QStringLiteral("--json"), folder + QStringLiteral("/cellwatch-20240916-212332.csv")});
    ASSERT_EQ(summary.status, 0) << summary.err.toStdString();
    const QJsonObject recording = QJsonDocument::fromJson(summary.out).array()[0].toObject();
    EXPECT_EQ(recording[QStringLiteral("rows")].toInt(), 100);
    EXPECT_EQ(recording[QStringLiteral("pack")].toString(), QStringLiteral("Race 4S"));
    EXPECT_EQ(recording[QStringLiteral("duration_s")].toInt(), 100);
}

TEST_F(ReportTest, ImportOptionsThatDoNotGoTogetherAreUsageErrors) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{QStringLiteral("--import"), QStringLiteral("a.xls")}, "--import takes the FILEs"},
        {{QStringLiteral("--import"), QStringLiteral("--pack"), QStringLiteral("P")},
         "--import takes the FILEs"},
        {{QStringLiteral("--import"), QStringLiteral("a.xls"), QStringLiteral("--pack"),
          QStringLiteral("P"), QStringLiteral("--date"), QStringLiteral("2025-13-01")},
         "--date takes a day"},
        {{QStringLiteral("--import"), QStringLiteral("a.xls"), QStringLiteral("--pack"),
          QStringLiteral("P"), QStringLiteral("--json")},
         "--import goes only with"},
        {{QStringLiteral("a.csv"), QStringLiteral("--date"), QStringLiteral("2025-01-01")},
         "--date and --folder go with --import"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Ran r = report(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
    }
}

}  // namespace
}  // namespace cellwatch::reporttest
