// SkyRC "Charge Master" chargers (T1000 over USB HID; Q200neo and the
// other "neo" chargers over Bluetooth LE): the 0F frame of skyrc_frame.h.
//
// What feed() takes: one message as the link receives it, one 64-byte HID
// input report (without a report-id byte) or one BLE notification value of
// characteristic ffe1. A frame may span notifications; the reader joins
// them. What due() returns: one frame per request, to be written as one
// HID output report (the link zero-pads it to 64 bytes) or as one BLE write
// *without* response to ffe1 (a strict stack refuses an acknowledged write
// there). One request is out at a time.
//
// The conversation: the device query (0x57) once, for the product code that
// names the model and its channel count (the USB id tells nothing: every
// model shows 0000:0001); a charger that does not answer it (a Q200neo
// never does) is polled as one of four channels. Then every second, for
// each channel, the program query (0x5F, at the start and every 30 s) and
// the status poll (0x55). A channel that stops answering is asked only
// every tenth round, so that the others keep their pace; three unanswered
// requests in a row make the charger Silent. A frame that answers no
// request out (one that came after its request's time-out, or a second
// time) tells of an earlier moment: it is not read and answers nothing.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "protocol/charger_driver.h"
#include "protocol/skyrc_frame.h"

namespace cellwatch {

inline constexpr std::string_view kSkyrcDriverId = "skyrc";
inline constexpr std::string_view kSkyrcWriteCharacteristic =
    "0000ffe1-0000-1000-8000-00805f9b34fb";

// A model by the six-digit product code of its device answer.
struct SkyrcModel {
    std::string_view code;
    std::string_view name;
    int channels;
};
const SkyrcModel* skyrcModelOfCode(std::string_view code);

class SkyrcDriver final : public ChargerDriver {
public:
    static constexpr int kMostChannels = 4;
    static constexpr std::uint32_t kRoundMs = 1000;
    static constexpr std::uint32_t kAnswerMs = 1000;  // the readers' time-out
    static constexpr std::uint32_t kProgramEveryMs = 30'000;
    static constexpr int kMissesForSilent = 3;
    static constexpr int kQuietRounds = 10;

    SkyrcDriver(DriverContext& context, DriverSink& sink, const DriverOptions& options = {});

    std::string_view id() const override { return kSkyrcDriverId; }
    std::string_view maker() const override { return "SkyRC"; }
    std::span<const std::string_view> models() const override { return modelList(); }
    LineSettings line() const override { return LineSettings{.writes = true}; }
    int channelCount() const override { return channels_; }

    void feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) override;
    void endOfInput(std::uint32_t timeMs) override;
    std::vector<DriverRequest> due(std::uint32_t nowMs) override;
    std::optional<std::uint32_t> nextDueMs() const override;
    bool answering() const override { return answering_; }
    void setAsking(bool asking) override { asking_ = asking; }
    DriverCounts counts() const override;

    // The model its device answer named; empty before one.
    std::string_view model() const { return model_; }
    std::string_view firmware() const { return firmware_; }
    // Good frames of a command this driver does not read, or too short.
    std::uint64_t framesIgnored() const { return ignored_; }
    // Frames that answered no request out (late, or twice).
    std::uint64_t framesUnawaited() const { return unawaited_; }
    // The passcode sent with the program query ("0000" unless the charger
    // has one); a charger that rejects it is not asked again, since a wrong
    // code makes it show a prompt on its screen.
    void setPasscode(std::array<std::uint8_t, 4> digits) { passcode_ = digits; }

    static std::span<const std::string_view> modelList();

private:
    struct Channel {
        // From the program answer.
        std::optional<std::uint8_t> batteryType;
        std::optional<std::uint8_t> program;
        std::optional<std::uint32_t> programAskedMs;
        bool passcodeRejected = false;
        int misses = 0;  // unanswered requests in a row
        int roundsSkipped = 0;
        // For a program that may go either way: the pack voltage it last
        // moved from, and the way it moved.
        std::int64_t anchorMv = -1;
        bool falling = false;
    };
    struct Pending {
        std::uint8_t command = 0;
        int channel = 0;  // 0: the device query
        std::uint32_t sentMs = 0;
    };

    void take(const skyrc::Frame& frame, std::uint32_t timeMs);
    void answered(const skyrc::Frame& frame);
    bool awaited(const skyrc::Frame& frame) const;
    void missed();
    void startRound(std::uint32_t nowMs);
    void readDevice(const skyrc::Frame& frame);
    void readProgram(const skyrc::Frame& frame);
    void readStatus(const skyrc::Frame& frame, std::uint32_t timeMs);
    DriverRequest request(std::uint8_t command, int channel);

    DriverContext& context_;
    DriverSink& sink_;
    DriverOptions options_;
    skyrc::FrameReader reader_;
    std::array<Channel, kMostChannels> slots_{};
    int channels_ = kMostChannels;
    std::string model_;
    std::string firmware_;
    std::array<std::uint8_t, 4> passcode_{};

    // The conversation.
    bool started_ = false;
    int deviceTries_ = 0;
    bool deviceKnown_ = false;
    std::optional<Pending> pending_;
    std::vector<std::pair<std::uint8_t, int>> queue_;  // this round's requests
    std::uint32_t roundStartMs_ = 0;
    std::uint32_t lastMs_ = 0;
    int missesInRow_ = 0;
    bool answering_ = true;

    std::uint64_t messages_ = 0;
    std::uint64_t ignored_ = 0;
    std::uint64_t unawaited_ = 0;
    bool asking_ = false;  // answers are matched to the requests out
};

}  // namespace cellwatch
