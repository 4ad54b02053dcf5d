// Help > "Try the emulator" in the real window with the built emulator: the
// hint while no port is found, the connection to the emulator's
// pseudo-terminal, and the emulator stopped by Disconnect and by closing.
#include <signal.h>

#include <QMenu>

#include "app/emulator_trial.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class EmulatorTrialTest : public WindowTest {
protected:
    // The window on the system's clocks (the emulator keeps its own time).
    void openLive(const QString& language) {
        w.reset();
        writeLanguageCode(*store, language);
        MainWindow::Hooks live = hooks();
        live.ticks = nullptr;
        live.wall = nullptr;
        w = std::make_unique<MainWindow>(startSettings(), live);
        w->show();
        test::settle();
        w->emulatorTrial().setProgram(QStringLiteral(CELLWATCH_EMULATOR_PATH));
    }
    QAction* command() const { return w->toolBar().tool(Command::Emulator)->action(); }
    // Starts the emulator from the menu and waits for the window to connect
    // to it and for rows of the new recording.
    void tryIt() {
        ASSERT_NE(command(), nullptr);
        command()->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->linkOpen(); }, 30000))
            << statusText().toStdString();
        ASSERT_TRUE(QTest::qWaitFor([&] { return rows() >= 2; }, 30000))
            << statusText().toStdString();
        EXPECT_TRUE(w->emulatorTrial().running());
        EXPECT_TRUE(w->emulatorTrial().port().startsWith(QStringLiteral("/dev/")));
    }
};

TEST_F(EmulatorTrialTest, TheBandSaysHowToTryItWhileNoPortIsFound) {
    const struct {
        const char* language;
        bool portListed;
        const char* said;  // nullptr: not the hint
        const char* command;
    } cases[] = {
        {"ENG", false,
         "No serial port found. To try the program without a charger: Help > Try the emulator",
         "Try the emulator"},
        {"CHT", false, "未找到串口。没有充电器也可以试用：帮助 > 试用模拟器", "试用模拟器"},
        {"ENG", true, nullptr, "Try the emulator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.language << (c.portListed ? " with a port" : ""));
        ports.list.clear();
        if (c.portListed) {
            ports.list.push_back({QStringLiteral("COM1"), QStringLiteral("Port"), false});
        }
        openLive(QString::fromLatin1(c.language));
        if (c.said != nullptr) {
            EXPECT_EQ(statusText(), QString::fromUtf8(c.said));
        } else {
            EXPECT_FALSE(statusText().contains(QStringLiteral("emulator")));
        }
        ASSERT_NE(command(), nullptr);
        EXPECT_EQ(command()->text(), QString::fromUtf8(c.command));
    }
}

TEST_F(EmulatorTrialTest, ItConnectsAndDisconnectOrClosingStopsIt) {
    openLive(QStringLiteral("ENG"));
    tryIt();
    disconnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->emulatorTrial().running(); }, kWaitMs));
    EXPECT_FALSE(w->linkOpen());

    // Again, and the window closes with it running.
    tryIt();
    const qint64 pid = w->emulatorTrial().process().processId();
    ASSERT_GT(pid, 0);
    w.reset();
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0) << "the emulator outlived the window";
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

}  // namespace
}  // namespace cellwatch::windowtest
