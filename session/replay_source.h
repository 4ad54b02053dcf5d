// A capture played back through the session's receive path on its own
// clocks (the moments its bytes arrived), paced against real time: speed 1
// is real time, 0 as fast as it goes. The recording begins at the capture's
// start; the end of the capture ends the session.
#pragma once

#include <QString>
#include <optional>

#include "serial/capture.h"
#include "serial/capture_replay.h"
#include "session/session_source.h"

namespace cellwatch::session {

class ReplaySource final : public SessionSource {
public:
    // Throws CaptureError (one line) when the file is no capture.
    ReplaySource(SourceEvents events, const QString& file, double speed);
    ~ReplaySource() override;

    QString name() const override { return name_; }
    void open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool ownClocks() const override { return true; }
    const TickClock* ticks() const override { return &ticks_; }
    const WallClock* wall() const override { return &wall_; }
    bool beginsAtOpen() const override { return false; }
    bool isReplay() const override { return true; }
    std::string chargerDriver() const override { return reader_.start().driver; }

    // Whether the capture ended inside a record (it was cut off).
    bool truncated() const { return reader_.truncated() && replay_.atEnd(); }
    ReplayRunner& runner() { return runner_; }

private:
    SourceEvents events_;
    QString name_;
    ManualTickClock ticks_;
    ManualWallClock wall_{QDateTime()};
    CaptureReader reader_;
    CaptureReplay replay_;
    ReplayRunner runner_;
    bool open_ = false;
};

}  // namespace cellwatch::session
