#include "net/broker_setup.h"

#include "net/publisher.h"
#include "net/secret_files.h"

namespace cellwatch::net {

BrokerSetup setUpBroker(const BrokerChoice& choice) {
    BrokerSetup setup;
    MqttOptions& mqtt = setup.mqtt;
    mqtt.address = parseBrokerAddress(choice.address, choice.name);
    if (!choice.caFile.isEmpty()) {
        // Looked at now: a folder, a device or a file without a certificate
        // would fail every attempt to connect.
        checkCertificateFile(choice.caFile);
    }
    mqtt.caFile = choice.caFile;
    mqtt.password = choice.password;
    if (!choice.passwordFile.isEmpty()) {
        mqtt.password = readPasswordFile(choice.passwordFile);
        const QString warning =
            secretFileWarning(QStringLiteral("the password file"), choice.passwordFile);
        if (!warning.isEmpty()) {
            setup.warnings << warning;
            setup.warned.push_back({SetupWarning::Kind::PasswordFileOpen, choice.passwordFile,
                                    looseSecretFileMode(choice.passwordFile)});
        }
    }
    if (!choice.keyFile.isEmpty()) {
        setup.key = readKeyFile(choice.keyFile);
        const QString warning = secretFileWarning(QStringLiteral("the key file"), choice.keyFile);
        if (!warning.isEmpty()) {
            setup.warnings << warning;
            setup.warned.push_back({SetupWarning::Kind::KeyFileOpen, choice.keyFile,
                                    looseSecretFileMode(choice.keyFile)});
        }
    }
    const QStringList unencrypted = connectionWarnings(mqtt);
    setup.warnings << unencrypted;
    if (!unencrypted.isEmpty()) {
        setup.warned.push_back({SetupWarning::Kind::Unencrypted,
                                {},
                                {},
                                mqtt.address.user,
                                mqtt.address.brokerText()});
    }
    return setup;
}

std::unique_ptr<Publisher> makePublisher(BrokerSetup setup, bool discovery) {
    setup.mqtt.holdUntilFirstAnswer = true;
    return std::make_unique<Publisher>(std::move(setup.mqtt), discovery, std::move(setup.key));
}

}  // namespace cellwatch::net
