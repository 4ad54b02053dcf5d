// The window's line shared beyond it, offscreen against a broker of the
// test's own and a pseudo-terminal for the charger: published and watched
// by the built cellwatch-log, captured and replayed by it, and what is
// refused or kept.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>
#include <string>
#include <vector>

#include "app/line_sharing.h"
#include "app/network_watch.h"
#include "app/publish_dialog.h"
#include "net/publisher.h"
#include "test_broker.h"
#include "tests/support/event_wait.h"
#include "tests/support/tool_run.h"
#include "tests/support/window_test_support.h"

namespace cellwatch {
namespace {

using nettest::TestBroker;
using nettest::waitUntil;
using windowtest::kWaitMs;

#ifdef CELLWATCH_LOG_TOOL
const QString kLogTool = QStringLiteral(CELLWATCH_LOG_TOOL);
#else
const QString kLogTool;
#endif

PublishChoice publishTo(const QString& address) {
    PublishChoice c;
    c.on = true;
    c.address = address;
    return c;
}

class LineSharingTest : public windowtest::WindowTest {
protected:
    void SetUp() override {
        if (kLogTool.isEmpty()) {
            GTEST_SKIP() << "built without cellwatch-log";
        }
    }
    LineSharing& sharing() const { return *w->findChild<LineSharing*>(); }
    QAction& item(const char* name) const {
        return *w->toolBar()
                    .tool(QString::fromLatin1(name) == QLatin1String("CaptureLine")
                              ? Command::CaptureLine
                              : Command::PublishLine)
                    ->action();
    }
    // Answers View > Publish on the network… with `choice`.
    void choosePublishing(const PublishChoice& choice, const QString& password = {}) {
        onDialog = [&](QDialog& dialog) {
            auto& d = dynamic_cast<PublishDialog&>(dialog);
            d.onBox().setChecked(choice.on);
            d.addressField().setText(choice.address);
            d.passwordField().setText(password);
            d.passwordFileField().setText(choice.passwordFile);
            d.caFileField().setText(choice.caFile);
            d.keyFileField().setText(choice.keyFile);
            d.discoveryBox().setChecked(choice.discovery);
            d.accept();
        };
        item("PublishLine").trigger();
        onDialog = nullptr;
    }
    // A table row as cellwatch-log prints it.
    std::string line(int row) const {
        QStringList texts;
        for (int column = 1; column < kTableColumnCount; ++column) {
            texts << w->table().gridText(row, column);
        }
        return texts.join(u'\t').toStdString();
    }
    QStringList statusList() const {
        QStringList all;
        Tool* list = tool("state", "state_text");
        for (int i = 0; i < list->itemCount(); ++i) {
            all << list->item(i);
        }
        return all;
    }
    // A fresh line for the next window.
    void newLine() { pty = std::make_unique<windowtest::emu::PseudoTerminal>(); }

    TestBroker broker;
};

TEST_F(LineSharingTest, WatchersOfThePublishedWindowPrintItsRowsAndItsEnd) {
    // Turned on before the charge, or during it: a watcher there from the
    // start and one that joins late print the window's own rows.
    for (const bool midway : {false, true}) {
        SCOPED_TRACE(midway ? "turned on during the charge" : "turned on before");
        newLine();
        open();
        const QString address =
            broker.address(midway ? QStringLiteral("b2") : QStringLiteral("b1"));
        testing::ToolRun early(kLogTool,
                               {QStringLiteral("--port"), address, QStringLiteral("--no-journal")});
        ASSERT_TRUE(early.waitForLines(1, kWaitMs)) << early.err();  // subscribed
        if (!midway) {
            choosePublishing(publishTo(address));
        }
        connectTo(slave());
        recordRows(1, 3);
        if (midway) {
            choosePublishing(publishTo(address));
        }
        ASSERT_NE(sharing().publisher(), nullptr) << failureText();
        EXPECT_EQ(w->session().publisher(), sharing().publisher());
        // Rows recorded while the broker is not there yet are dropped (the
        // journal keeps them): the charge goes on once it is connected.
        ASSERT_TRUE(testing::waitUntil(
            [&] { return sharing().publisher()->client().isConnected(); }, kWaitMs));
        recordRows(4, 6);
        const int first = midway ? 4 : 1;
        ASSERT_TRUE(early.waitForLines(static_cast<std::size_t>(1 + 7 - first), kWaitMs))
            << early.out() << early.err();

        testing::ToolRun late(kLogTool,
                              {QStringLiteral("--port"), address, QStringLiteral("--no-journal")});
        ASSERT_TRUE(late.waitForLines(1, kWaitMs)) << late.err();
        recordRows(7, 7);
        ASSERT_TRUE(late.waitForLines(2, kWaitMs)) << late.out() << late.err();
        ASSERT_TRUE(early.waitForLines(static_cast<std::size_t>(1 + 8 - first), kWaitMs));

        PublishChoice off = publishTo(address);
        off.on = false;
        choosePublishing(off);
        EXPECT_EQ(sharing().publisher(), nullptr);
        EXPECT_EQ(w->session().publisher(), nullptr);
        EXPECT_EQ(statusText(), QStringLiteral("Publishing stopped (offline)"));
        // "offline": each watcher's link is lost.
        for (testing::ToolRun* watcher : {&early, &late}) {
            EXPECT_EQ(watcher->wait(kWaitMs), 2) << watcher->err();
        }
        std::vector<std::string> expected;
        for (int row = first; row <= 7; ++row) {
            expected.push_back(line(row));
        }
        const auto rowsOf = [](const std::vector<std::string>& lines, std::size_t count) {
            EXPECT_GE(lines.size(), count + 3);
            if (lines.size() < count + 3) {
                return std::vector<std::string>();
            }
            EXPECT_TRUE(lines[lines.size() - 2].starts_with("# alarm lost: ")) << lines.back();
            EXPECT_EQ(lines.back(), "# lost");
            return std::vector<std::string>(lines.begin() + 1, lines.end() - 2);
        };
        EXPECT_EQ(rowsOf(early.outLines(), expected.size()), expected) << early.out();
        EXPECT_EQ(rowsOf(late.outLines(), 1), std::vector<std::string>{line(7)}) << late.out();
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

TEST_F(LineSharingTest, ACaptureOfTheLineReplaysAsTheWindowRecordedIt) {
    // Chosen before the charge its header comes with the recording's start;
    // during it, the replay is a recording that begins where the capture did.
    struct Case {
        const char* name;
        bool midway;
        bool endByDisconnect;
    };
    for (const Case& c : {Case{"before", false, true}, Case{"midway", true, false}}) {
        SCOPED_TRACE(c.name);
        newLine();
        open();
        const QString file = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".cwcap"));
        const QString shown = QDir::toNativeSeparators(file);
        saveAnswer = file;
        if (!c.midway) {
            item("CaptureLine").trigger();
            EXPECT_EQ(
                statusText(),
                QStringLiteral("Capturing the line to %1 from the next recording on").arg(shown));
        }
        connectTo(slave());
        recordRows(1, 3);
        if (c.midway) {
            item("CaptureLine").trigger();
            EXPECT_EQ(statusText(), QStringLiteral("Capturing the line to %1").arg(shown));
        }
        ASSERT_EQ(saveAsks.size(), 1u);
        EXPECT_EQ(saveAsks[0].filters, QStringList{QStringLiteral("Capture (*.cwcap)")});
        EXPECT_TRUE(item("CaptureLine").isChecked());
        EXPECT_TRUE(sharing().capturing());
        recordRows(4, 6);
        if (c.endByDisconnect) {
            disconnect();
        } else {
            item("CaptureLine").trigger();
        }
        EXPECT_FALSE(sharing().capturing());
        EXPECT_FALSE(item("CaptureLine").isChecked());
        EXPECT_EQ(statusText(), QStringLiteral("The capture ended; it is kept in %1").arg(shown));

        std::vector<std::string> expected;
        for (int row = c.midway ? 4 : 1; row <= 6; ++row) {
            std::string texts = line(row);
            if (c.midway) {  // counted from the capture's start
                texts.replace(0, texts.find('\t'), "0:00:0" + std::to_string(row - 3));
            }
            expected.push_back(texts);
        }
        const testing::ToolResult replay = testing::runTool(
            kLogTool,
            {QStringLiteral("--replay"), file, QStringLiteral("--speed"), QStringLiteral("0")});
        EXPECT_EQ(replay.status, 0) << replay.err;
        std::vector<std::string> lines = testing::splitLines(replay.out);
        ASSERT_FALSE(lines.empty()) << replay.err;
        lines.erase(lines.begin());  // the header
        EXPECT_EQ(lines, expected) << replay.out;
        saveAsks.clear();
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

TEST_F(LineSharingTest, ACaptureThatCannotBeWrittenSaysSoAndStops) {
    openConnected(2);
    saveAnswer = dir.path();  // a folder
    item("CaptureLine").trigger();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].startsWith(QStringLiteral("cannot write ") + dir.path()))
        << failureText();
    EXPECT_FALSE(sharing().capturing());
    EXPECT_FALSE(item("CaptureLine").isChecked());

    // Room for the header, not for the first record.
    saveAnswer = dir.filePath(QStringLiteral("full.cwcap"));
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = kCaptureHeaderSize + 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    item("CaptureLine").trigger();
    const bool started = sharing().capturing();
    advance(1000);
    write(windowtest::message(windowtest::charging(3)));
    const bool stopped = waitUntil([&] { return !sharing().capturing(); });
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(started);
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(item("CaptureLine").isChecked());
    EXPECT_TRUE(statusList().contains(
        QStringLiteral("The capture stopped: cannot write %1: File too large").arg(saveAnswer)))
        << statusList().join(u'|').toStdString();
    EXPECT_EQ(w->session().capture(), nullptr);
}

TEST_F(LineSharingTest, BadChoicesAreRefusedInAMessageBoxWithNothingHalfSetUp) {
    open();
    const QString address = broker.address(QStringLiteral("b3"));
    choosePublishing(publishTo(address));
    net::Publisher* working = sharing().publisher();
    ASSERT_NE(working, nullptr) << failureText();
    const PublishChoice kept = readPublishChoice(*settings);
    EXPECT_EQ(kept, publishTo(address));

    const QString missing = dir.filePath(QStringLiteral("missing"));
    PublishChoice badKey = publishTo(address);
    badKey.keyFile = missing;
    PublishChoice badPasswordFile =
        publishTo(broker.address(QStringLiteral("b3"), QStringLiteral("al")));
    badPasswordFile.passwordFile = missing;
    PublishChoice badCa = publishTo(QStringLiteral("mqtts://127.0.0.1:%1/b3").arg(broker.port()));
    badCa.caFile = dir.path();
    const std::pair<PublishChoice, QString> cases[] = {
        {publishTo(QStringLiteral("mqtt://h/a/b")), QStringLiteral("not one level")},
        {publishTo(QStringLiteral("mqtt://h")), QStringLiteral("mqtt://h")},
        {badKey, missing},
        {badPasswordFile, missing},
        {badCa, QStringLiteral("it is a directory")},
    };
    for (const auto& [choice, says] : cases) {
        SCOPED_TRACE(choice.address.toStdString() + " " + says.toStdString());
        failures.clear();
        choosePublishing(choice);
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures[0].startsWith(QStringLiteral("Cannot publish: "))) << failureText();
        EXPECT_TRUE(failures[0].contains(says)) << failureText();
        EXPECT_EQ(sharing().publisher(), working);
        EXPECT_EQ(w->session().publisher(), working);
        EXPECT_EQ(readPublishChoice(*settings), kept);
    }

    // What the broker says goes to the status band.
    ASSERT_TRUE(waitUntil([&] { return working->client().isConnected(); }));
    broker.stop();
    const QString lost = QStringLiteral("lost the broker 127.0.0.1:%1").arg(broker.port());
    EXPECT_TRUE(waitUntil([&] {
        const QStringList said = statusList();
        return std::any_of(said.begin(), said.end(),
                           [&](const QString& line) { return line.startsWith(lost); });
    })) << statusList().join(u'|').toStdString();
}

TEST_F(LineSharingTest, TheChoiceButATypedPasswordIsAppliedAtTheNextStart) {
    open();
    PublishChoice chosen = publishTo(broker.address(QStringLiteral("b4")));
    chosen.discovery = true;
    chosen.keyFile = broker.writeFile(QStringLiteral("b4.key"), "0123456789abcdef0123\n");
    choosePublishing(chosen);
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    open();  // the next start
    EXPECT_EQ(readPublishChoice(*settings), chosen);
    ASSERT_NE(sharing().publisher(), nullptr) << failureText();
    EXPECT_TRUE(waitUntil([&] { return sharing().publisher()->client().isConnected(); }));
    EXPECT_TRUE(statusList().contains(QStringLiteral("Publishing on ") + chosen.address));

    const QString withUser = broker.address(QStringLiteral("b4"), QStringLiteral("alice"));
    choosePublishing(publishTo(withUser), QStringLiteral("hunter2-typed"));
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    EXPECT_FALSE(windowtest::readAll(store->path()).contains("hunter2"));
    open();
    EXPECT_EQ(sharing().publisher(), nullptr);
    EXPECT_EQ(statusText(),
              QStringLiteral("Publishing on %1 needs its password: View > Publish on the network…")
                  .arg(withUser));
}

TEST_F(LineSharingTest, AWindowWatchingAChargerNeverPublishes) {
    open();
    choosePublishing(publishTo(broker.address(QStringLiteral("b5"))));  // kept: on
    net::MqttOptions o;
    o.address = net::parseBrokerAddress(broker.address(QStringLiteral("b6")));
    net::Publisher other(o, false);
    other.setStart({1'700'000'000'000, 0, 1000});
    other.start();
    NetworkWatch watch(*settings, broker.address(QStringLiteral("b6")), QString(), hooks());
    ASSERT_TRUE(waitUntil([&] { return watch.watching(); }));
    MainWindow& watching = watch.window();
    EXPECT_EQ(watching.findChild<LineSharing*>()->publisher(), nullptr);
    EXPECT_EQ(watching.session().publisher(), nullptr);
    watching.toolBar().bandMenu(QStringLiteral("View1"))->aboutToShow();
    EXPECT_FALSE(watching.toolBar().tool(Command::PublishLine)->action()->isEnabled());
}

TEST_F(LineSharingTest, TheItemsAndTheDialogSpeakTheWindowsLanguage) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"ENG", "Capture the line…", "Publish on the network…", "Publish on the network"},
        {"CHT", "捕获线路数据…", "在网络上发布…", "在网络上发布"},
    };
    for (const auto& [language, capture, publish, title] : cases) {
        SCOPED_TRACE(language);
        open(QString::fromLatin1(language));
        w->toolBar().bandMenu(QStringLiteral("file1"))->aboutToShow();
        w->toolBar().bandMenu(QStringLiteral("View1"))->aboutToShow();
        EXPECT_EQ(item("CaptureLine").text(), QString::fromUtf8(capture));
        EXPECT_EQ(item("PublishLine").text(), QString::fromUtf8(publish));
        QString shown;
        onDialog = [&](QDialog& d) { shown = d.windowTitle(); };
        item("PublishLine").trigger();
        EXPECT_EQ(shown, QString::fromUtf8(title));
        EXPECT_EQ(sharing().publisher(), nullptr) << "cancelled";
    }
}

}  // namespace
}  // namespace cellwatch
