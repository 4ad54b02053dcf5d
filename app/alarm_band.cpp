#include "app/alarm_band.h"

#include <algorithm>

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QSystemTrayIcon>

#ifdef CELLWATCH_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif
#ifdef CELLWATCH_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#endif

#include "alarms/chemistry_limits.h"
#include "app/alarm_settings_dialog.h"
#include "app/alarm_texts.h"
#include "app/captions.h"
#include "app/settings.h"
#include "readout/recording.h"
#include "serial/serial_link.h"

namespace cellwatch {
namespace {

constexpr Phrase kAcknowledge = {QT_TRANSLATE_NOOP("Captions", "Acknowledge")};
constexpr Phrase kEarlierAlarms = {QT_TRANSLATE_NOOP("Captions", "and %1 earlier alarms")};
constexpr Phrase kChannelPrefix = {QT_TRANSLATE_NOOP("Captions", "channel %1: ")};
constexpr Phrase kAlarmTitle = {QT_TRANSLATE_NOOP("Captions", "Alarm")};
constexpr int kBandHeight = 30;

// The band's height at `width`: every line of its alarms, wrapped, shown.
int bandHeight(const QWidget& band, int width) {
    const int needed =
        band.hasHeightForWidth() ? band.heightForWidth(width) : band.sizeHint().height();
    return std::max(kBandHeight, needed);
}

// Keeps the band along the top of the chart as it is resized.
class TopFollower final : public QObject {
public:
    TopFollower(QWidget* band, QWidget* host) : QObject(band), band_(band) {
        host->installEventFilter(this);
        place(host->width());
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            place(static_cast<QResizeEvent*>(event)->size().width());
        }
        return false;
    }

private:
    void place(int width) { band_->setGeometry(0, 0, width, bandHeight(*band_, width)); }
    QWidget* band_;
};

}  // namespace

AlarmBand::AlarmBand(QWidget* parent)
    : QFrame(parent),
      times_(new QLabel(this)),
      label_(new QLabel(this)),
      button_(new QPushButton(this)) {
    times_->setObjectName(QStringLiteral("AlarmTimes"));
    times_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setWordWrap(true);  // a long alarm takes more lines, never cut at the side
    setObjectName(QStringLiteral("AlarmBand"));
    setAutoFillBackground(true);
    setStyleSheet(
        QStringLiteral("#AlarmBand { background: #c62828; } #AlarmBand QLabel { color: "
                       "white; font-weight: bold; }"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 4, 2);
    layout->addWidget(times_);
    layout->addWidget(label_, 1);
    layout->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, [this] {
        clearAlarms();
        emit acknowledged();
    });
    hide();
}

// Every alarm raised since the last acknowledgement, one a line, the newest
// last; beyond kShownAlarms the earlier ones are counted.
void AlarmBand::showAlarm(const alarms::Alarm& alarm, int channel) {
    raised_.push_back(alarm);
    channels_.push_back(channel);
    refresh();
    show();
    raise();
}

QStringList AlarmBand::raisedAlarms() const {
    QStringList texts;
    for (std::size_t i = 0; i < raised_.size(); ++i) {
        const QString text = alarmText(raised_[i]);
        texts << (channels_[i] > 0 ? kChannelPrefix.text().arg(channels_[i]) + text : text);
    }
    return texts;
}

QStringList AlarmBand::raisedTimes() const {
    QStringList times;
    for (const alarms::Alarm& alarm : raised_) {
        times << (alarm.raisedMs == 0 ? QString()
                                      : QDateTime::fromMSecsSinceEpoch(alarm.raisedMs)
                                            .toLocalTime()
                                            .toString(QStringLiteral("HH:mm:ss")));
    }
    return times;
}

std::vector<std::int64_t> AlarmBand::raisedAt() const {
    std::vector<std::int64_t> at;
    for (const alarms::Alarm& alarm : raised_) {
        at.push_back(alarm.raisedMs);
    }
    return at;
}

void AlarmBand::refresh() {
    button_->setText(kAcknowledge.text());
    const QStringList texts = raisedAlarms();
    const qsizetype first = std::max<qsizetype>(0, texts.size() - kShownAlarms);
    QStringList lines = texts.mid(first);
    QStringList times = raisedTimes().mid(first);
    const qsizetype earlier = texts.size() - lines.size();
    if (earlier > 0) {
        lines.prepend(kEarlierAlarms.text().arg(earlier));
        times.prepend(QString());
    }
    label_->setText(lines.join(u'\n'));
    times_->setText(times.join(u'\n'));
    times_->setVisible(
        std::any_of(times.begin(), times.end(), [](const QString& t) { return !t.isEmpty(); }));
    setGeometry(0, 0, width(), bandHeight(*this, width()));
}

void AlarmBand::clearAlarms() {
    raised_.clear();
    channels_.clear();
    hide();
}

void AlarmBand::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        refresh();
    }
    QFrame::changeEvent(event);
}

AlarmWatch::AlarmWatch(Parts parts, QObject* parent) : QObject(parent), parts_(std::move(parts)) {
    applySettings();
    soundOn_ = readAlarmSound(parts_.settings);
    band_ = new AlarmBand(parts_.chart);
    new TopFollower(band_, parts_.chart);
    connect(band_, &AlarmBand::acknowledged, this, &AlarmWatch::acknowledge);
    repeat_.setInterval(kRepeatMs);
    connect(&repeat_, &QTimer::timeout, this, &AlarmWatch::playSound);
    connect(&parts_.session, &session::LiveSession::channelAlarmRaised, this, &AlarmWatch::onAlarm);
    notify = [this](const QString& title, const QString& text) { notifyDesktop(title, text); };
}

AlarmWatch::~AlarmWatch() = default;

void AlarmWatch::onAlarm(int channel, const alarms::Alarm& alarm) {
    const bool lost = alarm.kind == alarms::Kind::Lost;
    if (lost && channel != 1) {
        return;  // the link is every channel's: told once
    }
    // A charger of several channels names the channel of each alarm.
    const int named = parts_.session.channelCount() > 1 && !lost ? channel : 0;
    const QString kind = QString::fromUtf8(alarms::kindName(alarm.kind));
    const QString text =
        (named > 0 ? kChannelPrefix.text().arg(named) : QString()) + alarmText(alarm);
    band_->showAlarm(alarm, named);
    if (named > 0) {
        emit channelRaised(named);
    }
    const QString charger = parts_.charger();
    const QString caption = alarmKindCaption(alarm.kind);
    const QString title = charger.isEmpty() ? kAlarmTitle.text() + QStringLiteral(": ") + caption
                                            : charger + QStringLiteral(": ") + caption;
    if (!lost) {
        parts_.postStatus(title + QStringLiteral(" - ") + text);  // the window tells a loss
    }
    if (notify) {
        notify(title, text);
    }
    if (soundOn_) {
        playSound();
        repeat_.start();
    }
    emit raised(kind, text);
}

void AlarmWatch::acknowledge() {
    repeat_.stop();
#ifdef CELLWATCH_HAVE_MULTIMEDIA
    if (sound_ != nullptr) {
        sound_->stop();
    }
#endif
    band_->clearAlarms();
    emit acknowledgedAll();
}

void AlarmWatch::setSoundOn(bool on) {
    soundOn_ = on;
    writeAlarmSound(parts_.settings, on);
    if (!on) {
        repeat_.stop();
    }
    if (soundAction_ != nullptr) {
        soundAction_->setChecked(on);
    }
}

void AlarmWatch::playSound() {
    ++soundsPlayed_;
#ifdef CELLWATCH_HAVE_MULTIMEDIA
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        if (sound_ == nullptr) {
            sound_ = new QSoundEffect(this);
            sound_->setSource(QUrl(QStringLiteral("qrc:/sounds/alarm.wav")));
        }
        sound_->play();
        return;
    }
#endif
    QApplication::beep();  // no audio output: the system's beep
}

void AlarmWatch::notifyDesktop(const QString& title, const QString& text) {
#ifdef CELLWATCH_HAVE_DBUS
    // Asked without waiting: a desktop without the service answers with an
    // error, and the tray icon tells instead.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        call << QStringLiteral("Cellwatch") << 0U << QStringLiteral("dialog-warning") << title
             << text << QStringList() << QVariantMap() << -1;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, title, text] {
            if (watcher->isError()) {
                notifyTray(title, text);
            }
            watcher->deleteLater();
        });
        return;
    }
#endif
    notifyTray(title, text);
}

void AlarmWatch::notifyTray(const QString& title, const QString& text) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;  // the band and the status message still tell
    }
    if (tray_ == nullptr) {
        tray_ = new QSystemTrayIcon(QApplication::windowIcon(), this);
        tray_->show();
    }
    tray_->showMessage(title, text, QSystemTrayIcon::Warning);
}

void AlarmWatch::useCommands(QAction* sound, QAction* rules) {
    soundAction_ = sound;
    soundAction_->setChecked(soundOn_);
    connect(soundAction_, &QAction::triggered, this, [this](bool on) { setSoundOn(on); });
    connect(rules, &QAction::triggered, this, &AlarmWatch::editRules);
}

void AlarmWatch::editRules() {
    // The user's own settings; a pack's limits stay the pack's.
    AlarmSettingsDialog dialog(readAlarmSettings(parts_.settings), band_->window());
    if (dialog.exec() == QDialog::Accepted) {
        writeAlarmSettings(parts_.settings, dialog.settings());
        applySettings();
    }
}

void AlarmWatch::setPack(const PackInfo& pack) {
    pack_ = pack;
    applySettings();
}

void AlarmWatch::setChannelPacks(std::function<PackInfo(int)> packOf) {
    const bool first = !packOf_;
    packOf_ = std::move(packOf);
    if (first) {
        // A channel's recording begins with channel 1's settings.
        connect(&parts_.session, &session::LiveSession::recordingBegun, this,
                &AlarmWatch::applySettings);
        connect(&parts_.session, &session::LiveSession::channelsChanged, this,
                &AlarmWatch::applySettings);
    }
    applySettings();
}

void AlarmWatch::applySettings() {
    const alarms::AlarmSettings own = readAlarmSettings(parts_.settings);
    parts_.session.setAlarmSettings(alarms::settingsForPack(own, pack_));
    if (packOf_) {
        for (int channel = 2; channel <= parts_.session.channelCount(); ++channel) {
            parts_.session.alarmMonitor(channel).setSettings(
                alarms::settingsForPack(own, packOf_(channel)));
        }
    }
}

}  // namespace cellwatch
