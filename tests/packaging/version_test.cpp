// Every program answers --version with its name and the project's version,
// as a user runs it: the built program, no desktop needed.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <ostream>

#include "protocol/version.h"

namespace {

struct Program {
    const char* name;
    const char* path;
};

void PrintTo(const Program& program, std::ostream* os) {
    *os << program.name;
}

class VersionTest : public ::testing::TestWithParam<Program> {};

TEST_P(VersionTest, AnswersWithItsNameAndTheProjectVersion) {
    const Program& program = GetParam();
    QProcess process;
    // No display at all: the window must answer before it opens one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QString::fromLocal8Bit(program.path), {QStringLiteral("--version")});
    ASSERT_TRUE(process.waitForFinished(30000)) << program.name << " did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.readAllStandardOutput().toStdString(),
              std::string(program.name) + " " + cellwatch::kProgramVersion + "\n");
    EXPECT_EQ(process.readAllStandardError().toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(Programs, VersionTest,
                         ::testing::Values(Program{"cellwatch", CELLWATCH_WINDOW_PATH},
                                           Program{"cellwatch-dump", CELLWATCH_DUMP_PATH},
                                           Program{"cellwatch-emulator", CELLWATCH_EMULATOR_PATH},
                                           Program{"cellwatch-log", CELLWATCH_LOG_PATH},
                                           Program{"cellwatch-report", CELLWATCH_REPORT_PATH}),
                         [](const ::testing::TestParamInfo<Program>& param) {
                             std::string name = param.param.name;
                             for (char& c : name) {
                                 c = c == '-' ? '_' : c;
                             }
                             return name;
                         });

// The window's --help and --version with the environment cleared (no
// display, no platform, no home): each answers and ends normally.
TEST(Version, TheWindowAnswersHelpAndVersionWithNothingInItsEnvironment) {
    struct Case {
        const char* option;
        const char* says;
    };
    for (const Case& c : {Case{"--help", "--replay <FILE>"}, Case{"-h", "--port <PATH>"},
                          Case{"--help-all", "--speed <N>"}, Case{"--version", "cellwatch "}}) {
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment());
        process.start(QStringLiteral(CELLWATCH_WINDOW_PATH), {QString::fromLatin1(c.option)});
        ASSERT_TRUE(process.waitForFinished(30000)) << c.option << " did not end";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << c.option;
        EXPECT_EQ(process.exitCode(), 0)
            << c.option << ": " << process.readAllStandardError().toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().contains(c.says)) << c.option;
    }
}

TEST(Version, IsTheReleaseTheWindowAndPackageShow) {
    EXPECT_STREQ(cellwatch::kProgramVersion, CELLWATCH_PROJECT_VERSION);
}

}  // namespace
