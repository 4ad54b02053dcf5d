#include "protocol/tkrx_driver.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace cellwatch {

namespace {

constexpr std::array<std::string_view, 2> kModels = {"TK series", "RX series"};

// Plausibility limits; every comparison is strict.
constexpr Decimal kMaxTemperature = Decimal::fromInt(100);
constexpr Decimal kMaxVoltage = Decimal::fromInt(50);

bool above(const std::optional<Decimal>& value, const Decimal& limit) {
    return value && *value > limit;
}

// What waits from earlier receive events, then the bytes of this one, read
// where they lie: framing copies each byte once, into its frame.
class FedBytes final : public ByteSource {
public:
    FedBytes(BufferByteSource& kept, std::span<const std::uint8_t> fresh)
        : kept_(kept), fresh_(fresh) {}
    std::size_t bytesWaiting() const override { return kept_.bytesWaiting() + fresh_.size(); }
    std::size_t read(std::span<std::uint8_t> dest) override {
        std::size_t n = kept_.read(dest);
        const std::size_t more = std::min(dest.size() - n, fresh_.size());
        if (more > 0) {
            std::memcpy(dest.data() + n, fresh_.data(), more);
            fresh_ = fresh_.subspan(more);
            n += more;
        }
        return n;
    }
    // What was not read waits with the kept bytes for the next event.
    void keepRest() { kept_.feed(fresh_); }

private:
    BufferByteSource& kept_;
    std::span<const std::uint8_t> fresh_;
};

}  // namespace

std::span<const std::string_view> TkrxDriver::modelList() {
    return kModels;
}

TkrxDriver::TkrxDriver(DriverContext& context, DriverSink& sink, const DriverOptions& options)
    : context_(context),
      sink_(sink),
      decoder_(clock_, *this,
               options.checkTimes ? StatusDecoder::Freshness::Checked
                                  : StatusDecoder::Freshness::Ignored),
      assembler_(clock_, decoder_) {}

std::string_view TkrxDriver::id() const {
    return kFirstDriverId;
}

std::span<const std::string_view> TkrxDriver::models() const {
    return kModels;
}

void TkrxDriver::feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) {
    clock_.set(timeMs);
    // One receive event, worked off as the port's handler did.
    FedBytes port(input_, bytes);
    assembler_.serviceReceived(port);
    port.keepRest();
}

void TkrxDriver::endOfInput(std::uint32_t timeMs) {
    clock_.set(timeMs);
    assembler_.endOfInput(input_);
}

DriverCounts TkrxDriver::counts() const {
    DriverCounts c;
    c.messages = messages_;
    c.implausible = implausible_;
    c.bytesDropped = assembler_.bytesDropped();
    c.bytesUnframed =
        (assembler_.started() ? assembler_.pendingFrame().size() : 0) + input_.bytesWaiting();
    return c;
}

void TkrxDriver::readingDecoded(const Reading& reading, FrameLayout /*layout*/) {
    ++messages_;
    if (!isPlausible(reading)) {
        ++implausible_;
        return;
    }
    // The frame is still the assembler's while it is decoded.
    sink_.reading(reading, assembler_.pendingFrame().bytes());
}

bool isPlausible(const Reading& r) {
    if (r.isIdle()) {
        return true;
    }
    return !above(r.extTemperature, kMaxTemperature) && !above(r.intTemperature, kMaxTemperature) &&
           !above(r.inputVoltage, kMaxVoltage) && !(r.voltage > kMaxVoltage) && !r.voltage.isZero();
}

FrameLayout layoutOfMessage(std::span<const std::uint8_t> message) {
    return message.size() == kShortFrameSize ? FrameLayout::Short76 : FrameLayout::Long112;
}

}  // namespace cellwatch
