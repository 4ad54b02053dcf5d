// A charger on a broker watched in a window of its own: the window's live
// session watches it (session/watch_source.h), playing the charger's start
// and raw records on the publisher's clocks, so it shows what a window on
// the charger's own port shows, runs the alarms on its own clock and keeps
// a journal. The charger going offline or the broker going away is the link
// lost (the `lost` alarm, its band and notification); Disconnect stops
// watching. The window's title and notifications name the charger, and it
// opens beside the window it was opened from rather than over it. With a key
// file in the settings (app/network_watch_dialog.h) it takes only messages
// signed with the charger's key.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "app/main_window.h"
#include "net/mqtt_client.h"
#include "session/watch_source.h"

namespace cellwatch {

class NetworkWatch final : public QObject {
    Q_OBJECT
public:
    // Throws net::AddressError or net::MqttError (one line) when the
    // address or the connection's set-up is bad. `hooks` are passed to the
    // window (its clocks are the watch's own).
    NetworkWatch(Settings& settings, const QString& address, const QString& password,
                 WindowHooks hooks = {});
    ~NetworkWatch() override;

    MainWindow& window() { return *window_; }
    // The charger's start was played and the window records it.
    bool watching() const {
        return window_->session().state() == session::LinkState::Connected && begun_;
    }
    // The link was lost (offline, or the broker went away).
    bool lost() const { return lost_; }
    const net::BrokerAddress& address() const { return address_; }

    // Opens a watch in a window that goes when it is closed, asking for the
    // password when the address names a user and none is given. A failure
    // is shown in a message box over `parent`; nothing is returned then.
    static NetworkWatch* open(Settings& settings, const QString& address, QWidget* parent = nullptr,
                              const std::optional<QString>& password = std::nullopt);
    // The same, throwing what fails (for a command's failure handler);
    // nothing when the password prompt is cancelled.
    static NetworkWatch* openOrThrow(Settings& settings, const QString& address,
                                     QWidget* parent = nullptr,
                                     const std::optional<QString>& password = std::nullopt);

    // Moves `window` where it covers as little of `other` as the screen allows.
    static void placeBeside(QWidget& window, const QWidget& other);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void started();
    void loseLink(const QString& why);

    net::BrokerAddress address_;
    std::unique_ptr<MainWindow> window_;
    bool lost_ = false;
    bool toldLoss_ = false;  // why the link was lost was said
    bool begun_ = false;
    bool goesOnClose_ = false;  // closing the window ends the watch
    QString said_;              // the English line of the notice just shown
};

}  // namespace cellwatch
