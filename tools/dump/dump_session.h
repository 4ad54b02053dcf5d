// Decodes a captured serial byte stream into one text line per message, with
// the same receive path and decoders as the program. The input counts as
// already waiting in full. While it goes on, a message is framed as on a
// live line (a 76-byte one once 111 bytes follow its start byte); at its end
// (finish) the last 76-byte message is framed as the next message's bytes
// would have framed it, and a message cut off is not decoded. There is no
// freshness check; the capacity roll-over uses the largest capacity of the
// earlier non-idle messages of the same input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "protocol/status_decoder.h"
#include "protocol/byte_source.h"
#include "protocol/receive_assembler.h"

namespace cellwatch {

struct DumpSummary {
    std::uint64_t messages76 = 0;
    std::uint64_t messages112 = 0;
    std::uint64_t idleMessages = 0;
    std::uint64_t bytesDropped = 0;   // dropped one by one while hunting
    std::uint64_t bytesUnframed = 0;  // left at the end: a started frame and what waits after it
};

std::string summaryText(const DumpSummary& summary);

class DumpSession final : private DecoderHost {
public:
    // Lines go to `out`, each ending in '\n'.
    explicit DumpSession(std::FILE* out);

    // Adds bytes read from the input and decodes every message they complete.
    void feed(std::span<const std::uint8_t> bytes);
    // The input has ended: decodes the last message if it is whole.
    void finish();
    DumpSummary summary() const;

private:
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return capacityMax_; }
    void showIdle() override {}
    void acceptSample(StatusSample& sample) override;
    void sampleDecoded(const StatusSample& sample, FrameLayout layout) override;

    std::FILE* out_;
    ManualTickClock clock_;
    StatusDecoder decoder_;
    ReceiveAssembler assembler_;
    BufferByteSource input_;
    Decimal capacityMax_;  // over earlier non-idle messages; 0 before the first
    DumpSummary counts_;
    std::string line_;
};

}  // namespace cellwatch
