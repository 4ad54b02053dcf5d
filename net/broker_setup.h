// Setting up a connection to a broker from what the user gives: an address,
// a password (typed, or the first line of a file), the authority for
// mqtts:// and a charger's shared key. cellwatch-log (--publish, --port
// mqtt://…, --password-file, --ca, --key-file) and the window's publishing
// set up the same way.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "net/mqtt_client.h"

namespace cellwatch::net {

class Publisher;

// What the user chose.
struct BrokerChoice {
    QString address;                     // mqtt[s]://[USER@]HOST[:PORT]/NAME
    QString password;                    // typed; used when passwordFile is empty
    QString passwordFile;                // empty: none
    QString caFile;                      // for mqtts://: empty for the system's authorities
    QString keyFile;                     // empty: unsigned
    NamePart name = NamePart::Required;  // None: the address names the broker only
};

// A warning of the setup as a kind with its figures, for a window to word.
struct SetupWarning {
    enum class Kind {
        PasswordFileOpen,  // the password file `path` can be read by others (`mode`)
        KeyFileOpen,       // the key file `path` can be read by others (`mode`)
        Unencrypted,       // the password of `user` goes to `broker` without TLS
    };
    Kind kind = Kind::Unencrypted;
    QString path{};
    QString mode{};
    QString user{};
    QString broker{};
    bool operator==(const SetupWarning&) const = default;
};

// The client options, the key (empty without a key file) and what is worth
// a warning about them, once: a secret file others can read, a password
// sent without TLS; in English (warnings) and as kinds (warned).
struct BrokerSetup {
    MqttOptions mqtt;
    QByteArray key;
    QStringList warnings;
    std::vector<SetupWarning> warned;
};

// Throws AddressError for a bad address and MqttError for a CA file that
// holds no certificate or a password or key file that cannot be read (each
// naming the file, never what it holds).
BrokerSetup setUpBroker(const BrokerChoice& choice);

// A publisher of `setup`, not yet connecting. What is published while the
// first attempt is under way waits for it, so that whoever publishes need
// not wait for the broker (and a capture begins with the port's first
// byte). Throws MqttError when the client cannot be set up.
std::unique_ptr<Publisher> makePublisher(BrokerSetup setup, bool discovery);

}  // namespace cellwatch::net
