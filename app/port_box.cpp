#include "app/port_box.h"

#include "app/captions.h"
#include "app/settings.h"
#include "app/toolbar.h"

namespace cellwatch {

PortBox::PortBox(Parts parts, QObject* parent) : QObject(parent), parts_(std::move(parts)) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &PortBox::poll);
}

void PortBox::scan() {
    try {
        const std::vector<PortInfo> found = parts_.ports.ports();
        parts_.box.clearItems();
        for (const PortInfo& port : found) {
            const QString entry = portEntry(port);
            if (entry.startsWith(QLatin1String("USB_"))) {
                parts_.box.setText(entry);
            }
            parts_.box.addItem(entry);
        }
    } catch (...) {
    }
}

QString PortBox::text() const {
    return parts_.box.text();
}

void PortBox::setText(const QString& text) {
    parts_.box.setText(text);
}

void PortBox::remember(const QString& portText) {
    connected_.reset();
    const QString device = portDevice(portText);
    for (const PortInfo& p : parts_.ports.ports()) {
        if (portEntry(p) == portText.trimmed() || p.deviceId == device) {
            connected_ = p;
            return;
        }
    }
}

bool PortBox::awaitAdapter() {
    if (!connected_ || !reconnectEnabled()) {
        return false;
    }
    awaited_ = connected_;
    poll_.start();
    parts_.tell(kLinkLost.text() + QStringLiteral("; ") + kAwaitingAdapter.text() +
                QStringLiteral(" (") + portEntry(*awaited_) + u')');
    return true;
}

void PortBox::stopAwaiting() {
    const bool wasWaiting = awaited_.has_value();
    awaited_.reset();
    poll_.stop();
    if (wasWaiting) {
        emit waitAbandoned();
    }
}

void PortBox::reconnected(const QString& entry) {
    awaited_.reset();
    poll_.stop();
    parts_.tell(kReconnected.text() + u' ' + entry);
}

void PortBox::poll() {
    if (!awaited_ || !reconnectEnabled() || !parts_.linkFree()) {
        stopAwaiting();
        return;
    }
    if (parts_.busy()) {
        return;  // an export, a load or a dialog is under way: later
    }
    const std::optional<PortInfo> found = findSameAdapter(*awaited_, parts_.ports.ports());
    if (!found) {
        return;
    }
    const QString entry = portEntry(*found);
    parts_.box.setText(entry);
    emit adapterBack(entry);
}

bool PortBox::reconnectEnabled() const {
    return parts_.settings.on(Flag::Reconnect);
}

void PortBox::setReconnectEnabled(bool on) {
    parts_.settings.setOn(Flag::Reconnect, on);
    if (!on) {
        stopAwaiting();
    }
}

}  // namespace cellwatch
