// What the program asks of a charger driver: a maker's protocol turned into
// Readings. A driver knows the line a charger talks on and its bytes, and
// nothing of ports, files, brokers, windows or Qt; a Link (serial/) carries
// the bytes both ways.
//
// Received bytes go in with feed(), with the moment they arrived on the
// session's tick counter; every reading and event they complete goes to
// the DriverSink at once, in order. A polled protocol also says, through
// due(), what it wants sent and when it wants to be asked again; a charger
// that stops answering its polls is told to the sink as Silent.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/decimal.h"
#include "protocol/reading.h"

namespace cellwatch {

enum class Parity : std::uint8_t { None, Even, Odd };

// How the serial line is set for a charger.
struct LineSettings {
    std::uint32_t baud = 9600;
    std::uint8_t dataBits = 8;
    Parity parity = Parity::None;
    std::uint8_t stopBits = 1;
    // Whether the driver sends anything: the port opens read-write only then.
    bool writes = false;

    bool operator==(const LineSettings&) const = default;
};

// "9600 8N1".
std::string lineSettingsText(const LineSettings& line);

// A USB device's vendor and product ids.
struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    bool operator==(const UsbId&) const = default;
};

// How a charger is reached other than over a serial line: the USB HID ids
// of its family (several models may share one: the driver tells the model
// by its reply), and the Bluetooth LE service it serves, with the
// characteristic that notifies its replies and the one requests are written
// to (UUID texts, "0000ffe0-0000-1000-8000-00805f9b34fb"; empty: none). On
// either link, one message fed to the driver is one HID input report (its
// payload, without a report id) or one notification's value, and one
// DriverRequest is one output report's payload or one characteristic write.
struct LinkHints {
    std::vector<UsbId> usb;
    std::string bleService;
    std::string bleNotify;
    std::string bleWrite;
    // The driver speaks Modbus RTU and its USB link carries MODBUS-HID
    // frames (protocol/modbus_hid.h): the HID link converts both ways.
    bool hidModbus = false;
};

// What a driver needs of the recording it feeds (the session implements it).
class DriverContext {
public:
    virtual ~DriverContext() = default;
    // Tick count at the start of the present recording (0 when none).
    virtual std::uint32_t connectTicks() const = 0;
    // Largest capacity plotted so far in this recording; 0 while empty. A
    // driver with a capacity counter that rolls over asks it afresh.
    virtual Decimal capacityDataMax() const = 0;
};

enum class DriverEvent : std::uint8_t {
    Late,       // a message took too long to arrive to be trusted: show idle
    Silent,     // the charger stopped answering (a polled driver's retries ran out)
    Answering,  // it answers again after Silent
};

class DriverSink {
public:
    virtual ~DriverSink() = default;
    // One decoded reading (idle ones too), and the bytes of the message it
    // came from. The reading is the driver's; copy what outlives the call.
    virtual void reading(const Reading& reading, std::span<const std::uint8_t> message) = 0;
    virtual void event(DriverEvent event, int channel) = 0;
};

// Bytes a driver wants written to the charger.
struct DriverRequest {
    std::vector<std::uint8_t> bytes;
    int channel = 1;  // the channel it concerns (0: the charger as a whole)
    // Where a link with several ways in writes it: a Bluetooth LE
    // characteristic's UUID ("0000ffe1-0000-1000-8000-00805f9b34fb"),
    // static text. Empty: the link's only way in (a serial line, a HID
    // report, the one characteristic it knows).
    std::string_view target;
};

// What framing has seen so far.
struct DriverCounts {
    std::uint64_t messages = 0;
    std::uint64_t bytesDropped = 0;   // received bytes that belonged to no message
    std::uint64_t bytesUnframed = 0;  // waiting now: a message begun and what follows it
    std::uint64_t implausible = 0;  // messages decoded but not delivered: no charger measures them
};

struct DriverOptions {
    // Whether times count: a driver fed a whole file at once (a dump) does
    // not drop a message as late.
    bool checkTimes = true;
};

class ChargerDriver {
public:
    virtual ~ChargerDriver() = default;

    virtual std::string_view id() const = 0;
    virtual std::string_view maker() const = 0;
    virtual std::span<const std::string_view> models() const = 0;
    virtual LineSettings line() const = 0;
    virtual int channelCount() const = 0;

    // Bytes received at `timeMs` (the session's tick counter).
    virtual void feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) = 0;
    // No more bytes will come (a file read to its end): frames what a next
    // message would have completed.
    virtual void endOfInput(std::uint32_t /*timeMs*/) {}
    // How many more bytes must arrive before feed() could complete anything:
    // a link may sleep until then (1 when every byte may matter).
    virtual std::size_t bytesWanted() const { return 1; }

    // What to send now: handshakes, polls, retries. A listen-only driver
    // sends nothing.
    virtual std::vector<DriverRequest> due(std::uint32_t /*nowMs*/) { return {}; }
    // When due() next has something to say (a poll interval, a time-out);
    // nothing for a listen-only driver.
    virtual std::optional<std::uint32_t> nextDueMs() const { return std::nullopt; }
    // False once the charger stopped answering (told to the sink as Silent).
    virtual bool answering() const { return true; }
    // Whether due()'s requests reach the charger (a live line): then an
    // answer to no request out (late, or twice) is not read. Not so by
    // default: bytes of a recording answer another run's requests.
    virtual void setAsking(bool /*asking*/) {}

    virtual DriverCounts counts() const = 0;
};

}  // namespace cellwatch
