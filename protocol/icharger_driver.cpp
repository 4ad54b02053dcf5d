#include "protocol/icharger_driver.h"

#include <algorithm>

#include "protocol/tick_clock.h"

namespace cellwatch {

namespace icharger {

namespace {

constexpr std::array<std::string_view, 38> kErrorNames = {
    "OK",
    "check / wait",
    "input voltage over",
    "input voltage low",
    "output voltage over",
    "battery low",
    "battery over",
    "output current over",
    "output current low",
    "input current over",
    "input current low",
    "temperature over",
    "temperature low",
    "check failed",
    "ground fault",
    "reverse polarity",
    "control error",
    "time over",
    "capacity over",
    "temperature error",
    "current null",
    "cell line error",
    "cell voltage low",
    "cell voltage over",
    "cells low vs. output voltage",
    "cells over vs. output voltage",
    "cell count mismatch",
    "cell count set too low",
    "cell count set too high",
    "balance port error",
    "no balance lead",
    "cell detect failed",
    "watchdog",
    "synchronous imbalance",
    "regenerative: no load",
    "channel occupied",
    "regenerative capacity",
    "none",
};

std::int32_t signed32(std::uint16_t low, std::uint16_t high) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(high) << 16 | low);
}

// 0.1 units (°C, mΩ) to a Decimal.
Decimal tenths(std::int64_t value) {
    return Decimal::fromRaw(value * (Decimal::kScale / 10));
}

struct StateWord {
    ChargeState state;
    std::string_view text;
};

StateWord runState(std::uint16_t runStatus, std::int16_t current) {
    switch (runStatus) {
        case kRunCharge:
            return {ChargeState::Charging, "charge"};
        case kRunDischarge:
            return {ChargeState::Discharging, "discharge"};
        case kRunMonitor:
            return {ChargeState::Idle, "monitor"};
        case kRunPause:
            return {ChargeState::Resting, "pause"};
        case kRunPrecharge:
            return {ChargeState::Charging, "pre-charge"};
        case kRunDone:
            return {ChargeState::Done, "done"};
        case kRunTrickle:
            return {ChargeState::Charging, "trickle"};
        case kRunBalanceOnly:
            return {ChargeState::Balancing, "balance only"};
        case kRunInfo:
            return {ChargeState::Idle, "info"};
        case kRunDigitalPower:
            return {ChargeState::Charging, "digital power"};
        default:
            break;
    }
    // Normal running, or a state without a name: the current tells.
    if (current > 0) {
        return {ChargeState::Charging, "running"};
    }
    if (current < 0) {
        return {ChargeState::Discharging, "running"};
    }
    return {ChargeState::Idle, "running"};
}

}  // namespace

std::string_view errorName(int code) {
    return code >= 0 && static_cast<std::size_t>(code) < kErrorNames.size()
               ? kErrorNames[static_cast<std::size_t>(code)]
               : std::string_view{};
}

Reading decodeChannel(std::span<const std::uint16_t, kChannelCount> block,
                      std::uint16_t statusWord) {
    Reading r;
    const auto current = static_cast<std::int16_t>(block[kCurrent10mA]);
    r.voltage = Decimal::fromThousandths(block[kPackMv]);
    r.current = Decimal::fromHundredths(current);
    // Counted down while discharging: the amount moved is what a row shows.
    const std::int64_t capacity = signed32(block[kCapacityMah], block[kCapacityMah + 1]);
    r.capacity = Decimal::fromInt(capacity < 0 ? -capacity : capacity);
    r.power = Decimal::fromThousandths(
        static_cast<std::uint32_t>(signed32(block[kPowerMw], block[kPowerMw + 1])));
    r.inputVoltage = Decimal::fromThousandths(block[kInputMv]);
    r.intTemperature = tenths(static_cast<std::int16_t>(block[kIntTemp]));
    const auto ext = static_cast<std::int16_t>(block[kExtTemp]);
    if (ext != kNoProbe) {
        r.extTemperature = tenths(ext);
    }
    for (int k = 0; k < kMostCells; ++k) {
        const std::uint16_t mv = block[kCellMv + static_cast<std::size_t>(k)];
        if (mv != 0 && mv != kAbsentCellMv) {
            r.cellCount = k + 1;
            r.cells[static_cast<std::size_t>(k)] = Decimal::fromThousandths(mv);
        }
    }
    for (int k = 0; k < r.cellCount; ++k) {
        const std::uint16_t ir = block[kCellIr + static_cast<std::size_t>(k)];
        if (ir != 0 && r.cells[static_cast<std::size_t>(k)] != Decimal()) {
            r.cellResistance[static_cast<std::size_t>(k)] = tenths(ir);
        }
    }
    if (block[kPackIr] != 0) {
        r.packResistance = tenths(block[kPackIr]);
    }
    // The status block names no chemistry; a pack on the balance lead is lithium.
    r.chemistry = r.cellCount > 0 ? Chemistry::Lithium : Chemistry::Unknown;

    const int error = block[kErrorWord] >> 8;
    const std::uint16_t run = block[kRunStatus];
    StateWord state{ChargeState::Idle, "standby"};
    if ((statusWord & kStatusError) != 0 || error != 0 || run == kRunError) {
        state = {ChargeState::Error, error != 0 ? errorName(error) : "error"};
        if (state.text.empty()) {
            state.text = "error";
        }
        r.errorCode = error;
    } else if ((statusWord & kStatusRun) != 0) {
        state = runState(run, current);
    } else if (run == kRunDone) {
        state = {ChargeState::Done, "done"};
    }
    r.state = state.state;
    r.stateText = std::string(state.text);
    return r;
}

DeviceInfo decodeInfo(std::span<const std::uint16_t> block) {
    DeviceInfo info;
    if (block.size() < 9) {
        return info;
    }
    info.deviceId = block[0];
    // Twelve text bytes in six registers, each pair swapped.
    for (std::size_t k = 1; k <= 6; ++k) {
        for (const int c : {block[k] & 0xFF, block[k] >> 8}) {
            if (c >= 0x20 && c < 0x7F) {
                info.serial += static_cast<char>(c);
            } else if (c == 0) {
                k = 7;  // the text ends
                break;
            }
        }
    }
    while (!info.serial.empty() && info.serial.back() == ' ') {
        info.serial.pop_back();
    }
    info.firmware = block[7];
    info.hardware = block[8];
    return info;
}

}  // namespace icharger

namespace {

constexpr std::array<std::string_view, 11> kModels = {
    "308 DUO", "406 DUO", "4010 DUO", "456 DUO", "X6", "X8", "X12", "S6", "DX6", "DX8", "DX12",
};

constexpr bool reached(std::uint32_t now, std::uint32_t when) {
    return static_cast<std::int32_t>(now - when) >= 0;
}

}  // namespace

std::span<const std::string_view> IchargerDriver::modelList() {
    return kModels;
}

LineSettings IchargerDriver::lineSettings() {
    LineSettings line;
    line.baud = 9600;  // the slowest the charger offers; the port's rate is a charger setting
    line.writes = true;
    return line;
}

IchargerDriver::IchargerDriver(DriverContext& context, DriverSink& sink, Timing timing,
                               const DriverOptions& options)
    : context_(context), sink_(sink), timing_(timing), unasked_(!options.checkTimes) {}

IchargerDriver::Read IchargerDriver::makeRead(Step step, int channel) const {
    modbus::ReadRequest r;
    r.unit = timing_.unit;
    r.function = modbus::kReadInput;
    switch (step) {
        case Step::Info:
            r.start = icharger::kInfoBase;
            r.count = icharger::kInfoCount;
            break;
        case Step::StatusWords:
            r.start = icharger::kStatusWordBase;
            r.count = static_cast<std::uint16_t>(channelCount());
            break;
        case Step::BlockHead:
            r.start = icharger::kChannelBase[channel - 1];
            r.count = icharger::kMostPerRead;
            break;
        case Step::BlockTail:
            r.start = icharger::kChannelBase[channel - 1] + icharger::kMostPerRead;
            r.count = icharger::kChannelCount - icharger::kMostPerRead;
            break;
    }
    return {step, channel, r};
}

void IchargerDriver::queueCycle() {
    if (!info_) {
        queue_.push_back(makeRead(Step::Info, 0));
    }
    queue_.push_back(makeRead(Step::StatusWords, 0));
    for (int c = 1; c <= channelCount(); ++c) {
        queue_.push_back(makeRead(Step::BlockHead, c));
        queue_.push_back(makeRead(Step::BlockTail, c));
    }
}

DriverRequest IchargerDriver::send(std::uint32_t nowMs) {
    if (!sent_) {
        // What came before the first request answers none of ours.
        sent_ = true;
        unaskedDropped_ += unaskedBytes_.size();
        unaskedBytes_.clear();
    }
    Outstanding& o = *outstanding_;
    o.sentMs = nowMs;
    ++o.sends;
    assembler_.expect(o.read.request);
    return {modbus::encodeRead(o.read.request), o.read.channel, {}};
}

std::vector<DriverRequest> IchargerDriver::due(std::uint32_t nowMs) {
    lastNowMs_ = nowMs;
    if (unasked_) {
        return {};
    }
    if (outstanding_) {
        if (!reached(nowMs, outstanding_->sentMs + timing_.timeoutMs)) {
            return {};
        }
        ++timeouts_;
        assembler_.cancel();
        // While silent one send each: the next cycle asks again soon enough.
        if (answering_ && outstanding_->sends <= timing_.retries) {
            return {send(nowMs)};
        }
        outstanding_.reset();
        queue_.clear();
        nextCycleMs_ = nowMs + timing_.pollMs;
        if (answering_) {
            answering_ = false;
            sink_.event(DriverEvent::Silent, 0);
        }
    }
    if (queue_.empty()) {
        if (started_ && !reached(nowMs, nextCycleMs_)) {
            return {};
        }
        started_ = true;
        nextCycleMs_ = nowMs + timing_.pollMs;
        queueCycle();
    }
    outstanding_ = Outstanding{queue_.front(), nowMs, 0};
    queue_.pop_front();
    return {send(nowMs)};
}

std::optional<std::uint32_t> IchargerDriver::nextDueMs() const {
    if (unasked_) {
        return std::nullopt;
    }
    if (outstanding_) {
        return outstanding_->sentMs + timing_.timeoutMs;
    }
    if (!queue_.empty() || !started_) {
        return lastNowMs_;
    }
    return nextCycleMs_;
}

void IchargerDriver::feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) {
    if (unasked_ || !sent_) {
        // Answers before any request: a replay of what a charger sent.
        const std::uint64_t before = messages_;
        feedUnasked(bytes, timeMs);
        unasked_ = unasked_ || messages_ > before;
        return;
    }
    std::optional<modbus::Answer> answer = assembler_.feed(bytes, timeMs);
    if (!answer || !outstanding_) {
        return;
    }
    const Read read = outstanding_->read;
    outstanding_.reset();
    ++messages_;
    if (!answering_) {
        answering_ = true;
        sink_.event(DriverEvent::Answering, 0);
    }
    if (answer->exception) {
        exception(read, *answer, timeMs);
    } else {
        answered(read, *answer, timeMs);
    }
}

void IchargerDriver::answered(const Read& read, const modbus::Answer& answer,
                              std::uint32_t timeMs) {
    const std::vector<std::uint16_t>& regs = answer.registers;
    switch (read.step) {
        case Step::Info:
            info_ = icharger::decodeInfo(regs);
            break;
        case Step::StatusWords:
            for (std::size_t c = 0; c < regs.size() && c < channel_.size(); ++c) {
                channel_[c].statusWord = regs[c];
            }
            break;
        case Step::BlockHead: {
            Channel& ch = channel_[static_cast<std::size_t>(read.channel - 1)];
            std::copy(regs.begin(), regs.end(), ch.block.begin());
            if (read.channel == 2) {
                channels_ = 2;  // it has a second channel
            }
            break;
        }
        case Step::BlockTail: {
            Channel& ch = channel_[static_cast<std::size_t>(read.channel - 1)];
            std::copy(regs.begin(), regs.end(), ch.block.begin() + icharger::kMostPerRead);
            ch.haveBlock = true;
            deliver(read.channel, icharger::decodeChannel(ch.block, ch.statusWord), answer.frame,
                    timeMs);
            break;
        }
    }
}

void IchargerDriver::exception(const Read& read, const modbus::Answer& answer,
                               std::uint32_t timeMs) {
    if (read.step == Step::Info) {
        info_ = icharger::DeviceInfo{};  // not asked again
        ++exceptions_;
        return;
    }
    if (read.channel == 0) {
        ++exceptions_;
        return;
    }
    // What is left of this channel's block this cycle is not asked for.
    std::erase_if(queue_, [&](const Read& r) { return r.channel == read.channel; });
    if (read.channel == 2 && !channels_ && answer.exceptionCode == modbus::kIllegalAddress) {
        channels_ = 1;  // a charger of one channel has no second block
        return;
    }
    ++exceptions_;
    const Channel& ch = channel_[static_cast<std::size_t>(read.channel - 1)];
    Reading r = ch.haveBlock ? icharger::decodeChannel(ch.block, ch.statusWord) : Reading{};
    r.state = ChargeState::Error;
    r.stateText = "Modbus exception: " + std::string(modbus::exceptionName(answer.exceptionCode));
    r.errorCode = 256 + answer.exceptionCode;
    deliver(read.channel, r, answer.frame, timeMs);
}

void IchargerDriver::deliver(int channel, const Reading& decoded,
                             std::span<const std::uint8_t> frame, std::uint32_t timeMs) {
    Reading r = decoded;
    r.charger = std::string(kIchargerDriverId);
    r.channel = channel;
    r.elapsedMs = ticksBetween(context_.connectTicks(), timeMs);
    sink_.reading(r, frame);
}

// What the answer of `dataBytes` data bytes answers, coming after the last one.
std::optional<IchargerDriver::Read> IchargerDriver::readOfShape(std::size_t dataBytes) const {
    const int lastChannel = lastUnasked_ ? lastUnasked_->channel : 0;
    switch (dataBytes) {
        case 2 * icharger::kInfoCount:
            return makeRead(Step::Info, 0);
        case 2:
        case 4:
            return makeRead(Step::StatusWords, 0);
        case 2 * icharger::kMostPerRead:
            // Channel 1's block follows the status words; channel 2's, channel 1's.
            return makeRead(
                Step::BlockHead,
                lastUnasked_ && lastUnasked_->step == Step::BlockTail && lastChannel == 1 ? 2 : 1);
        case 2 * (icharger::kChannelCount - icharger::kMostPerRead):
            if (lastUnasked_ && lastUnasked_->step == Step::BlockHead) {
                return makeRead(Step::BlockTail, lastChannel);
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

void IchargerDriver::feedUnasked(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) {
    std::vector<std::uint8_t>& b = unaskedBytes_;
    b.insert(b.end(), bytes.begin(), bytes.end());
    std::size_t at = 0;
    while (b.size() - at >= 5) {
        const std::span<const std::uint8_t> rest(b.data() + at, b.size() - at);
        if (rest[0] == timing_.unit && rest[1] == (modbus::kReadInput | modbus::kExceptionBit) &&
            modbus::crcMatches(rest.first(5))) {
            ++exceptions_;
            ++messages_;
            at += 5;
            continue;
        }
        const std::optional<Read> read = rest[0] == timing_.unit && rest[1] == modbus::kReadInput
                                             ? readOfShape(rest[2])
                                             : std::nullopt;
        if (read) {
            const std::size_t size = 5 + rest[2];
            if (rest.size() < size) {
                break;  // the rest of it may come
            }
            if (modbus::crcMatches(rest.first(size))) {
                modbus::Answer answer;
                for (std::size_t k = 0; k < rest[2] / 2u; ++k) {
                    answer.registers.push_back(
                        static_cast<std::uint16_t>(rest[3 + 2 * k] << 8 | rest[4 + 2 * k]));
                }
                answer.frame.assign(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(size));
                lastUnasked_ = read;
                ++messages_;
                answered(*read, answer, timeMs);
                at += size;
                continue;
            }
        }
        ++unaskedDropped_;
        ++at;
    }
    b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

void IchargerDriver::endOfInput(std::uint32_t /*timeMs*/) {
    unaskedDropped_ += unaskedBytes_.size();
    unaskedBytes_.clear();
}

DriverCounts IchargerDriver::counts() const {
    DriverCounts c;
    c.messages = messages_;
    c.bytesDropped = assembler_.bytesDropped() + unaskedDropped_;
    c.bytesUnframed = assembler_.bytesWaiting() + unaskedBytes_.size();
    return c;
}

}  // namespace cellwatch
