#include "links/ble_link.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QBluetoothLocalDevice>
#include <QLowEnergyDescriptor>
#include <QLowEnergyService>
#include <stdexcept>

namespace cellwatch {

bool haveBluetoothAdapter() {
    return !QBluetoothLocalDevice::allDevices().isEmpty();
}

BleLink::BleLink(LinkAddress address, LinkHints hints, QObject* parent)
    : MessageLink(parent), address_(std::move(address)), hints_(std::move(hints)) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &BleLink::connectNow);
}

BleLink::~BleLink() {
    close();
}

void BleLink::open() {
    close();
    if (hints_.bleService.empty()) {
        throw std::runtime_error("this charger's driver does not speak Bluetooth LE");
    }
    if (!haveBluetoothAdapter()) {
        throw std::runtime_error(
            "no Bluetooth adapter on this computer (or the system's Bluetooth service is not "
            "running)");
    }
    open_ = true;
    tries_ = 0;
    everReady_ = false;
    connectNow();
}

void BleLink::close() {
    retry_.stop();
    open_ = false;
    ready_ = false;
    dropController();
}

void BleLink::dropController() {
    if (service_) {
        service_->disconnect(this);
        service_->deleteLater();
    }
    if (controller_) {
        controller_->disconnect(this);
        controller_->disconnectFromDevice();
        controller_->deleteLater();
    }
    service_ = nullptr;
    controller_ = nullptr;
    writeTo_ = {};
}

void BleLink::connectNow() {
    dropController();
    ready_ = false;
    QBluetoothDeviceInfo device(QBluetoothAddress(address_.bleAddress), QString(), 0);
    device.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    controller_ = QLowEnergyController::createCentral(device, this);
    connect(controller_, &QLowEnergyController::connected, this,
            [this] { controller_->discoverServices(); });
    connect(controller_, &QLowEnergyController::discoveryFinished, this, &BleLink::servicesFound);
    connect(controller_, &QLowEnergyController::errorOccurred, this, &BleLink::controllerError);
    connect(controller_, &QLowEnergyController::disconnected, this, &BleLink::dropped);
    controller_->connectToDevice();
}

void BleLink::servicesFound() {
    const QBluetoothUuid wanted(QString::fromStdString(hints_.bleService));
    service_ = controller_->createServiceObject(wanted, this);
    if (!service_) {
        fail(QStringLiteral("%1 has no service %2: is it the charger chosen?")
                 .arg(name(), QString::fromStdString(hints_.bleService)));
        return;
    }
    connect(service_, &QLowEnergyService::stateChanged, this,
            [this](QLowEnergyService::ServiceState s) { serviceState(static_cast<int>(s)); });
    connect(
        service_, &QLowEnergyService::characteristicChanged, this,
        [this](const QLowEnergyCharacteristic&, const QByteArray& value) { emit received(value); });
    service_->discoverDetails();
}

void BleLink::serviceState(int state) {
    if (state != static_cast<int>(QLowEnergyService::RemoteServiceDiscovered) || !service_) {
        return;
    }
    // Every characteristic of the service that notifies is listened to
    // (some chargers answer on more than one); requests go to the one named.
    writeTo_ = service_->characteristic(QBluetoothUuid(QString::fromStdString(hints_.bleWrite)));
    if (!writeTo_.isValid()) {
        fail(
            QStringLiteral("%1 lacks the characteristics of its service: is it the charger chosen?")
                .arg(name()));
        return;
    }
    for (const QLowEnergyCharacteristic& c : service_->characteristics()) {
        if ((c.properties() &
             (QLowEnergyCharacteristic::Notify | QLowEnergyCharacteristic::Indicate)) == 0) {
            continue;
        }
        const QLowEnergyDescriptor config =
            c.descriptor(QBluetoothUuid::DescriptorType::ClientCharacteristicConfiguration);
        if (config.isValid()) {
            service_->writeDescriptor(config, (c.properties() & QLowEnergyCharacteristic::Notify)
                                                  ? QLowEnergyCharacteristic::CCCDEnableNotification
                                                  : QLowEnergyCharacteristic::CCCDEnableIndication);
        }
    }
    ready_ = true;
    everReady_ = true;
    tries_ = 0;
}

bool BleLink::write(std::span<const std::uint8_t> message, std::string_view target) {
    if (!ready_ || !service_ || !writeTo_.isValid()) {
        return false;
    }
    QLowEnergyCharacteristic to = writeTo_;
    if (!target.empty()) {
        to = service_->characteristic(QBluetoothUuid(
            QString::fromLatin1(target.data(), static_cast<qsizetype>(target.size()))));
        if (!to.isValid()) {
            return false;
        }
    }
    const QByteArray data(reinterpret_cast<const char*>(message.data()),
                          static_cast<qsizetype>(message.size()));
    const auto mode = (to.properties() & QLowEnergyCharacteristic::WriteNoResponse)
                          ? QLowEnergyService::WriteWithoutResponse
                          : QLowEnergyService::WriteWithResponse;
    service_->writeCharacteristic(to, data, mode);
    return true;
}

void BleLink::controllerError(QLowEnergyController::Error error) {
    switch (error) {
        case QLowEnergyController::InvalidBluetoothAdapterError:
            fail(QStringLiteral("no Bluetooth adapter on this computer"));
            return;
        case QLowEnergyController::MissingPermissionsError:
        case QLowEnergyController::AuthorizationError:
            fail(QStringLiteral(
                     "%1: this user may not use Bluetooth, or the charger refused to pair")
                     .arg(name()));
            return;
        case QLowEnergyController::UnknownRemoteDeviceError:
            fail(QStringLiteral("%1 is not in range or not switched on").arg(name()));
            return;
        case QLowEnergyController::ConnectionError:
        case QLowEnergyController::RemoteHostClosedError:
            dropped();
            return;
        default:
            dropped();
            return;
    }
}

// The link went: connect again a few times, the pause doubling each time.
void BleLink::dropped() {
    if (!open_ || retry_.isActive()) {
        return;
    }
    ready_ = false;
    if (tries_ >= kReconnectTries) {
        fail(everReady_
                 ? QStringLiteral("the charger dropped the Bluetooth link and did not come back")
                 : QStringLiteral(
                       "%1 did not accept the connection: a Bluetooth LE charger serves one "
                       "client at a time (is a phone app connected to it?)")
                       .arg(name()));
        return;
    }
    emit notice(QStringLiteral("%1: the Bluetooth link dropped; connecting again").arg(name()));
    retry_.start(kFirstRetryMs << tries_);
    ++tries_;
}

void BleLink::fail(const QString& why) {
    if (!open_) {
        return;
    }
    close();
    emit lost(why);
}

}  // namespace cellwatch
