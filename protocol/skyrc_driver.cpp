#include "protocol/skyrc_driver.h"

#include <algorithm>

namespace cellwatch {

namespace {

constexpr std::array<std::string_view, 14> kModels = {
    "T1000", "Q200neo", "Q200",   "Q200 V2", "D100", "D200S",  "D200 NEX",
    "D260",  "B6 nano", "B6 EVO", "B6 NAX",  "ACC6", "NC2200", "D200 NEX metal"};

constexpr SkyrcModel kCodes[] = {
    {"100104", "Q200", 4},    {"100131", "D100", 2},           {"100132", "ACC6 / D100", 4},
    {"100134", "B6 nano", 1}, {"100146", "D200S", 2},          {"100158", "Q200 V2", 4},
    {"100168", "B6 EVO", 1},  {"100174", "B6 NAX", 4},         {"100175", "D260", 2},
    {"100181", "NC2200", 4},  {"100182", "T1000", 4},          {"100196", "D200 NEX", 2},
    {"100197", "Q200neo", 4}, {"100203", "D200 NEX metal", 4},
};

// The device query's argument, as the maker's app sends it.
constexpr std::array<std::uint8_t, 17> kDeviceArgs = {
    0x00, 0x45, 0x98, 0xC7, 0x4F, 0x23, 0xDC, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Bytes of a status answer: d0 mask .. d25 the sixth cell's low byte.
constexpr std::size_t kStatusBytes = 26;
constexpr std::size_t kProgramBytes = 10;
constexpr std::size_t kDeviceBytes = 14;

constexpr std::string_view kBatteryTypes[] = {"LiPo", "LiIon", "LiFe", "LiHV",
                                              "NiMH", "NiCd",  "Pb",   "Pb AGM"};
constexpr Chemistry kChemistries[] = {Chemistry::LiPo, Chemistry::LiIon, Chemistry::LiFe,
                                      Chemistry::LiHV, Chemistry::NiMH,  Chemistry::NiCd,
                                      Chemistry::Pb,   Chemistry::Pb};

enum class Way { Charge, Discharge, Storage, Either };
struct Program {
    std::string_view name;
    Way way;
};
// By chemistry family: lithium, nickel, lead.
constexpr Program kLithiumPrograms[] = {{"balance charge", Way::Charge},
                                        {"charge", Way::Charge},
                                        {"discharge", Way::Discharge},
                                        {"storage", Way::Storage},
                                        {"fast charge", Way::Charge}};
constexpr Program kNickelPrograms[] = {{"charge", Way::Charge},
                                       {"auto charge", Way::Charge},
                                       {"discharge", Way::Discharge},
                                       {"re-peak", Way::Charge},
                                       {"cycle", Way::Either}};
constexpr Program kLeadPrograms[] = {{"charge", Way::Charge}, {"discharge", Way::Discharge}};

std::optional<Program> programOf(std::uint8_t type, std::uint8_t program) {
    const std::span<const Program> list = type <= 3   ? std::span<const Program>(kLithiumPrograms)
                                          : type <= 5 ? std::span<const Program>(kNickelPrograms)
                                                      : std::span<const Program>(kLeadPrograms);
    if (program < list.size()) {
        return list[program];
    }
    return std::nullopt;
}

// Error codes of an error state, system and charge errors alike.
std::string errorText(int code) {
    static constexpr std::string_view kTexts[] = {
        "no error",
        "internal temperature too high",
        "external temperature too high",
        "DC input too low",
        "DC input too high",
        "over time limit",
        "over capacity limit",
        "reverse polarity",
        "control fail",
        "break down",
        "input fail",
        "connection break",
        "cell voltage invalid",
        "balance connector error",
        "no battery",
        "cell count incorrect",
        "connection error, check main port",
        "battery was full",
        "no charge needed",
        "cell voltage too high",
        "connection break",
        "connection break",
        "connection break",
        "battery error",
    };
    if (code >= 0 && static_cast<std::size_t>(code) < std::size(kTexts)) {
        return std::string(kTexts[code]);
    }
    return "charge error " + std::to_string(code);
}

std::uint16_t be16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>((d[at] << 8) | d[at + 1]);
}

// The channel of a mask with one bit set (A 0x01 .. D 0x08); 0 for any other.
int channelOfMask(std::uint8_t mask) {
    for (int c = 1; c <= SkyrcDriver::kMostChannels; ++c) {
        if (mask == (1U << (c - 1))) {
            return c;
        }
    }
    return 0;
}

}  // namespace

const SkyrcModel* skyrcModelOfCode(std::string_view code) {
    for (const SkyrcModel& m : kCodes) {
        if (m.code == code) {
            return &m;
        }
    }
    return nullptr;
}

std::span<const std::string_view> SkyrcDriver::modelList() {
    return kModels;
}

SkyrcDriver::SkyrcDriver(DriverContext& context, DriverSink& sink, const DriverOptions& options)
    : context_(context), sink_(sink), options_(options) {}

void SkyrcDriver::feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) {
    lastMs_ = timeMs;
    for (const skyrc::Frame& f : reader_.add(bytes, timeMs, options_.checkTimes)) {
        take(f, timeMs);
    }
}

void SkyrcDriver::endOfInput(std::uint32_t timeMs) {
    lastMs_ = timeMs;
}

DriverCounts SkyrcDriver::counts() const {
    return {messages_, reader_.bytesDropped(), reader_.waiting()};
}

void SkyrcDriver::take(const skyrc::Frame& f, std::uint32_t timeMs) {
    ++messages_;
    // A file read whole, or a recording's bytes, have no requests to go by.
    if (options_.checkTimes && asking_ && !awaited(f)) {
        ++unawaited_;
        return;
    }
    answered(f);
    switch (f.command) {
        case skyrc::kStatus:
            readStatus(f, timeMs);
            return;
        case skyrc::kProgram:
            readProgram(f);
            return;
        case skyrc::kDeviceInfo:
            readDevice(f);
            return;
        default:
            ++ignored_;  // start/stop acks, settings: nothing to show
    }
}

// Whether the frame answers the request out.
bool SkyrcDriver::awaited(const skyrc::Frame& f) const {
    if (!pending_ || pending_->command != f.command) {
        return false;
    }
    return pending_->channel == 0 ||
           (!f.data.empty() && channelOfMask(f.data[0]) == pending_->channel);
}

// Any good frame shows the charger is there; the one asked for frees the line.
void SkyrcDriver::answered(const skyrc::Frame& f) {
    missesInRow_ = 0;
    if (!answering_) {
        answering_ = true;
        sink_.event(DriverEvent::Answering, 0);
        // Back from a silence every channel is asked at its pace again.
        for (Channel& ch : slots_) {
            ch.misses = 0;
            ch.roundsSkipped = 0;
        }
    }
    if (!pending_ || pending_->command != f.command) {
        return;
    }
    const int channel = f.data.empty() ? 0 : channelOfMask(f.data[0]);
    if (pending_->channel == 0 || pending_->channel == channel) {
        if (pending_->channel > 0) {
            slots_[static_cast<std::size_t>(pending_->channel - 1)].misses = 0;
        }
        pending_.reset();
    }
}

void SkyrcDriver::missed() {
    if (pending_->channel > 0) {
        ++slots_[static_cast<std::size_t>(pending_->channel - 1)].misses;
    }
    pending_.reset();
    if (++missesInRow_ >= kMissesForSilent && answering_) {
        answering_ = false;
        sink_.event(DriverEvent::Silent, 0);
    }
}

void SkyrcDriver::startRound(std::uint32_t nowMs) {
    roundStartMs_ = nowMs;
    queue_.clear();
    for (int c = 1; c <= channels_; ++c) {
        Channel& ch = slots_[static_cast<std::size_t>(c - 1)];
        // A channel that stopped answering is asked now and then only.
        if (ch.misses >= kMissesForSilent && ++ch.roundsSkipped < kQuietRounds) {
            continue;
        }
        ch.roundsSkipped = 0;
        if (!ch.passcodeRejected &&
            (!ch.programAskedMs || nowMs - *ch.programAskedMs >= kProgramEveryMs)) {
            ch.programAskedMs = nowMs;
            queue_.emplace_back(skyrc::kProgram, c);
        }
        queue_.emplace_back(skyrc::kStatus, c);
    }
    std::reverse(queue_.begin(), queue_.end());  // taken from the back
}

std::vector<DriverRequest> SkyrcDriver::due(std::uint32_t nowMs) {
    lastMs_ = nowMs;
    std::vector<DriverRequest> out;
    if (pending_) {
        if (nowMs - pending_->sentMs < kAnswerMs) {
            return out;  // one request out at a time
        }
        missed();
    }
    if (!started_) {
        started_ = true;
        roundStartMs_ = nowMs - kRoundMs;
    }
    if (!deviceKnown_ && deviceTries_ < 2) {
        ++deviceTries_;
        out.push_back(request(skyrc::kDeviceInfo, 0));
        pending_ = Pending{skyrc::kDeviceInfo, 0, nowMs};
        return out;
    }
    if (queue_.empty() && nowMs - roundStartMs_ >= kRoundMs) {
        startRound(nowMs);
    }
    if (!queue_.empty()) {
        const auto [command, channel] = queue_.back();
        queue_.pop_back();
        out.push_back(request(command, channel));
        pending_ = Pending{command, channel, nowMs};
    }
    return out;
}

std::optional<std::uint32_t> SkyrcDriver::nextDueMs() const {
    if (pending_) {
        return pending_->sentMs + kAnswerMs;
    }
    if (!started_ || !queue_.empty() || (!deviceKnown_ && deviceTries_ < 2)) {
        return lastMs_;
    }
    return roundStartMs_ + kRoundMs;
}

DriverRequest SkyrcDriver::request(std::uint8_t command, int channel) {
    DriverRequest r;
    r.channel = channel;
    r.target = kSkyrcWriteCharacteristic;
    const auto mask = static_cast<std::uint8_t>(channel > 0 ? 1U << (channel - 1) : 0U);
    if (command == skyrc::kDeviceInfo) {
        r.bytes = skyrc::makeFrame(command, kDeviceArgs);
    } else if (command == skyrc::kProgram) {
        const std::array<std::uint8_t, 5> args = {mask, passcode_[0], passcode_[1], passcode_[2],
                                                  passcode_[3]};
        r.bytes = skyrc::makeFrame(command, args);
    } else {
        const std::array<std::uint8_t, 1> args = {mask};
        r.bytes = skyrc::makeFrame(command, args);
    }
    return r;
}

void SkyrcDriver::readDevice(const skyrc::Frame& f) {
    if (f.data.size() < kDeviceBytes) {
        ++ignored_;
        return;
    }
    deviceKnown_ = true;
    const std::string code(f.data.begin() + 1, f.data.begin() + 7);
    if (const SkyrcModel* m = skyrcModelOfCode(code)) {
        model_ = m->name;
        channels_ = m->channels;
    } else {
        model_ = "product " + code;
    }
    firmware_ = std::to_string(f.data[12]) + '.' + (f.data[13] < 10 ? "0" : "") +
                std::to_string(f.data[13]);
}

void SkyrcDriver::readProgram(const skyrc::Frame& f) {
    const int c = f.data.empty() ? 0 : channelOfMask(f.data[0]);
    if (f.data.size() < kProgramBytes || c == 0) {
        ++ignored_;
        return;
    }
    Channel& ch = slots_[static_cast<std::size_t>(c - 1)];
    // A rejected passcode leaves the other bytes meaningless.
    if (f.data[9] == 0) {
        ch.passcodeRejected = true;
        return;
    }
    ch.batteryType = f.data[2];
    ch.program = f.data[4];
}

void SkyrcDriver::readStatus(const skyrc::Frame& f, std::uint32_t timeMs) {
    const int c = f.data.empty() ? 0 : channelOfMask(f.data[0]);
    if (f.data.size() < kStatusBytes || c == 0) {
        ++ignored_;
        return;
    }
    const std::span<const std::uint8_t> d = f.data;
    Channel& ch = slots_[static_cast<std::size_t>(c - 1)];
    Reading r;
    r.charger = kSkyrcDriverId;
    r.channel = c;
    r.elapsedMs = timeMs - context_.connectTicks();

    if (ch.batteryType && *ch.batteryType < std::size(kChemistries)) {
        r.chemistry = kChemistries[*ch.batteryType];
        r.chemistryText = kBatteryTypes[*ch.batteryType];
    }
    const std::optional<Program> program =
        ch.batteryType && ch.program ? programOf(*ch.batteryType, *ch.program) : std::nullopt;

    const std::uint8_t state = d[1];
    // Measurements mean something while working and when done only.
    const bool measured = state == 0x01 || state == 0x03;
    const std::uint16_t mv = be16(d, 6);
    const std::uint16_t ma = be16(d, 8);
    if (measured) {
        r.capacity = Decimal::fromInt(be16(d, 2));
        r.voltage = Decimal::fromThousandths(mv == 0xFFFF ? 0 : mv);
        r.current = Decimal::fromThousandths(ma == 0xFFFF ? 0 : ma);
        if (d[10] != 0) {  // 0: no probe
            r.extTemperature = Decimal::fromInt(static_cast<std::int8_t>(d[10]));
        }
        r.intTemperature = Decimal::fromInt(static_cast<std::int8_t>(d[11]));
        if (const std::uint16_t mohm = be16(d, 12); mohm != 0) {
            r.packResistance = Decimal::fromInt(mohm);
        }
    }
    // Six cells; two more on longer answers, where a T1000 puts other bytes
    // (00 00 00 00 01 00): only a plausible cell voltage counts as a cell.
    r.cellCount = 6;
    for (std::size_t k = 0; k < 8; ++k) {
        const std::size_t at = 14 + 2 * k;
        if (at + 1 >= d.size()) {
            break;
        }
        const std::uint16_t cell = be16(d, at);
        if (k >= 6) {
            if (cell < 500 || cell > 5000) {
                break;
            }
            r.cellCount = static_cast<int>(k) + 1;
        }
        r.cells[k] = Decimal::fromThousandths(cell);
    }

    switch (state) {
        case 0x01: {
            // One "working" state for both ways: the program tells the way; a
            // program that goes either way is told by the pack voltage's trend.
            const Way way = program ? program->way : Way::Charge;
            const std::int64_t now = mv == 0xFFFF ? 0 : mv;
            if (ch.anchorMv < 0) {
                ch.anchorMv = now;
            } else if (now + 10 <= ch.anchorMv || now >= ch.anchorMv + 10) {
                ch.falling = now < ch.anchorMv;
                ch.anchorMv = now;
            }
            const bool discharging = way == Way::Discharge ||
                                     ((way == Way::Storage || way == Way::Either) && ch.falling);
            r.state = way == Way::Storage ? ChargeState::Storage
                      : discharging       ? ChargeState::Discharging
                                          : ChargeState::Charging;
            if (discharging) {
                r.current = -r.current;
            }
            r.stateText = program ? std::string(program->name) : "working";
            break;
        }
        case 0x03:
            r.state = ChargeState::Done;
            r.stateText = "done";
            break;
        case 0x04: {
            // d2 a system error, d3 a charge error, in one list of codes.
            const int code = d[2] != 0 ? d[2] : d[3];
            r.state = ChargeState::Error;
            r.errorCode = code;
            r.stateText = "error: " + errorText(code);
            break;
        }
        case 0x05:
            r.stateText = "ready";
            break;
        case 0x06:
            r.stateText = "standby";
            break;
        case 0x07:
            r.stateText = "DC power supply";
            break;
        case 0x02:
            r.stateText = "idle";
            break;
        default:
            r.stateText = "state " + std::to_string(state);
    }
    if (r.state != ChargeState::Charging && r.state != ChargeState::Discharging &&
        r.state != ChargeState::Storage) {
        ch.anchorMv = -1;
    }
    sink_.reading(r, f.bytes);
}

}  // namespace cellwatch
