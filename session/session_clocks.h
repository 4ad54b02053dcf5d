// The clocks a live session records on: the program's own (or a test's), or
// a source's (a capture's, a publisher's) while it plays; held at one moment
// for the whole of a receive event, the moment its bytes arrived, so that a
// capture of it replays to the millisecond.
#pragma once

#include <QDateTime>
#include <cstdint>

#include "protocol/tick_clock.h"
#include "readout/recording.h"

namespace cellwatch::session {

class SessionClocks final : public TickClock, public WallClock {
public:
    SessionClocks(const TickClock& ticks, const WallClock& wall)
        : ownTicks_(ticks), ownWall_(wall), ticks_(&ticks), wall_(&wall) {}

    std::uint32_t tickCount() const override { return held_ ? heldTicks_ : ticks_->tickCount(); }
    QDateTime now() const override { return held_ ? heldWall_ : wall_->now(); }

    // Records on a source's clocks from now on; nullptr for the session's own.
    void follow(const TickClock* ticks, const WallClock* wall) {
        ticks_ = ticks != nullptr ? ticks : &ownTicks_;
        wall_ = wall != nullptr ? wall : &ownWall_;
    }
    // Reads the clocks once and answers with that moment until release().
    void hold() {
        held_ = false;
        heldTicks_ = ticks_->tickCount();
        heldWall_ = wall_->now();
        held_ = true;
    }
    void release() { held_ = false; }

private:
    const TickClock& ownTicks_;
    const WallClock& ownWall_;
    const TickClock* ticks_;
    const WallClock* wall_;
    bool held_ = false;
    std::uint32_t heldTicks_ = 0;
    QDateTime heldWall_;
};

}  // namespace cellwatch::session
