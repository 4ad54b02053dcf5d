#include "tools/emulator/icharger_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace cellwatch::emulator {

namespace {

constexpr std::array<std::string_view, 11> kModels = {
    "308 DUO", "406 DUO", "4010 DUO", "456 DUO", "X6", "X8", "X12", "S6", "DX6", "DX8", "DX12",
};

constexpr std::uint16_t kInfoRegisters = 13;
constexpr std::uint16_t kBlockRegisters = 74;  // with the per-cell capacities of newer firmware
constexpr std::uint16_t kMostPerRead = 30;
constexpr std::uint16_t kAbsentCell = 1024;
constexpr std::uint16_t kChannelBase[2] = {0x0100, 0x0200};

constexpr std::uint16_t kStatusRun = 0x01;
constexpr std::uint16_t kStatusError = 0x02;
constexpr std::uint16_t kStatusCells = 0x20;
constexpr std::uint16_t kStatusBalance = 0x40;
constexpr int kTemperatureOver = 11;

struct Pack {
    int cells;
    double startMv;
    double mvPerSecond;
    double limitMv;
    int currentCentiAmps;  // negative: discharging
    int weakCell;          // 1-based; 0 for none
};

// Channel 1 charges a 6S LiPo with a weak fourth cell; channel 2
// discharges a 4S pack.
constexpr Pack kPacks[2] = {
    {6, 3700.0, 0.5, 4200.0, 500, 4},
    {4, 3950.0, -0.3, 3300.0, -200, 0},
};
constexpr double kWeakSagMv = 60.0;
constexpr std::uint16_t kCellIr = 30;      // 3.0 mΩ
constexpr std::uint16_t kWeakCellIr = 95;  // 9.5 mΩ

std::uint16_t low(std::int64_t v) {
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(v) & 0xFFFF);
}
std::uint16_t high(std::int64_t v) {
    return static_cast<std::uint16_t>((static_cast<std::uint64_t>(v) >> 16) & 0xFFFF);
}

}  // namespace

std::span<const std::string_view> ichargerModels() {
    return kModels;
}

bool isDuo(std::string_view model) {
    return model.find("DUO") != std::string_view::npos;
}

IchargerModel::IchargerModel(IchargerPlay play) : play_(std::move(play)) {
    const auto it = std::find(kModels.begin(), kModels.end(), play_.model);
    if (it == kModels.end()) {
        throw std::invalid_argument("unknown model '" + play_.model + "'");
    }
    channels_ = isDuo(play_.model) ? 2 : 1;
    // The emulator's own codes: Junsi's list of device ids is not public.
    deviceId_ = static_cast<std::uint16_t>(0x0100 + (it - kModels.begin()));
}

bool IchargerModel::inError(int channel, double seconds) const {
    return channel == 1 && play_.errorAfterSeconds && seconds >= *play_.errorAfterSeconds;
}

std::optional<std::uint16_t> IchargerModel::infoRegister(std::uint16_t offset) const {
    // "EMU0000001", pair-swapped as the charger's byte arrays are.
    static constexpr char kSerial[12] = {'E', 'M', 'U', '0', '0', '0', '0', '0', '0', '1', 0, 0};
    if (offset == 0) {
        return deviceId_;
    }
    if (offset >= 1 && offset <= 6) {
        const std::size_t at = (offset - 1) * 2u;
        return static_cast<std::uint16_t>(static_cast<unsigned char>(kSerial[at + 1]) << 8 |
                                          static_cast<unsigned char>(kSerial[at]));
    }
    switch (offset) {
        case 7:
            return 123;  // firmware
        case 8:
            return 10;  // hardware
        case 9:
            return 51;  // system block length
        case 10:
            return 64;  // memory length
        default:
            break;
    }
    return std::nullopt;
}

std::vector<std::uint16_t> IchargerModel::channelBlock(int channel, double seconds) const {
    std::vector<std::uint16_t> r(kBlockRegisters, 0);
    const Pack& p = kPacks[channel - 1];
    const bool error = inError(channel, seconds);
    const double t = error ? *play_.errorAfterSeconds : seconds;
    const double cellMv = std::clamp(p.startMv + p.mvPerSecond * t, std::min(p.startMv, p.limitMv),
                                     std::max(p.startMv, p.limitMv));
    const int current = error ? 0 : p.currentCentiAmps;
    std::int64_t packMv = 0;
    std::int64_t packIr = 0;
    for (int k = 0; k < 16; ++k) {
        std::uint16_t mv = kAbsentCell;
        std::uint16_t ir = 0;
        if (k < p.cells) {
            const bool weak = k + 1 == p.weakCell;
            mv = static_cast<std::uint16_t>(std::lround(cellMv - (weak ? kWeakSagMv : 0.0)));
            ir = weak ? kWeakCellIr : kCellIr;
            packMv += mv;
            packIr += ir;
        }
        r[11 + static_cast<std::size_t>(k)] = mv;
        r[35 + static_cast<std::size_t>(k)] = ir;
    }
    // Balance bytes, one a cell, pair-swapped: the cells above the weak one bleed.
    if (p.weakCell > 0 && current > 0) {
        for (int k = 0; k < p.cells; ++k) {
            if (k + 1 != p.weakCell) {
                const std::size_t reg = 27 + static_cast<std::size_t>(k) / 2;
                r[reg] |= static_cast<std::uint16_t>(k % 2 == 0 ? 0x0001 : 0x0100);
            }
        }
    }
    const auto ms = static_cast<std::int64_t>(t * 1000.0);
    r[0] = low(ms);
    r[1] = high(ms);
    const std::int64_t powerMw = packMv * std::abs(current) / 100;
    r[2] = low(powerMw);
    r[3] = high(powerMw);
    r[4] = static_cast<std::uint16_t>(static_cast<std::int16_t>(current));
    r[5] = 24000;  // input, mV
    r[6] = static_cast<std::uint16_t>(packMv);
    // Counted in mAh, negative while discharging.
    const auto mah = static_cast<std::int64_t>(p.currentCentiAmps * 10 * t / 3600.0);
    r[7] = low(mah);
    r[8] = high(mah);
    r[9] = static_cast<std::uint16_t>(352 + channel * 10);  // 36.2 °C, 37.2 °C
    r[10] = channel == 1 ? 245 : 0x7FFF;                    // channel 2 has no probe
    r[51] = static_cast<std::uint16_t>(packIr);
    r[52] = 12;  // the leads, 1.2 mΩ
    r[55] = error ? 7 : (p.currentCentiAmps > 0 ? 1 : 2);
    r[56] = error ? static_cast<std::uint16_t>(kTemperatureOver << 8) : 0;
    return r;
}

std::optional<std::uint16_t> IchargerModel::inputRegister(std::uint16_t address,
                                                          double seconds) const {
    if (address < kInfoRegisters) {
        if (address == 11 || address == 12) {
            const int channel = address - 10;
            if (channel > channels_) {
                return 0;
            }
            if (inError(channel, seconds)) {
                return kStatusError | kStatusCells;
            }
            const std::vector<std::uint16_t> b = channelBlock(channel, seconds);
            const bool balancing = b[27] != 0 || b[28] != 0 || b[29] != 0;
            return static_cast<std::uint16_t>(kStatusRun | kStatusCells |
                                              (balancing ? kStatusBalance : 0));
        }
        return infoRegister(address);
    }
    for (int c = 1; c <= channels_; ++c) {
        const std::uint16_t base = kChannelBase[c - 1];
        if (address >= base && address < base + kBlockRegisters) {
            return channelBlock(c, seconds)[address - base];
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> IchargerModel::answer(const modbus::ReadRequest& request,
                                                double seconds) const {
    if (request.unit != play_.unit ||
        (play_.stopAfterSeconds && seconds >= *play_.stopAfterSeconds)) {
        return {};
    }
    if (request.function != modbus::kReadInput && request.function != modbus::kReadHolding) {
        return modbus::encodeException(request.unit, request.function, 0x01);
    }
    if (request.count == 0 || request.count > kMostPerRead) {
        return modbus::encodeException(request.unit, request.function, 0x03);
    }
    std::vector<std::uint16_t> registers;
    registers.reserve(request.count);
    for (std::uint32_t a = request.start; a < request.start + request.count; ++a) {
        const std::optional<std::uint16_t> v =
            request.function == modbus::kReadInput && a <= 0xFFFF
                ? inputRegister(static_cast<std::uint16_t>(a), seconds)
                : std::nullopt;
        if (!v) {
            return modbus::encodeException(request.unit, request.function, modbus::kIllegalAddress);
        }
        registers.push_back(*v);
    }
    return modbus::encodeReadAnswer(request.unit, request.function, registers);
}

}  // namespace cellwatch::emulator
