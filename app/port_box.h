// The port box of the tool bar ("com") and what it remembers: the serial
// ports it lists (rescanned by the window's timer and when clicked), the
// adapter a connection was opened on, and the wait for that same adapter to
// come back after it vanished (View > "Reconnect to the same adapter", kept
// in the settings, on unless turned off).
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

#include "serial/port_scan.h"

namespace cellwatch {

class Settings;
class Tool;

class PortBox final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Tool& box;
        const PortLister& ports;
        Settings& settings;
        std::function<void(const QString&)> tell;
        // Whether the window may connect on its own now (nothing else is
        // connected), and whether it is busy with a dialog, an export or a
        // load (the wait then goes on and asks again later).
        std::function<bool()> linkFree;
        std::function<bool()> busy;
    };
    static constexpr int kPollMs = 1000;

    explicit PortBox(Parts parts, QObject* parent = nullptr);

    // Lists the ports again; a USB adapter's entry becomes the box's text.
    // Nothing here is ever reported: a scan that fails changes nothing.
    void scan();
    QString text() const;
    void setText(const QString& text);

    // The adapter behind the box's text, remembered as the one connected.
    void remember(const QString& portText);
    // The connected adapter vanished: waits for it when reconnecting is on
    // and it is known, saying so; returns whether it waits.
    bool awaitAdapter();
    // Stops waiting (the user's own choice of port, reconnecting turned
    // off); waitAbandoned() follows when it was waiting.
    void stopAwaiting();
    // The awaited adapter came back and the recording goes on.
    void reconnected(const QString& entry);
    const std::optional<PortInfo>& awaitedAdapter() const { return awaited_; }
    QTimer& pollTimer() { return poll_; }

    bool reconnectEnabled() const;
    void setReconnectEnabled(bool on);

signals:
    // The awaited adapter is there again, as `entry` (now the box's text).
    void adapterBack(const QString& entry);
    void waitAbandoned();

private:
    void poll();

    Parts parts_;
    std::optional<PortInfo> connected_;
    std::optional<PortInfo> awaited_;
    QTimer poll_;
};

}  // namespace cellwatch
