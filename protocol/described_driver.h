// The driver of a charger told by a description: frames text lines or
// binary frames as the description says, checks their checksum and turns
// each message into a Reading. A polled charger is asked through due(), its
// requests sent every period; three periods without an answer make it
// Silent.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "protocol/charger_description.h"
#include "protocol/described_values.h"
#include "protocol/driver_registry.h"

namespace cellwatch {

class DescribedDriver final : public ChargerDriver {
public:
    DescribedDriver(std::shared_ptr<const ChargerDescription> description, DriverContext& context,
                    DriverSink& sink, const DriverOptions& options = {});

    std::string_view id() const override { return d_->id; }
    std::string_view maker() const override { return d_->maker; }
    std::span<const std::string_view> models() const override { return models_; }
    LineSettings line() const override { return d_->line; }
    int channelCount() const override { return d_->channels; }

    void feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) override;
    void endOfInput(std::uint32_t timeMs) override;
    std::vector<DriverRequest> due(std::uint32_t nowMs) override;
    std::optional<std::uint32_t> nextDueMs() const override;
    bool answering() const override { return answering_; }
    DriverCounts counts() const override;

    using Values = DescribedValues;

private:
    // One header-described column (the stream's own names and units).
    struct HeaderColumn {
        ReadingPart part = ReadingPart::Skip;
        int cell = 0;
        double scale = 1.0;
    };
    struct HeaderChannel {
        std::vector<HeaderColumn> columns;
        std::vector<double> factors;
        bool hex = false;
        int timeItem = -1;  // the item that holds a time, not a column
    };

    void textByte(std::uint8_t byte, std::uint32_t timeMs);
    void textLine(std::uint32_t timeMs);
    bool decodeColumns(std::string_view body, Values& v) const;
    bool headerLine(std::string_view body, Values& v);
    void binaryFrames(std::uint32_t timeMs);
    bool decodeFrame(std::span<const std::uint8_t> frame, Values& v) const;
    bool takeText(const DescribedField& f, std::string_view item, Values& v,
                  std::int64_t rawFactor) const;
    void emit(Values& v, std::span<const std::uint8_t> message, std::uint32_t timeMs);

    std::shared_ptr<const ChargerDescription> d_;
    std::vector<std::string_view> models_;
    std::vector<std::int64_t> rawFactors_;  // per field: whole numbers × this = raw Decimal
    DriverContext& context_;
    DriverSink& sink_;

    std::string line_;
    bool overlong_ = false;
    bool header_ = false;  // the last line was a header
    std::vector<std::uint8_t> buffer_;
    std::vector<HeaderChannel> headers_;
    int headerChannel_ = 1;

    std::deque<int> asked_;  // channels polled and not yet answered, in order
    std::optional<std::uint32_t> nextPoll_;
    bool answeredSincePoll_ = true;
    int missedPolls_ = 0;
    bool answering_ = true;

    DriverCounts counts_;
    Reading reading_;
};

// A registry entry that makes DescribedDrivers of `description`.
DriverEntry describedDriverEntry(std::shared_ptr<const ChargerDescription> description);

}  // namespace cellwatch
