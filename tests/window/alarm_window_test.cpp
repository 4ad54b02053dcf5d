// The window's alarms with the real window, line and journal: a cell that
// drifts high raises the red band, the notification, the sound and one
// status message, and the journal holds the alarm line, which Open reads
// back; Acknowledge stops the sound.
#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <vector>

#include "app/alarm_band.h"
#include "app/alarm_settings_dialog.h"
#include "app/language.h"
#include "readout/recording_file.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class AlarmWindowTest : public WindowTest {
protected:
    // The alarm clock's next `seconds` looks, once it is held.
    void tickAlarmClock(int seconds) {
        SteppableTimer& clock = w->alarms().clock();
        ASSERT_TRUE(clock.held());
        EXPECT_EQ(clock.interval(), session::LiveSession::kAlarmClockMs);
        for (int s = 0; s < seconds; ++s) {
            ASSERT_TRUE(clock.step());
            ASSERT_TRUE(test::settle());
        }
    }
};

// The band lists every alarm not yet acknowledged, the newest last, and
// grows to show them; beyond five the earlier ones are counted. A switch of
// language shows the listed alarms in the new one.
TEST(AlarmBandList, ListsEveryUnacknowledgedAlarmAndCountsTheEarlierOnes) {
    QWidget host;
    host.resize(600, 300);
    AlarmBand band(&host);
    const auto cellHigh = [](int n) {
        return alarms::Alarm{alarms::Kind::CellHigh,
                             "Cell " + std::to_string(n) + " at 4.26 V (limit 4.25 V)"};
    };
    band.showAlarm(cellHigh(1));
    const int oneLine = band.height();
    for (int k = 2; k <= 7; ++k) {
        band.showAlarm(cellHigh(k));
    }
    EXPECT_EQ(band.label()->text(),
              QStringLiteral("and 2 earlier alarms\nCell 3 at 4.26 V (limit 4.25 V)\n"
                             "Cell 4 at 4.26 V (limit 4.25 V)\nCell 5 at 4.26 V (limit 4.25 V)\n"
                             "Cell 6 at 4.26 V (limit 4.25 V)\nCell 7 at 4.26 V (limit 4.25 V)"));
    EXPECT_GT(band.height(), oneLine);
    EXPECT_GE(band.height(), 6 * band.label()->fontMetrics().height());
    EXPECT_EQ(band.raisedAlarms().size(), 7);
    ASSERT_TRUE(installLanguage(Language::Chinese));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(band.label()->text().split(u'\n').last(),
              QString::fromUtf8("电芯 7 为 4.26 V（上限 4.25 V）"));
    EXPECT_TRUE(band.label()->text().startsWith(QString::fromUtf8("及更早的 2 个警报")));
    installLanguage(Language::English);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(band.label()->text().split(u'\n').last(), "Cell 7 at 4.26 V (limit 4.25 V)");
    band.acknowledgeButton()->click();
    EXPECT_TRUE(band.raisedAlarms().isEmpty());
    band.showAlarm(cellHigh(8));
    EXPECT_EQ(band.label()->text(), QStringLiteral("Cell 8 at 4.26 V (limit 4.25 V)"));
}

// An alarm longer than the band is wide (a lost link's reason, in German,
// at 150 %) wraps onto lines the band grows to show, nothing cut at the side.
TEST(AlarmBandList, ALongAlarmWrapsAndTheBandShowsItWhole) {
    QWidget host;
    host.resize(420, 300);
    AlarmBand band(&host);
    band.setGeometry(0, 0, 420, 30);
    band.showAlarm(alarms::Alarm{alarms::Kind::Lost,
                                 "Link lost during the charge, last row at 0:04:01: the charger "
                                 "stopped answering, nothing from it for 10 s"});
    const QLabel& label = *band.label();
    const QRect needed = label.fontMetrics().boundingRect(QRect(0, 0, label.width(), 10000),
                                                          Qt::TextWordWrap, label.text());
    EXPECT_TRUE(label.wordWrap());
    EXPECT_LE(needed.height(), label.height());
    EXPECT_LE(label.geometry().bottom(), band.height());
}

// A LiFe pack's cells are full at 3.60 V: its cell-high limit is 3.70 V, not
// the lithium setting's 4.25 V, while the pack is chosen; none chosen, the
// settings' limit again.
TEST_F(AlarmWindowTest, TheChosenPacksChemistrySetsTheCellLimits) {
    open();
    PackInfo life{QStringLiteral("Glider 4S LiFe"), QString()};
    life.chemistry = PackChemistry::LiFe;
    life.cells = 4;
    w->alarms().setPack(life);
    EXPECT_EQ(w->alarms().monitor().settings()[alarms::Kind::CellHigh].limit,
              Decimal::fromHundredths(370));
    w->alarms().notify = nullptr;
    connectTo(slave());
    advance(1000);
    emu::ChargerReading r = charging(1);
    for (Decimal& cell : r.cells) {
        if (!cell.isZero()) {
            cell = Decimal::fromHundredths(360);
        }
    }
    r.cells[0] = Decimal::fromHundredths(375);
    record(r);
    EXPECT_TRUE(w->alarms().band().isVisible());
    EXPECT_EQ(w->alarms().band().label()->text(),
              QStringLiteral("Cell 1 at 3.75 V (limit 3.70 V)"));

    w->alarms().setPack(PackInfo{});
    EXPECT_EQ(w->alarms().monitor().settings()[alarms::Kind::CellHigh].limit,
              Decimal::fromHundredths(425));
}

TEST_F(AlarmWindowTest, DriftingCellRaisesTheBandOnceAndTheJournalKeepsIt) {
    openConnected();
    QStringList notes;
    w->alarms().notify = [&](const QString& title, const QString& text) {
        notes << title + u'|' + text;
    };
    AlarmBand& band = w->alarms().band();
    EXPECT_FALSE(band.isVisible());
    // Wavering about the limit is one episode; 30 s back past the margin
    // (4.23 V) re-arms the rule, and 4.26 V is a second one.
    std::vector<int> hundredths = {424, 425, 426, 427, 425, 426};
    hundredths.insert(hundredths.end(), 31, 423);
    hundredths.push_back(426);
    for (int k = 0; k < static_cast<int>(hundredths.size()); ++k) {
        advance(1000);
        emu::ChargerReading r = charging(k);
        r.cells[1] = Decimal::fromHundredths(hundredths[static_cast<std::size_t>(k)]);
        record(r);
        if (k == 2) {
            EXPECT_TRUE(band.isVisible());
            EXPECT_EQ(band.label()->text(), QStringLiteral("Cell 2 at 4.26 V (limit 4.25 V)"));
            EXPECT_TRUE(w->alarms().sounding());
            EXPECT_EQ(w->alarms().soundsPlayed(), 1);
            band.acknowledgeButton()->click();
            EXPECT_FALSE(band.isVisible());
            EXPECT_FALSE(w->alarms().sounding());
        }
    }
    // The band's button follows a language switch while it shows.
    click("Lang1", "CHT");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(band.acknowledgeButton()->text(), QStringLiteral("确认"));
    click("Lang1", "ENG");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(band.acknowledgeButton()->text(), QStringLiteral("Acknowledge"));
    EXPECT_EQ(notes, (QStringList{
                         QStringLiteral("Alarm: Cell too high|Cell 2 at 4.26 V (limit 4.25 V)"),
                         QStringLiteral("Alarm: Cell too high|Cell 2 at 4.26 V (limit 4.25 V)")}));
    EXPECT_TRUE(band.isVisible());
    disconnect();

    RecordingFile file;
    ASSERT_TRUE(file.read(w->journal().path()));
    ASSERT_EQ(file.alarms().size(), 2u);
    EXPECT_EQ(file.alarms()[0].kind, QStringLiteral("cell-high"));
    EXPECT_EQ(file.alarms()[0].atSeconds, 3);
    EXPECT_EQ(file.alarms()[1].afterRows, 38u);
    // Open reads the journal with its alarm lines as a recording.
    w->openRecording(w->journal().path());
    EXPECT_TRUE(failures.isEmpty()) << failureText();
    EXPECT_EQ(rows(), 38);
}

// View > Alarms: the sound's switch and the rules' dialog, kept in the
// settings and heeded at once; captions in the interface language.
TEST_F(AlarmWindowTest, RulesAndSoundAreKeptInTheSettings) {
    open(QStringLiteral("CHT"));
    QAction* sound = w->toolBar().tool(Command::AlarmSound)->action();
    QAction* rules = w->toolBar().tool(Command::AlarmRules)->action();
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(rules, nullptr);
    EXPECT_EQ(rules->text(), QString::fromUtf8("警报设置…"));
    EXPECT_TRUE(sound->isChecked());
    sound->trigger();
    EXPECT_FALSE(w->alarms().soundOn());

    AlarmSettingsDialog dialog(w->alarms().monitor().settings());
    // The dialog states the re-arming margins and hold time, in the window's language.
    auto* note = dialog.findChild<QLabel*>(QStringLiteral("rearmNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(),
              QString::fromUtf8("警报触发后，须待数值回到限值以内超过 0.02 V（单节电压、"
                                "压差）、0.20 V（输入电压）或 2 °C（温度）并保持 30 "
                                "秒，才会再次触发。"));
    dialog.enabledBox(alarms::Kind::InputLow)->setChecked(false);
    dialog.limitBox(alarms::Kind::CellHigh, 1)->setValue(2.5);
    writeAlarmSettings(*settings, dialog.settings());

    w.reset();
    open();
    EXPECT_FALSE(w->alarms().soundOn());
    const alarms::AlarmSettings kept = w->alarms().monitor().settings();
    EXPECT_FALSE(kept[alarms::Kind::InputLow].enabled);
    EXPECT_EQ(kept[alarms::Kind::CellHigh].second, Decimal::fromHundredths(250));
    EXPECT_EQ(kept[alarms::Kind::CellHigh].limit, Decimal::fromHundredths(425));

    // With the sound off an alarm still shows, without sounding.
    connectTo(slave());
    advance(1000);
    emu::ChargerReading r = charging(1);
    r.inputVoltage = Decimal::fromHundredths(1000);  // input-low is off
    r.cells[0] = Decimal::fromHundredths(430);
    w->alarms().notify = nullptr;
    int raised = 0;
    QObject::connect(&w->alarms(), &AlarmWatch::raised, [&raised] { ++raised; });
    record(r);
    EXPECT_TRUE(w->alarms().band().isVisible());
    EXPECT_EQ(w->alarms().band().label()->text(),
              QStringLiteral("Cell 1 at 4.30 V (limit 4.25 V)"));
    EXPECT_FALSE(w->alarms().sounding());

    // Connecting again starts a new recording: the cell still high is a new
    // episode in it.
    advance(1000);
    record(r);
    EXPECT_EQ(raised, 1);
    disconnect();
    connectTo(slave());
    advance(1000);
    record(r);
    EXPECT_EQ(raised, 2);
}

// A pulled adapter raises the `lost` alarm, and the recording's journal
// keeps it as its last line, whether the window waits for the adapter (the
// journal stays open) or not.
TEST_F(AlarmWindowTest, APulledAdapterLeavesTheLostAlarmInTheJournal) {
    for (const bool waits : {false, true}) {
        SCOPED_TRACE(waits ? "waiting for the adapter" : "not waiting");
        ports.list.clear();
        pty = std::make_unique<emu::PseudoTerminal>();
        open();
        w->alarms().notify = nullptr;
        const PortInfo mine = adapter("ttyUSB7", "A1");
        if (waits) {
            plugIn(mine, *pty);
        }
        connectTo(waits ? portEntry(mine) : slave());
        ASSERT_TRUE(failures.isEmpty()) << failureText();
        recordRows(1, 3);
        const QString journal = w->journal().path();
        unplug(pty);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w->linkOpen(); }, kWaitMs));
        EXPECT_EQ(w->session().state(),
                  waits ? session::LinkState::WaitingForAdapter : session::LinkState::Disconnected);
        EXPECT_TRUE(w->alarms().band().isVisible());

        RecordingFile file;
        ASSERT_TRUE(file.read(journal)) << journal.toStdString();
        ASSERT_EQ(file.alarms().size(), 1u);
        EXPECT_EQ(file.alarms()[0].kind, QStringLiteral("lost"));
        EXPECT_EQ(file.alarms()[0].afterRows, 3u);
    }
}

// A new recording after the link was lost, by Connect or by the adapter
// coming back after a long pause, watches for a stall afresh: the time
// without the link is no stall, and a stall names the new recording's row.
TEST_F(AlarmWindowTest, ANewRecordingAfterALostLinkWatchesForAStallAfresh) {
    for (const bool byHand : {true, false}) {
        SCOPED_TRACE(byHand ? "Connect by hand" : "the adapter reconnected");
        ports.list.clear();
        pty = std::make_unique<emu::PseudoTerminal>();
        open();
        w->alarms().clock().hold();  // it looks when the test says a second has passed
        w->alarms().notify = nullptr;
        w->reconnectTimer().setInterval(20);
        QStringList kinds;
        QString stalled;
        QObject::connect(&w->alarms(), &AlarmWatch::raised,
                         [&](const QString& kind, const QString& text) {
                             kinds << kind;
                             if (kind == QLatin1String("stalled")) {
                                 stalled = text;
                             }
                         });
        const PortInfo mine = adapter("ttyUSB7", "A1");
        if (!byHand) {
            plugIn(mine, *pty);
        }
        connectTo(byHand ? slave() : portEntry(mine));
        ASSERT_TRUE(failures.isEmpty()) << failureText();
        recordRows(1, 3);
        unplug(pty);

        advance(40000);
        pty = std::make_unique<emu::PseudoTerminal>();
        if (byHand) {
            connectTo(slave());
        } else {
            plugIn(mine, *pty);
            ASSERT_TRUE(QTest::qWaitFor([&] { return w->linkOpen(); }, kWaitMs));
        }
        tickAlarmClock(3);  // the alarm clock looks meanwhile
        if (!byHand) {
            // The first sample after the pause clears the recording.
            advance(1000);
            write(message(charging(4)));
            ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 0; }, kWaitMs));
        }
        recordRows(1, 2);
        tickAlarmClock(2);
        EXPECT_EQ(kinds, QStringList{QStringLiteral("lost")});

        // Silence in the new recording is a stall, told by its own last row.
        advance(30000);
        tickAlarmClock(1);
        ASSERT_EQ(kinds.size(), 2);
        EXPECT_EQ(kinds.value(1), QStringLiteral("stalled"));
        EXPECT_EQ(stalled, QStringLiteral("No new row for 30 s while the charge was running "
                                          "(last row at 0:00:02)"));
        // The band lists both, for neither was acknowledged: the newest last.
        const QStringList lines = w->alarms().band().label()->text().split(u'\n');
        ASSERT_EQ(lines.size(), 2);
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Link lost"))) << lines[0].toStdString();
        EXPECT_EQ(lines[1], stalled);
        w->alarms().band().acknowledgeButton()->click();
        EXPECT_TRUE(w->alarms().band().raisedAlarms().isEmpty());
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
