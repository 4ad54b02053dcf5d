// The register side of a Junsi iCharger for the emulator: a DUO with
// channel 1 charging a 6S LiPo (cell 4 weak: lower and of higher
// resistance) and channel 2 discharging a 4S pack, or a one-channel model
// charging the 6S pack. It answers Modbus RTU reads of its input registers
// as the charger does: the device info, the channel status words and each
// channel's status block; anything else gets the exception the charger
// gives.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/modbus_rtu.h"

namespace cellwatch::emulator {

struct IchargerPlay {
    std::string model = "4010 DUO";
    // Channel 1 stops with an error (temperature over) this many seconds in.
    std::optional<double> errorAfterSeconds;
    // The charger answers nothing from this many seconds in.
    std::optional<double> stopAfterSeconds;
    std::uint8_t unit = 1;
};

// The models the emulator plays, and whether it knows `model`.
std::span<const std::string_view> ichargerModels();
bool isDuo(std::string_view model);

class IchargerModel {
public:
    explicit IchargerModel(IchargerPlay play);

    int channels() const { return channels_; }
    // The answer to one request frame received `seconds` after the start;
    // nothing for a frame that is not a read for this unit, or once stopped.
    std::vector<std::uint8_t> answer(const modbus::ReadRequest& request, double seconds) const;
    // One input register at `seconds`; nothing where the charger has none.
    std::optional<std::uint16_t> inputRegister(std::uint16_t address, double seconds) const;

private:
    std::optional<std::uint16_t> infoRegister(std::uint16_t offset) const;
    std::vector<std::uint16_t> channelBlock(int channel, double seconds) const;
    bool inError(int channel, double seconds) const;

    IchargerPlay play_;
    int channels_ = 2;
    std::uint16_t deviceId_ = 0;
};

}  // namespace cellwatch::emulator
