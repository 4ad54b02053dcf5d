#include "tools/dump/dump_session.h"

#include <stdexcept>

#include "protocol/driver_registry.h"
#include "protocol/reading_format.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {

std::string summaryText(const DumpSummary& s) {
    if (!s.firstFamily) {
        return "cellwatch-dump: " + std::to_string(s.readingsOther) + " readings (" +
               std::to_string(s.idleMessages) + " idle) from " + std::to_string(s.messagesOther) +
               " messages; " + std::to_string(s.bytesDropped) + " bytes dropped while hunting, " +
               std::to_string(s.bytesUnframed) + " bytes left unframed";
    }
    return "cellwatch-dump: " + std::to_string(s.messages76) + " messages of 76 bytes, " +
           std::to_string(s.messages112) + " of 112 bytes (" + std::to_string(s.idleMessages) +
           " idle)" +
           (s.implausibleMessages > 0
                ? ", " + std::to_string(s.implausibleMessages) + " implausible ones left out"
                : std::string()) +
           "; " + std::to_string(s.bytesDropped) + " bytes dropped while hunting, " +
           std::to_string(s.bytesUnframed) + " bytes left unframed";
}

DumpSession::DumpSession(std::FILE* out, std::string_view charger)
    : out_(out), driver_(makeDriver(charger, *this, *this, DriverOptions{.checkTimes = false})) {
    if (!driver_) {
        throw std::invalid_argument("no charger " + std::string(charger));
    }
    counts_.firstFamily = driver_->id() == kFirstDriverId;
}

void DumpSession::feed(std::span<const std::uint8_t> bytes) {
    driver_->feed(bytes, lastTime_);
}

void DumpSession::feedMessage(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) {
    lastTime_ = timeMs;
    driver_->feed(bytes, timeMs);
}

void DumpSession::finish() {
    driver_->endOfInput(lastTime_);
}

void DumpSession::reading(const Reading& reading, std::span<const std::uint8_t> message) {
    // Another charger's line starts with its channel instead of a layout.
    const FrameLayout layout = layoutOfMessage(message);
    if (!counts_.firstFamily) {
        ++counts_.readingsOther;
    } else {
        ++(layout == FrameLayout::Short76 ? counts_.messages76 : counts_.messages112);
    }
    if (reading.isIdle()) {
        ++counts_.idleMessages;
    } else if (reading.capacity > capacityMax_) {
        capacityMax_ = reading.capacity;
    }
    line_ = ReadingFormat::dumpLine(
        reading, counts_.firstFamily ? layoutName(layout) : std::to_string(reading.channel));
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), out_);
}

DumpSummary DumpSession::summary() const {
    DumpSummary s = counts_;
    const DriverCounts c = driver_->counts();
    s.bytesDropped = c.bytesDropped;
    s.bytesUnframed = c.bytesUnframed;
    s.messagesOther = s.firstFamily ? 0 : c.messages;
    s.implausibleMessages = c.implausible;
    return s;
}

}  // namespace cellwatch
