// ISDT chargers over Bluetooth LE (isdt_frames.h).
//
// What feed() takes: one notification value, of af01 or af02: a link
// delivers each notification in its own feed(). At the default MTU an answer
// comes in 20-byte pieces, which the driver joins. What due() returns: one
// characteristic write each, to the characteristic named in the request's
// target (af02: bind and hardware info; af01: the polls). One request is out
// at a time, 100 ms apart at least, as the chargers want.
//
// The conversation: bind with the client id (a charger that does not know
// the id yet waits up to a minute for a press of its button), the hardware
// query once (its id text names the model: the slot count and which of the
// two code maps it speaks), then rounds of work-state and electric polls for
// each slot, and the resistance poll every fifth round. The A8 Air answers
// the first work-state poll with all eight slots at once. A slot's reading
// goes out when its answers of the round are in: when the next slot's poll
// is sent or answered. Five unanswered requests in a row make the charger
// Silent; the chargers drop the link by themselves every few minutes, so a
// Silent charger is bound afresh when it comes back. An answer to no
// request out (one that came after its request's time-out, or a second
// time) tells of an earlier moment: it is not read and answers nothing.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "protocol/charger_driver.h"
#include "protocol/isdt_frames.h"

namespace cellwatch {

inline constexpr std::string_view kIsdtDriverId = "isdt";

class IsdtDriver final : public ChargerDriver {
public:
    static constexpr int kMostSlots = 8;
    static constexpr std::uint32_t kRoundMs = 1000;
    static constexpr std::uint32_t kSpacingMs = 100;
    static constexpr std::uint32_t kAnswerMs = 500;
    static constexpr std::uint32_t kHandshakeMs = 3000;
    static constexpr std::uint32_t kButtonMs = 60'000;  // bind waiting for a press
    static constexpr int kResistanceEvery = 5;
    static constexpr int kMissesForSilent = 5;
    static constexpr std::size_t kPieceBytes = 20;      // a notification at the default MTU
    static constexpr std::uint32_t kPieceWaitMs = 500;  // for the next piece

    IsdtDriver(DriverContext& context, DriverSink& sink, const DriverOptions& options = {});

    std::string_view id() const override { return kIsdtDriverId; }
    std::string_view maker() const override { return "ISDT"; }
    std::span<const std::string_view> models() const override { return modelList(); }
    LineSettings line() const override { return LineSettings{.writes = true}; }
    int channelCount() const override { return slots_; }

    void feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) override;
    void endOfInput(std::uint32_t timeMs) override;
    std::vector<DriverRequest> due(std::uint32_t nowMs) override;
    std::optional<std::uint32_t> nextDueMs() const override;
    bool answering() const override { return answering_; }
    void setAsking(bool asking) override { asking_ = asking; }
    DriverCounts counts() const override;

    // The id the charger remembers this client by: keep it from run to run.
    void setClientId(const isdt::ClientId& id) { client_ = id; }
    std::string_view model() const { return model_; }
    bool bound() const { return stage_ != Stage::Bind; }
    // Answers to no request out (late, or twice).
    std::uint64_t answersUnawaited() const { return unawaited_; }

    static std::span<const std::string_view> modelList();

private:
    enum class Stage { Bind, Info, Poll };
    struct Slot {
        std::optional<isdt::WorkState> work;  // of this round, not yet told
        std::optional<isdt::Electric> electric;
        std::optional<isdt::Resistance> resistance;
        std::vector<std::uint8_t> message;  // the answer the reading is told with
        std::uint32_t timeMs = 0;           // when its latest answer came
    };
    struct Pending {
        std::uint8_t answer = 0;
        int slot = -1;
        std::uint32_t sentMs = 0;
        std::uint32_t waitMs = 0;
    };

    void take(const isdt::Message& m, std::span<const std::uint8_t> bytes, std::uint32_t timeMs);
    void answered(std::uint8_t answer, int slot);
    bool awaited(const isdt::Message& m) const;
    void tell(int slot);
    void setModel(const std::string& idText);
    DriverRequest send(std::vector<std::uint8_t> bytes, std::string_view target,
                       std::uint8_t answer, int slot, std::uint32_t nowMs, std::uint32_t waitMs);
    Reading readingOf(int slot, const isdt::WorkState& w) const;

    DriverContext& context_;
    DriverSink& sink_;
    DriverOptions options_;
    isdt::ClientId client_{};
    std::string model_;
    int slots_ = 6;
    bool balanceCharger_ = false;  // which code map its states and types follow
    std::array<Slot, kMostSlots> slot_{};
    // The latest values seen, for a round whose answer is missing.
    std::array<std::optional<isdt::Electric>, kMostSlots> lastElectric_{};
    std::array<std::optional<isdt::Resistance>, kMostSlots> lastResistance_{};
    int open_ = -1;  // the slot whose answers come in now

    Stage stage_ = Stage::Bind;
    int infoTries_ = 0;
    std::optional<Pending> pending_;
    std::vector<std::pair<std::uint8_t, int>> queue_;  // this round's polls, from the back
    std::optional<std::uint32_t> roundStartMs_;
    std::uint32_t lastSentMs_ = 0;
    std::uint32_t lastMs_ = 0;
    int rounds_ = 0;
    int missesInRow_ = 0;
    bool answering_ = true;

    std::uint64_t messages_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t unawaited_ = 0;
    bool asking_ = false;             // answers are matched to the requests out
    std::vector<std::uint8_t> held_;  // the pieces of an answer so far
    std::uint32_t heldMs_ = 0;
};

}  // namespace cellwatch
