// Where a charger is watched or published over the network: an MQTT broker
// and the charger's name on it.
//
//   mqtt://[USER@]HOST[:PORT]/NAME    plain TCP, port 1883 by default
//   mqtts://[USER@]HOST[:PORT]/NAME   TLS, port 8883 by default
//   .../NAME/CHANNEL                  one channel (1 to 8) of a charger of several
//
// HOST is a host name, an IPv4 address or an IPv6 address in brackets.
// NAME is one topic level: letters, digits, '-', '_' and '.'. A password is
// never part of an address (it comes from a file or a prompt), so an address
// can be shown and stored as it is.
#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace cellwatch::net {

inline constexpr std::uint16_t kMqttPort = 1883;
inline constexpr std::uint16_t kMqttsPort = 8883;
inline constexpr int kMostAddressChannels = 8;

// The root of every topic a charger is published under.
inline constexpr const char* kTopicRoot = "cellwatch";

struct BrokerAddress {
    bool tls = false;
    QString user;  // empty: none
    QString host;
    std::uint16_t port = kMqttPort;
    QString name;     // empty in a broker-only address
    int channel = 0;  // 1 to 8: one channel of a charger of several; 0: none named

    // The address in its usual form (the default port left out).
    QString text() const;
    // "HOST:PORT", for messages.
    QString brokerText() const;
    // "cellwatch/NAME/leaf".
    QString topic(const QString& leaf) const;
    // "cellwatch/NAME/CHANNEL/leaf" (channel 1 when none is named).
    QString channelTopic(const QString& leaf) const;

    bool operator==(const BrokerAddress&) const = default;
};

// Cannot read an address; what() says what is wrong in one line.
class AddressError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether `text` is meant as a broker address (starts with mqtt:// or
// mqtts://, in any case) rather than a serial port.
bool isBrokerAddress(const QString& text);

// Whether `name` may be a charger's name: one topic level of letters,
// digits, '-', '_' and '.'.
bool isChargerName(const QString& name);

enum class NamePart { Required, None };

// Reads an address. With NamePart::None the address names a broker only
// ("mqtt://HOST[:PORT]", a trailing '/' allowed). Throws AddressError.
BrokerAddress parseBrokerAddress(const QString& text, NamePart name = NamePart::Required);

}  // namespace cellwatch::net
