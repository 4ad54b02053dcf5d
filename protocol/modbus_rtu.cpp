#include "protocol/modbus_rtu.h"

#include <array>

namespace cellwatch::modbus {

namespace {

void appendCrc(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

void appendWord(std::vector<std::uint8_t>& frame, std::uint16_t word) {
    frame.push_back(static_cast<std::uint8_t>(word >> 8));
    frame.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

std::uint16_t wordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

}  // namespace

std::uint16_t crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

bool crcMatches(std::span<const std::uint8_t> frame) {
    if (frame.size() < 3) {
        return false;
    }
    const std::uint16_t crc = crc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

std::vector<std::uint8_t> encodeRead(const ReadRequest& request) {
    std::vector<std::uint8_t> frame{request.unit, request.function};
    appendWord(frame, request.start);
    appendWord(frame, request.count);
    appendCrc(frame);
    return frame;
}

std::optional<ReadRequest> parseRead(std::span<const std::uint8_t> frame) {
    if (frame.size() < 8 || !crcMatches(frame.first(8))) {
        return std::nullopt;
    }
    ReadRequest r;
    r.unit = frame[0];
    r.function = frame[1];
    r.start = wordAt(frame, 2);
    r.count = wordAt(frame, 4);
    return r;
}

std::vector<std::uint8_t> encodeReadAnswer(std::uint8_t unit, std::uint8_t function,
                                           std::span<const std::uint16_t> registers) {
    std::vector<std::uint8_t> frame{unit, function,
                                    static_cast<std::uint8_t>(registers.size() * 2)};
    for (const std::uint16_t r : registers) {
        appendWord(frame, r);
    }
    appendCrc(frame);
    return frame;
}

std::vector<std::uint8_t> encodeException(std::uint8_t unit, std::uint8_t function,
                                          std::uint8_t code) {
    std::vector<std::uint8_t> frame{unit, static_cast<std::uint8_t>(function | kExceptionBit),
                                    code};
    appendCrc(frame);
    return frame;
}

std::string_view exceptionName(std::uint8_t code) {
    static constexpr std::array<std::string_view, 12> names = {
        "",
        "illegal function",
        "illegal data address",
        "illegal data value",
        "slave device failure",
        "acknowledge",
        "slave busy",
        "",
        "memory parity error",
        "",
        "gateway path failed",
        "gateway target failed",
    };
    if (code < names.size() && !names[code].empty()) {
        return names[code];
    }
    return "unknown exception";
}

void AnswerAssembler::expect(const ReadRequest& request) {
    dropAll();
    expected_ = request;
}

void AnswerAssembler::cancel() {
    dropAll();
    expected_.reset();
}

void AnswerAssembler::dropFront(std::size_t n) {
    dropped_ += n;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
}

void AnswerAssembler::dropAll() {
    dropFront(pending_.size());
}

std::optional<Answer> AnswerAssembler::feed(std::span<const std::uint8_t> bytes,
                                            std::uint32_t timeMs) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    if (!pending_.empty() && timeMs - lastByteMs_ > silenceMs_) {
        dropAll();  // a frame left unfinished: the line fell silent within it
    }
    lastByteMs_ = timeMs;
    if (!expected_) {
        dropped_ += bytes.size();
        return std::nullopt;
    }
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::optional<Answer> answer = scan();
    if (answer) {
        // The answer is taken; what follows it was not asked for.
        pending_.erase(pending_.begin(),
                       pending_.begin() + static_cast<std::ptrdiff_t>(answer->frame.size()));
        expected_.reset();
        dropAll();
    }
    return answer;
}

std::optional<Answer> AnswerAssembler::scan() {
    const ReadRequest& want = *expected_;
    const std::size_t dataBytes = static_cast<std::size_t>(want.count) * 2;
    while (pending_.size() >= 2) {
        const bool unitMatches = pending_[0] == want.unit;
        const std::span<const std::uint8_t> waiting(pending_);
        if (unitMatches && pending_[1] == (want.function | kExceptionBit)) {
            if (pending_.size() < 5) {
                return std::nullopt;
            }
            if (crcMatches(waiting.first(5))) {
                Answer a;
                a.exception = true;
                a.exceptionCode = pending_[2];
                a.frame.assign(pending_.begin(), pending_.begin() + 5);
                return a;
            }
            ++crcErrors_;
        } else if (unitMatches && pending_[1] == want.function) {
            if (pending_.size() < 3) {
                return std::nullopt;
            }
            if (pending_[2] == dataBytes) {
                if (pending_.size() < 5 + dataBytes) {
                    return std::nullopt;
                }
                const std::span<const std::uint8_t> frame = waiting.first(5 + dataBytes);
                if (crcMatches(frame)) {
                    Answer a;
                    a.registers.reserve(want.count);
                    for (std::size_t k = 0; k < want.count; ++k) {
                        a.registers.push_back(wordAt(frame, 3 + 2 * k));
                    }
                    a.frame.assign(frame.begin(), frame.end());
                    return a;
                }
                ++crcErrors_;
            }
        }
        dropFront(1);  // not the start of the answer: look on from the next byte
    }
    return std::nullopt;
}

}  // namespace cellwatch::modbus
