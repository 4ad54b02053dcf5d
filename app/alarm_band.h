// The window's alarms: the live session's rules watch the recording (and
// write each raised alarm to the journal); here a raised alarm shows as a
// red band at the top of the chart with an Acknowledge button, plays a short
// sound every 10 s until acknowledged (the system beep where there is no
// audio output; View > Alarms > Sound turns it off), pops up a desktop
// notification (the freedesktop notification service, else the tray icon's
// message) and posts one status message.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "alarms/recording_alarms.h"
#include "chart/window_paint_hook.h"
#include "readout/pack_file.h"
#include "session/live_session.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSoundEffect;
class QSystemTrayIcon;

namespace cellwatch {

class Settings;

class AlarmBand final : public QFrame {
    Q_OBJECT
public:
    static constexpr qsizetype kShownAlarms = 5;

    explicit AlarmBand(QWidget* parent);
    // Adds an alarm to the band's list and shows the band. Its text is
    // shown in the language installed (and again in the next one), after
    // the channel's number when `channel` is one (a charger of several
    // channels; 0 for none).
    void showAlarm(const alarms::Alarm& alarm, int channel = 0);
    // Acknowledged: the list is emptied and the band hidden.
    void clearAlarms();
    // The texts of the alarms listed, as shown.
    QStringList raisedAlarms() const;
    // When each listed alarm was raised, the time of day as shown beside
    // it ("14:05:09", as the phone page shows it); "" for one not stamped.
    QStringList raisedTimes() const;
    // The moment of each listed alarm as raised (ms since 1970 UTC).
    std::vector<std::int64_t> raisedAt() const;
    QLabel* label() const { return label_; }
    // The times beside the texts, one a line.
    QLabel* timeLabel() const { return times_; }
    QPushButton* acknowledgeButton() const { return button_; }

signals:
    void acknowledged();

protected:
    // A switch of language: the list and the button in the new one.
    void changeEvent(QEvent* event) override;

private:
    QLabel* times_;
    QLabel* label_;
    QPushButton* button_;
    void refresh();

    std::vector<alarms::Alarm> raised_;
    std::vector<int> channels_;  // each alarm's channel, 0 for none
};

class AlarmWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr int kRepeatMs = 10000;

    struct Parts {
        Settings& settings;
        session::LiveSession& session;
        QWidget* chart;  // the band lies over its top
        std::function<void(const QString&)> postStatus;
        // Names the charger in notifications ("bench1: Cell too high");
        // empty for the window's own.
        std::function<QString()> charger = [] { return QString(); };
    };

    AlarmWatch(Parts parts, QObject* parent = nullptr);
    ~AlarmWatch() override;

    // The pack of the recordings: its cell limits (its own, or its
    // chemistry's) take the place of the settings' for its battery type;
    // no pack (an empty one) leaves the settings' limits.
    void setPack(const PackInfo& pack);
    // Each channel's pack (1 ...), for a charger of several: its limits
    // hold for that channel alone (channel 1's as setPack's). Applied now
    // and whenever recordings begin or the channels change.
    void setChannelPacks(std::function<PackInfo(int channel)> packOf);

    // Carries out View > Alarms > Sound and View > Alarms… (the tool bar
    // control's actions, handed over).
    void useCommands(QAction* sound, QAction* rules);

    AlarmBand& band() const { return *band_; }
    bool sounding() const { return repeat_.isActive(); }
    int soundsPlayed() const { return soundsPlayed_; }
    void acknowledge();
    void setSoundOn(bool on);
    bool soundOn() const { return soundOn_; }
    // Shows the rules' dialog; applies and keeps them when accepted.
    void editRules();
    alarms::AlarmMonitor& monitor() { return parts_.session.alarmMonitor(); }
    // The session's clock that looks at the time rules, for tests to hold
    // and step (the window builds the watch itself).
    SteppableTimer& clock() { return parts_.session.alarmClock(); }
    // How notifications go out (tests replace it); the default tries the
    // desktop's notification service, then the tray icon.
    std::function<void(const QString& title, const QString& text)> notify;

signals:
    void raised(const QString& kind, const QString& text);
    // A channel's alarm (1 ...) of a charger of several, raised; and every
    // alarm acknowledged.
    void channelRaised(int channel);
    void acknowledgedAll();

private:
    void applySettings();
    PackInfo pack_;
    std::function<PackInfo(int)> packOf_;
    void onAlarm(int channel, const alarms::Alarm& alarm);
    void playSound();
    void notifyDesktop(const QString& title, const QString& text);
    void notifyTray(const QString& title, const QString& text);

    Parts parts_;
    QPointer<AlarmBand> band_;
    QTimer repeat_;
    bool soundOn_ = true;
    int soundsPlayed_ = 0;
    QSoundEffect* sound_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QAction* soundAction_ = nullptr;
};

}  // namespace cellwatch
