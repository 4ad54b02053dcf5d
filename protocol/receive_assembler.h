// The receive path: cuts the serial byte stream into status messages.
//
// While hunting, each call takes one byte and keeps it only if it is the
// start byte 0x7B. Once started, a call does nothing until 111 bytes are
// waiting; then it reads offsets 1..75, and if offset 75 is the end byte
// 0x7D hands over a 76-byte frame, otherwise reads 36 more and hands over a
// 112-byte frame. There is no resynchronisation inside a frame and no
// time-out: staleness is judged by the decoder from the start byte's tick.
//
// One assembler lives for the whole run; connecting and disconnecting do
// not reset it, so a frame begun before a disconnect continues with the
// bytes that arrive after the next connect.
#pragma once

#include <cstdint>
#include <functional>

#include "protocol/byte_source.h"
#include "protocol/status_decoder.h"
#include "protocol/status_frame.h"
#include "protocol/tick_clock.h"

namespace cellwatch {

// The kind of event a serial port reports; only received bytes matter here.
enum class CommEvent { ReceivedBytes, Other };

class ReceiveAssembler {
public:
    ReceiveAssembler(const TickClock& clock, StatusFrameSink& sink,
                     std::function<void()> flipReceiveLamp = {})
        : clock_(clock), sink_(sink), flipLamp_(std::move(flipReceiveLamp)) {}

    // The receive handler: one call per receive event. It flips the receive
    // lamp and takes what one call takes (one byte while hunting, a whole
    // frame once 111 bytes wait).
    void onComm(CommEvent event, ByteSource& port);

    // One receive event worked off completely: the handler is called, then
    // called again while a call would still consume waiting bytes. The lamp
    // flips once for the event, however many calls its bytes need. Returns
    // the number of calls made.
    std::size_t serviceReceived(ByteSource& port);

    // The input has ended (a file read to its end: no more bytes will come).
    // Works off what waits, then frames what a live line would have framed
    // had the next message come: a started frame whose 75 bytes are there
    // and end in the end byte is handed over as a 76-byte frame, and what
    // follows it is hunted through. A frame cut off stays started; so does
    // one that would need bytes of a next message (offset 75 not the end
    // byte). The live path never calls this: there a 76-byte frame waits
    // until 111 bytes follow its start byte.
    void endOfInput(BufferByteSource& input);

    // True when a handler call would consume bytes from `port` now.
    bool hasWork(const ByteSource& port) const;

    // How many more bytes must arrive before a handler call would consume
    // any (0 when one would now): 1 while hunting, else what is still
    // missing of the 111 bytes after the start byte.
    std::size_t bytesBeforeWork(const ByteSource& port) const;

    bool started() const { return started_; }
    const StatusFrame& pendingFrame() const { return frame_; }
    std::uint32_t startTick() const { return rxTick_; }

    // Bytes dropped while hunting for a start byte, over the whole run.
    std::uint64_t bytesDropped() const { return bytesDropped_; }

private:
    // The handler's work without the lamp.
    void take(ByteSource& port);

    const TickClock& clock_;
    StatusFrameSink& sink_;
    std::function<void()> flipLamp_;

    bool started_ = false;  // RxStarted
    StatusFrame frame_;     // RxBytes
    std::uint32_t rxTick_ = 0;
    std::uint64_t bytesDropped_ = 0;
};

}  // namespace cellwatch
