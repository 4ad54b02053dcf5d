#include "links/hid_link.h"

#include <hidapi/hidapi.h>

#include "protocol/modbus_hid.h"

#include <QFileInfo>
#include <array>
#include <stdexcept>

namespace cellwatch {

namespace {

QString wide(const wchar_t* text) {
    return text != nullptr ? QString::fromWCharArray(text) : QString();
}

// hidapi starts once per program; false when it cannot.
bool hidStarted() {
    static const bool started = hid_init() == 0;
    return started;
}

QString idText(std::uint16_t vendor, std::uint16_t product) {
    return QStringLiteral("%1:%2")
        .arg(vendor, 4, 16, QLatin1Char('0'))
        .arg(product, 4, 16, QLatin1Char('0'));
}

}  // namespace

std::vector<HidDevice> listHidDevices(const std::vector<UsbId>& ids) {
    std::vector<HidDevice> found;
    if (ids.empty() || !hidStarted()) {
        return found;
    }
    for (const UsbId& id : ids) {
        hid_device_info* all = hid_enumerate(id.vendor, id.product);
        for (const hid_device_info* d = all; d != nullptr; d = d->next) {
            found.push_back({d->vendor_id, d->product_id, wide(d->serial_number),
                             wide(d->product_string), QString::fromLocal8Bit(d->path)});
        }
        hid_free_enumeration(all);
    }
    return found;
}

HidLink::HidLink(LinkAddress address, bool modbusFrames, QObject* parent)
    : MessageLink(parent), address_(std::move(address)), modbusFrames_(modbusFrames) {}

HidLink::~HidLink() {
    close();
}

void HidLink::open() {
    close();
    if (!hidStarted()) {
        throw std::runtime_error(
            "USB HID is not available on this system (hidapi could not start)");
    }
    const std::vector<HidDevice> devices =
        listHidDevices({UsbId{address_.vendor, address_.product}});
    const HidDevice* chosen = nullptr;
    for (const HidDevice& d : devices) {
        if (address_.serial.isEmpty() || d.serial == address_.serial) {
            chosen = &d;
            break;
        }
    }
    const QString ids = idText(address_.vendor, address_.product);
    if (chosen == nullptr) {
        throw std::runtime_error(
            (address_.serial.isEmpty()
                 ? QStringLiteral("no USB device %1 is plugged in").arg(ids)
                 : QStringLiteral("no USB device %1 with serial number %2 is plugged in")
                       .arg(ids, address_.serial))
                .toStdString());
    }
    const QByteArray path = chosen->path.toLocal8Bit();
    device_ = hid_open_path(path.constData());
    if (device_ == nullptr) {
        const QFileInfo node(chosen->path);
        if (node.exists() && !node.isWritable()) {
            throw std::runtime_error(
                QStringLiteral("%1 (%2): no permission to open it; the package's udev rule "
                               "gives the logged-in user these devices (plug it in again "
                               "after installing)")
                    .arg(ids, chosen->path)
                    .toStdString());
        }
        throw std::runtime_error(QStringLiteral("%1 (%2): could not be opened: %3")
                                     .arg(ids, chosen->path, wide(hid_error(nullptr)))
                                     .toStdString());
    }
    stop_ = false;
    lostTold_ = false;
    reader_ = std::thread([this] { readLoop(); });
}

void HidLink::close() {
    stop_ = true;
    if (reader_.joinable()) {
        reader_.join();
    }
    if (device_ != nullptr) {
        hid_close(device_);
        device_ = nullptr;
    }
}

bool HidLink::write(std::span<const std::uint8_t> message, std::string_view /*target*/) {
    std::vector<std::uint8_t> converted;
    if (modbusFrames_) {
        const std::optional<std::vector<std::uint8_t>> report = modbus::hidReportOfRtu(message);
        if (!report) {
            return false;
        }
        modbusUnit_ = message[0];
        converted = *report;
        message = converted;
    }
    if (device_ == nullptr || message.size() > static_cast<std::size_t>(kReportBytes)) {
        return false;
    }
    std::array<unsigned char, kReportBytes + 1> report{};  // report id 0, then the payload
    std::copy(message.begin(), message.end(), report.begin() + 1);
    return hid_write(device_, report.data(), report.size()) >= 0;
}

// An answer in MODBUS-HID goes on as the RTU frame the driver reads; the
// charger's own pushed packets are no answers and go nowhere.
void HidLink::deliver(const QByteArray& report) {
    if (device_ == nullptr) {
        return;
    }
    if (!modbusFrames_) {
        emit received(report);
        return;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(report.constData());
    if (const auto frame =
            modbus::rtuOfHidReport({bytes, static_cast<std::size_t>(report.size())}, modbusUnit_)) {
        emit received(QByteArray(reinterpret_cast<const char*>(frame->data()),
                                 static_cast<qsizetype>(frame->size())));
    }
}

void HidLink::readLoop() {
    std::array<unsigned char, kReportBytes> report{};
    while (!stop_) {
        const int n = hid_read_timeout(device_, report.data(), report.size(), kReadWaitMs);
        if (n < 0) {
            QMetaObject::invokeMethod(
                this, [this] { deviceGone(); }, Qt::QueuedConnection);
            return;
        }
        if (n > 0) {
            const QByteArray message(reinterpret_cast<const char*>(report.data()), n);
            QMetaObject::invokeMethod(
                this, [this, message] { deliver(message); }, Qt::QueuedConnection);
        }
    }
}

void HidLink::deviceGone() {
    if (lostTold_ || device_ == nullptr) {
        return;
    }
    lostTold_ = true;
    close();
    emit lost(QStringLiteral("the device went away"));
}

}  // namespace cellwatch
