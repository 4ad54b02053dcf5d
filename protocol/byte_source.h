// What the receive path needs of a serial port: how many received bytes are
// waiting, and a read that takes at most n of them without waiting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace cellwatch {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t bytesWaiting() const = 0;
    // Removes up to dest.size() waiting bytes into dest; returns how many.
    virtual std::size_t read(std::span<std::uint8_t> dest) = 0;
};

// Bytes held in memory: the whole of a captured file, or what a test feeds in.
class BufferByteSource final : public ByteSource {
public:
    BufferByteSource() = default;
    explicit BufferByteSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t bytesWaiting() const override { return bytes_.size() - pos_; }
    std::size_t read(std::span<std::uint8_t> dest) override;

    // Adds bytes at the end, as a port does when more arrive.
    void feed(std::span<const std::uint8_t> more);

    // The waiting bytes, without taking them.
    std::span<const std::uint8_t> waiting() const { return {bytes_.data() + pos_, bytesWaiting()}; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace cellwatch
