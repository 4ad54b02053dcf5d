#include "tools/dump/dump_session.h"

#include "protocol/sample_text.h"

namespace cellwatch {

std::string summaryText(const DumpSummary& s) {
    return "cellwatch-dump: " + std::to_string(s.messages76) + " messages of 76 bytes, " +
           std::to_string(s.messages112) + " of 112 bytes (" + std::to_string(s.idleMessages) +
           " idle); " + std::to_string(s.bytesDropped) + " bytes dropped while hunting, " +
           std::to_string(s.bytesUnframed) + " bytes left unframed";
}

DumpSession::DumpSession(std::FILE* out)
    : out_(out),
      decoder_(clock_, *this, StatusDecoder::Freshness::Ignored),
      assembler_(clock_, decoder_) {}

void DumpSession::feed(std::span<const std::uint8_t> bytes) {
    input_.feed(bytes);
    if (assembler_.hasWork(input_)) {
        assembler_.serviceReceived(input_);
    }
}

void DumpSession::finish() {
    assembler_.endOfInput(input_);
}

void DumpSession::acceptSample(StatusSample& sample) {
    if (sample.capacity > capacityMax_) {
        capacityMax_ = sample.capacity;
    }
}

void DumpSession::sampleDecoded(const StatusSample& sample, FrameLayout layout) {
    ++(layout == FrameLayout::Short76 ? counts_.messages76 : counts_.messages112);
    if (sample.isIdle()) {
        ++counts_.idleMessages;
    }
    line_ = dumpLine(sample, layout);
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), out_);
}

DumpSummary DumpSession::summary() const {
    DumpSummary s = counts_;
    s.bytesDropped = assembler_.bytesDropped();
    s.bytesUnframed =
        (assembler_.started() ? assembler_.pendingFrame().size() : 0) + input_.bytesWaiting();
    return s;
}

}  // namespace cellwatch
