// The ISDT chargers' Bluetooth LE messages (C4 Air, A4/A8 Air, NP2/LP2 Air,
// Air 8, K2 Air): every value little-endian. Requests go to one of two
// characteristics of service af00: af02 takes the bind handshake and the
// hardware-info query, af01 the polls. Answers come as notifications of
// the same characteristic; each is one whole message and says by its first
// bytes what it is, so a reader need not know which characteristic sent it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cellwatch::isdt {

inline constexpr std::string_view kPollCharacteristic = "0000af01-0000-1000-8000-00805f9b34fb";
inline constexpr std::string_view kBindCharacteristic = "0000af02-0000-1000-8000-00805f9b34fb";

inline constexpr std::uint8_t kHeader = 0x31;  // every af01 answer
inline constexpr std::uint8_t kBindReq = 0x18, kBindResp = 0x19;
inline constexpr std::uint8_t kInfoReq = 0xE0, kInfoResp = 0xE1;
inline constexpr std::uint8_t kWorkReq = 0xE6, kWorkResp = 0xE7;
inline constexpr std::uint8_t kElectricReq = 0xE4, kElectricResp = 0xE5;
inline constexpr std::uint8_t kIrReq = 0xFA, kIrResp = 0xFB;
inline constexpr std::uint8_t kAlarmResp = 0x93;

inline constexpr std::size_t kWorkBytes = 38;  // 39 with the parallel flag
inline constexpr std::size_t kBlockSlots = 8;  // the A8 Air's one answer for all slots
inline constexpr std::size_t kBlockSlotBytes = 25;
inline constexpr std::size_t kBlockBytes = 3 + kBlockSlots * kBlockSlotBytes;
inline constexpr std::size_t kMostCells = 16;

using ClientId = std::array<std::uint8_t, 16>;

// The requests, each one characteristic write. Slots count from 0.
std::vector<std::uint8_t> bindRequest(const ClientId& client);
std::vector<std::uint8_t> infoRequest();
std::vector<std::uint8_t> workRequest(int slot);
std::vector<std::uint8_t> electricRequest(int slot);
std::vector<std::uint8_t> irRequest(int slot);

struct WorkState {
    int slot = 0;
    std::uint8_t state = 0;
    std::uint8_t percent = 0;
    std::uint32_t capacityMah = 0;
    std::uint32_t energyMwh = 0;
    std::uint32_t periodMs = 0;
    std::uint8_t batteryType = 0;
    std::uint8_t cellsInSeries = 0;
    std::uint32_t currentMa = 0;
    std::uint16_t errorCode = 0;
    // Only in the A8 Air's block: its voltage and resistance (0.1 mΩ).
    std::optional<std::uint16_t> voltageMv;
    std::optional<std::uint16_t> resistanceTenthMohm;
};

struct Electric {
    int slot = 0;  // a device-wide answer (the A8 Air's) has no slot: -1
    std::uint32_t inputMv = 0;
    std::uint32_t inputMa = 0;
    std::optional<std::uint32_t> outputMv;
    std::optional<std::uint32_t> currentMa;
    std::vector<std::uint16_t> cellsMv;  // as many as the answer holds
};

struct Resistance {
    int slot = 0;
    std::vector<std::uint16_t> tenthMohm;  // 0 or 10000 and more: no cell
};

struct HardwareInfo {
    int hardwareMajor = 0, hardwareMinor = 0, firmwareMajor = 0, firmwareMinor = 0;
    std::string idText;  // the id as text when it is text ("C4Air"), else ""
    std::uint64_t serial = 0;
};

struct Message {
    enum class Kind { Unknown, Short, Bind, Info, Alarm, Work, Block, Electric, Resistance };
    Kind kind = Kind::Unknown;
    std::uint8_t bindResult = 0;
    HardwareInfo info;
    std::vector<WorkState> work;  // one, or eight from a block
    Electric electric;
    Resistance resistance;
};

// One notification value.
Message readMessage(std::span<const std::uint8_t> bytes);

}  // namespace cellwatch::isdt
