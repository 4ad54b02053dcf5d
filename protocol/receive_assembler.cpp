#include "protocol/receive_assembler.h"

namespace cellwatch {

void ReceiveAssembler::onComm(CommEvent event, ByteSource& port) {
    if (event != CommEvent::ReceivedBytes) {
        return;
    }
    if (flipLamp_) {
        flipLamp_();
    }
    take(port);
}

void ReceiveAssembler::take(ByteSource& port) {
    if (!started_) {
        std::uint8_t byte = 0;
        if (port.read({&byte, 1}) == 0) {
            return;
        }
        if (byte == kStartByte) {
            started_ = true;
            frame_.clear();
            frame_.append({&byte, 1});
            rxTick_ = clock_.tickCount();
        } else {
            ++bytesDropped_;
        }
        return;
    }
    if (port.bytesWaiting() < kBytesNeededAfterStart) {
        return;
    }
    frame_.grow(port.read({frame_.tail(), kFirstReadSize}));
    if (frame_.size() == kShortFrameSize && frame_[kEndByteOffset] == kEndByte) {
        sink_.decodeStatus76(frame_, rxTick_);
    } else {
        frame_.grow(port.read({frame_.tail(), kSecondReadSize}));
        sink_.decodeStatus112(frame_, rxTick_);
    }
    frame_.clear();
    started_ = false;
}

void ReceiveAssembler::endOfInput(BufferByteSource& input) {
    const auto workOff = [&] {
        while (hasWork(input)) {
            take(input);
        }
    };
    workOff();
    if (!started_) {
        return;
    }
    const std::span<const std::uint8_t> rest = input.waiting();
    // rest[i] is frame offset i + 1: offset 75 is the 75th byte waiting.
    if (rest.size() < kFirstReadSize || rest[kEndByteOffset - 1] != kEndByte) {
        return;
    }
    frame_.grow(input.read({frame_.tail(), kFirstReadSize}));
    sink_.decodeStatus76(frame_, rxTick_);
    frame_.clear();
    started_ = false;
    workOff();
}

bool ReceiveAssembler::hasWork(const ByteSource& port) const {
    std::size_t waiting = port.bytesWaiting();
    return started_ ? waiting >= kBytesNeededAfterStart : waiting > 0;
}

std::size_t ReceiveAssembler::bytesBeforeWork(const ByteSource& port) const {
    const std::size_t waiting = port.bytesWaiting();
    const std::size_t needed = started_ ? kBytesNeededAfterStart : 1;
    return waiting >= needed ? 0 : needed - waiting;
}

std::size_t ReceiveAssembler::serviceReceived(ByteSource& port) {
    // The event flips the lamp once; the calls that follow are the driver's
    // way of working off what the event brought, not events of their own.
    onComm(CommEvent::ReceivedBytes, port);
    std::size_t calls = 1;
    while (hasWork(port)) {
        take(port);
        ++calls;
    }
    return calls;
}

}  // namespace cellwatch
