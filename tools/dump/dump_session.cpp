#include "tools/dump/dump_session.h"

#include <stdexcept>

#include "protocol/driver_registry.h"
#include "protocol/reading_format.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {

std::string summaryText(const DumpSummary& s) {
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
    const FrameLayout layout = layoutOfMessage(message);
    ++(layout == FrameLayout::Short76 ? counts_.messages76 : counts_.messages112);
    if (reading.isIdle()) {
        ++counts_.idleMessages;
    } else if (reading.capacity > capacityMax_) {
        capacityMax_ = reading.capacity;
    }
    line_ = ReadingFormat::dumpLine(reading, layoutName(layout));
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), out_);
}

DumpSummary DumpSession::summary() const {
    DumpSummary s = counts_;
    const DriverCounts c = driver_->counts();
    s.bytesDropped = c.bytesDropped;
    s.bytesUnframed = c.bytesUnframed;
    s.implausibleMessages = c.implausible;
    return s;
}

}  // namespace cellwatch
