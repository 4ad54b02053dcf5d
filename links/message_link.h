// A link that carries whole messages, not a byte stream: one USB HID report
// or one Bluetooth LE notification in, one report or one characteristic
// write out. It knows no protocol; the session hands what it receives to
// the charger's driver as one receive event per message.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <span>
#include <string_view>

namespace cellwatch {

class MessageLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MessageLink() override = default;

    // What the link is, as the user names it ("hid:0483:5751").
    virtual QString name() const = 0;
    // Opens it; throws std::runtime_error with one line saying what is
    // wrong (no adapter, no such device, no permission). A link that
    // connects in the background (Bluetooth) returns at once and tells
    // lost() if it cannot.
    virtual void open() = 0;
    // Closes it; nothing more is told after this.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends one message, to `target` where the link has several ways in (a
    // Bluetooth LE characteristic's UUID; empty: its usual one); false when
    // it cannot now (not open, not yet connected, the device refused it).
    virtual bool write(std::span<const std::uint8_t> message, std::string_view target = {}) = 0;

signals:
    // One message from the charger.
    void received(const QByteArray& message);
    // The link is gone for good and closed; `why` in plain words.
    void lost(const QString& why);
    // Something worth a line that ends nothing ("connecting again").
    void notice(const QString& text);
};

}  // namespace cellwatch
