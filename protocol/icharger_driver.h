// Junsi's iCharger chargers (DUO, X and S series) over their serial Modbus
// RTU port: a polled driver that only reads.
//
// It reads the device-info input registers once (model code, serial,
// firmware and hardware versions), then, each poll period, the channels'
// status words and each channel's status block (two reads of at most 30
// registers: Junsi's limit per frame). A one-channel model refuses the
// second channel's block with an illegal-address exception, which is how
// the channel count is learnt (the device info has no register for it).
//
// An unanswered read is sent again after the time-out; after the retries
// run out the charger is told Silent, and Answering when it answers again.
// A Modbus exception is an answer: the channel's reading comes in the
// Error state with errorCode 256 + the exception code (the charger's own
// error codes are below 256).
//
// Fed from a file (DriverOptions::checkTimes false: a dump of what the
// charger sent, with no requests), or given an answer before it asked
// anything (a replay of a capture), it asks nothing and takes each answer by
// its shape: the device info, the status words, then each channel's two
// block reads in the order the driver polls them.
//
// Register values are the charger's packed little-endian structs sent one
// 16-bit register at a time: 32-bit values come low word first, and byte
// arrays (the serial text, the balance flags) come swapped in pairs.
#pragma once

#include <array>
#include <deque>
#include <optional>
#include <string>

#include "protocol/charger_driver.h"
#include "protocol/modbus_rtu.h"

namespace cellwatch {

inline constexpr std::string_view kIchargerDriverId = "icharger";

namespace icharger {

inline constexpr std::uint16_t kInfoBase = 0x0000;
inline constexpr std::uint16_t kInfoCount = 13;
inline constexpr std::uint16_t kStatusWordBase = 0x000B;  // channel 1, then channel 2
inline constexpr std::uint16_t kChannelBase[2] = {0x0100, 0x0200};
inline constexpr std::uint16_t kChannelCount = 58;  // registers of a status block read here
inline constexpr std::uint16_t kMostPerRead = 30;

// Register offsets in a channel's status block.
enum ChannelRegister : std::uint16_t {
    kTimeMs = 0,       // u32
    kPowerMw = 2,      // u32
    kCurrent10mA = 4,  // s16
    kInputMv = 5,      // u16
    kPackMv = 6,       // u16
    kCapacityMah = 7,  // s32
    kIntTemp = 9,      // s16, 0.1 °C
    kExtTemp = 10,     // s16, 0.1 °C
    kCellMv = 11,      // u16[16]
    kBalance = 27,     // u8[16], pair-swapped
    kCellIr = 35,      // u16[16], 0.1 mΩ
    kPackIr = 51,      // 0.1 mΩ
    kLineIr = 52,      // 0.1 mΩ
    kCycle = 53,
    kControlStatus = 54,
    kRunStatus = 55,
    kErrorWord = 56,  // high byte: the error code
    kDialogBox = 57,
};

// Bits of a channel's status word.
inline constexpr std::uint16_t kStatusRun = 0x01;
inline constexpr std::uint16_t kStatusError = 0x02;
inline constexpr std::uint16_t kStatusBalance = 0x40;

// Run status values (the charger's own log states).
enum RunStatus : std::uint16_t {
    kRunNormal = 0,
    kRunCharge = 1,
    kRunDischarge = 2,
    kRunMonitor = 3,
    kRunPause = 4,
    kRunPrecharge = 5,
    kRunDone = 6,
    kRunError = 7,
    kRunTrickle = 8,
    kRunBalanceOnly = 9,
    kRunInfo = 11,
    kRunDigitalPower = 30,
};

inline constexpr std::uint16_t kAbsentCellMv = 1024;  // what an unused cell slot reads
inline constexpr std::int16_t kNoProbe = 0x7FFF;

// The charger's name for an error code ("temperature over"); "" beyond the list.
std::string_view errorName(int code);

struct DeviceInfo {
    std::uint16_t deviceId = 0;
    std::string serial;
    std::uint16_t firmware = 0;
    std::uint16_t hardware = 0;
};

// One channel's status block and status word decoded to a Reading (the
// charger, channel and times left for the caller).
Reading decodeChannel(std::span<const std::uint16_t, kChannelCount> block,
                      std::uint16_t statusWord);
// The device-info block (at least 9 registers).
DeviceInfo decodeInfo(std::span<const std::uint16_t> block);

}  // namespace icharger

class IchargerDriver final : public ChargerDriver {
public:
    struct Timing {
        std::uint32_t pollMs = 500;     // from one poll of every channel to the next
        std::uint32_t timeoutMs = 500;  // for each answer
        int retries = 3;                // sends of an unanswered read after the first
        std::uint8_t unit = 1;          // the charger's Modbus address
    };

    IchargerDriver(DriverContext& context, DriverSink& sink, Timing timing,
                   const DriverOptions& options = {});
    IchargerDriver(DriverContext& context, DriverSink& sink, const DriverOptions& options = {})
        : IchargerDriver(context, sink, Timing{}, options) {}

    std::string_view id() const override { return kIchargerDriverId; }
    std::string_view maker() const override { return "Junsi"; }
    std::span<const std::string_view> models() const override { return modelList(); }
    LineSettings line() const override { return lineSettings(); }
    int channelCount() const override { return channels_.value_or(2); }

    void feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) override;
    void endOfInput(std::uint32_t timeMs) override;
    std::vector<DriverRequest> due(std::uint32_t nowMs) override;
    std::optional<std::uint32_t> nextDueMs() const override;
    bool answering() const override { return answering_; }
    DriverCounts counts() const override;

    // Known once the device info was read.
    const std::optional<icharger::DeviceInfo>& deviceInfo() const { return info_; }
    std::uint64_t exceptions() const { return exceptions_; }
    std::uint64_t timeouts() const { return timeouts_; }

    static std::span<const std::string_view> modelList();
    static LineSettings lineSettings();

private:
    enum class Step : std::uint8_t { Info, StatusWords, BlockHead, BlockTail };
    struct Read {
        Step step;
        int channel;  // 1-based; 0 for the charger as a whole
        modbus::ReadRequest request;
    };
    struct Outstanding {
        Read read;
        std::uint32_t sentMs = 0;
        int sends = 0;
    };
    struct Channel {
        std::array<std::uint16_t, icharger::kChannelCount> block{};
        std::uint16_t statusWord = 0;
        bool haveBlock = false;
    };

    void queueCycle();
    Read makeRead(Step step, int channel) const;
    DriverRequest send(std::uint32_t nowMs);
    void answered(const Read& read, const modbus::Answer& answer, std::uint32_t timeMs);
    void exception(const Read& read, const modbus::Answer& answer, std::uint32_t timeMs);
    void deliver(int channel, const Reading& reading, std::span<const std::uint8_t> frame,
                 std::uint32_t timeMs);
    void feedUnasked(std::span<const std::uint8_t> bytes, std::uint32_t timeMs);
    std::optional<Read> readOfShape(std::size_t dataBytes) const;

    DriverContext& context_;
    DriverSink& sink_;
    Timing timing_;
    modbus::AnswerAssembler assembler_;
    bool unasked_ = false;  // fed from a file or a replay: answers without requests
    bool sent_ = false;
    std::vector<std::uint8_t> unaskedBytes_;
    std::uint64_t unaskedDropped_ = 0;
    std::optional<Read> lastUnasked_;
    std::deque<Read> queue_;
    std::optional<Outstanding> outstanding_;
    std::optional<icharger::DeviceInfo> info_;
    std::optional<int> channels_;
    std::array<Channel, 2> channel_{};
    bool started_ = false;
    bool answering_ = true;
    std::uint32_t lastNowMs_ = 0;
    std::uint32_t nextCycleMs_ = 0;
    std::uint64_t messages_ = 0;
    std::uint64_t exceptions_ = 0;
    std::uint64_t timeouts_ = 0;
};

}  // namespace cellwatch
