#include "protocol/status_decoder.h"

#include "protocol/pair_value.h"
#include "protocol/reading_format.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {

std::string_view batteryType76(int code) {
    switch (code) {
        case 1:
            return kTypeLithium;
        case 2:
            return kTypeNiMH;
        case 3:
            return kTypeNiCd;
        case 4:
            return kTypeLead;
        default:
            return kTypeUnknown;
    }
}

std::string_view batteryType112(int code) {
    switch (code) {
        case 0:
            return kTypeLithium;
        case 4:
            return kTypeNiMH;
        case 5:
            return kTypeNiCd;
        case 6:
            return kTypeLead;
        default:
            return kTypeUnknown;
    }
}

Decimal correctCapacityRollOver(Decimal capacity, const DecoderHost& host) {
    const Decimal threshold = Decimal::fromInt(kCapacityRollOverThreshold);
    const Decimal step = Decimal::fromInt(kCapacityRollOverStep);
    if (host.capacityDataMax() < threshold) {
        return capacity;
    }
    while (capacity < host.capacityDataMax()) {
        capacity += step;
    }
    return capacity;
}

bool StatusDecoder::isStale(std::uint32_t startTick) const {
    if (freshness_ == Freshness::Ignored) {
        return false;
    }
    return ticksBetween(startTick, clock_.tickCount()) > kFreshnessLimitMs;
}

StatusDecoder::StatusDecoder(const TickClock& clock, DecoderHost& host, Freshness freshness)
    : clock_(clock), host_(host), freshness_(freshness) {
    reading_.charger = std::string(kFirstDriverId);
    reading_.cellCount = kCellCount;
}

void StatusDecoder::finish(FrameLayout layout) {
    Reading& r = reading_;
    r.state = ReadingFormat::stateOf(r.stateText);
    r.chemistry = ReadingFormat::chemistryOf(r.chemistryText);
    r.capacity = correctCapacityRollOver(r.capacity, host_);
    // Its text, "##0.00" or "###0.00", is the same as the rounded value's.
    r.power = (r.voltage * r.current).abs().rounded(2);
    host_.readingDecoded(r, layout);
    if (!r.isIdle()) {
        host_.acceptReading(r);
    }
}

void StatusDecoder::decodeStatus76(const StatusFrame& f, std::uint32_t startTick) {
    if (f.size() < kShortFrameSize) {
        return;  // the receive path never hands over a short frame
    }
    if (isStale(startTick)) {
        host_.showIdle();
        return;
    }
    Reading& s = reading_;
    s.elapsedMs = ticksBetween(host_.connectTicks(), clock_.tickCount());
    s.voltage = PairValue(f[35], f[36]);
    s.chemistryText = batteryType76(biasedValue(f[23]));
    const Decimal current = PairValue(f[33], f[34]);
    if (biasedValue(f[8]) >= 1) {
        s.current = current;
        s.stateText = s.voltage > Decimal() ? kStateCharge : kStateIdle;
    } else {
        s.current = -current;
        s.stateText = kStateDischarge;
    }
    s.extTemperature = PairValueTimes100(f[37], f[38]);
    s.intTemperature = PairValueTimes100(f[39], f[40]);
    s.inputVoltage = PairValue(f[41], f[42]);
    s.capacity = PairValueTimes100(f[43], f[44]);
    for (std::size_t k = 1; k <= kCellCount; ++k) {
        s.cells[k - 1] = PairValue(f[43 + 2 * k], f[44 + 2 * k]);
    }
    finish(FrameLayout::Short76);
}

void StatusDecoder::decodeStatus112(const StatusFrame& f, std::uint32_t startTick) {
    if (f.size() < kLongFrameSize) {
        return;
    }
    if (isStale(startTick)) {
        host_.showIdle();
        return;
    }
    Reading& s = reading_;
    s.elapsedMs = ticksBetween(host_.connectTicks(), clock_.tickCount());
    s.voltage = PairValue(f[15], f[16]);
    s.chemistryText = batteryType112(biasedValue(f[2]));
    switch (biasedValue(f[1])) {
        case 1:
            s.stateText = kStateDischarge;
            s.current = -PairValue(f[11], f[12]);
            break;
        case 2:
            s.stateText = kStateCharge;
            s.current = PairValue(f[11], f[12]);
            break;
        default:
            s.stateText = kStateIdle;
            s.current = Decimal();
            break;
    }
    s.extTemperature = Decimal();
    s.intTemperature = Decimal();
    s.inputVoltage = PairValue(f[4], f[5]);
    s.capacity = PairValueTimes100(f[7], f[8]);
    for (std::size_t k = 1; k <= kCellCount; ++k) {
        s.cells[k - 1] = PairValue(f[17 + 2 * k], f[18 + 2 * k]);
    }
    finish(FrameLayout::Long112);
}

}  // namespace cellwatch
