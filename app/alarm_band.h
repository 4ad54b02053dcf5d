// The window's alarms: the rules watch the live recording; a raised alarm
// shows as a red band at the top of the chart with an Acknowledge button,
// plays a short sound every 10 s until acknowledged (the system beep where
// there is no audio output; View > Alarms > Sound turns it off), pops up a
// desktop notification (the freedesktop notification service, else the tray
// icon's message), posts one status message and is written to the journal
// as "# alarm KIND: TEXT" after the row that raised it.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "alarms/recording_alarms.h"
#include "chart/window_paint_hook.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSoundEffect;
class QSystemTrayIcon;

namespace cellwatch {

class DataTableModel;
class Recording;
class SerialLink;
class SettingsStore;

class AlarmBand final : public QFrame {
    Q_OBJECT
public:
    explicit AlarmBand(QWidget* parent);
    void showAlarm(const QString& text, bool chinese);
    QLabel* label() const { return label_; }
    QPushButton* acknowledgeButton() const { return button_; }

signals:
    void acknowledged();

private:
    QLabel* label_;
    QPushButton* button_;
};

class AlarmWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr int kRepeatMs = 10000;
    // How often the time rules (finished 10 s, stalled 30 s) and the link's
    // state are looked at: they count seconds, and a clock any faster would
    // wake a program that receives eight messages a second four more times.
    static constexpr int kClockMs = 1000;

    struct Parts {
        SettingsStore& settings;
        Recording& recording;
        const RowStore& table;
        const TickClock& ticks;
        std::function<void(const QString&)> writeJournal;  // one comment line
        std::function<bool()> linkOpen;
        QWidget* chart;  // the band lies over its top
        std::function<void(const QString&)> postStatus;
        std::function<bool()> chinese;
    };

    AlarmWatch(Parts parts, QObject* parent = nullptr);
    ~AlarmWatch() override;

    // In front of the recording, for the decoder.
    DecoderHost& decoderHost() { return alarms_.decoderHost(); }
    // Hooks onto the recording's events and the link; once the window's own
    // handlers are set.
    void listen(Recording& recording, SerialLink& link);
    // Adds Alarms (Sound, Alarms…) to a menu.
    void addMenu(QMenu* view);

    AlarmBand& band() const { return *band_; }
    bool sounding() const { return repeat_.isActive(); }
    int soundsPlayed() const { return soundsPlayed_; }
    void acknowledge();
    void setSoundOn(bool on);
    bool soundOn() const { return soundOn_; }
    // Shows the rules' dialog; applies and keeps them when accepted.
    void editRules();
    alarms::AlarmMonitor& monitor() { return alarms_.monitor(); }
    // The clock that looks at the time rules and the link every kClockMs,
    // for tests to hold and step (the window builds the watch itself).
    SteppableTimer& clock() { return clock_; }
    // How notifications go out (tests replace it); the default tries the
    // desktop's notification service, then the tray icon.
    std::function<void(const QString& title, const QString& text)> notify;

signals:
    void raised(const QString& kind, const QString& text);

private:
    void onAlarm(const alarms::Alarm& alarm);
    void playSound();
    void notifyDesktop(const QString& title, const QString& text);
    void notifyTray(const QString& title, const QString& text);
    void followLink();
    void onClock();

    Parts parts_;
    alarms::RecordingAlarms alarms_;
    QPointer<AlarmBand> band_;
    QTimer repeat_;
    SteppableTimer clock_{[this] { onClock(); }, false};
    bool soundOn_ = true;
    bool linkOpen_ = false;
    int soundsPlayed_ = 0;
    QSoundEffect* sound_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* soundAction_ = nullptr;
    QAction* rulesAction_ = nullptr;
};

}  // namespace cellwatch
