// Bytes handed to the session's receive path by whoever holds it (a
// simulation, a test): nothing is opened, and a recording begins at open()
// on the session's clocks. Like a replay, it writes no journal, unless it
// stands in for a live line (`live`).
#pragma once

#include "session/session_source.h"

namespace cellwatch::session {

class FedSource final : public SessionSource {
public:
    explicit FedSource(QString name, bool live = false) : name_(std::move(name)), live_(live) {}
    QString name() const override { return name_; }
    void open() override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool isReplay() const override { return !live_; }

private:
    QString name_;
    bool live_;
    bool open_ = false;
};

}  // namespace cellwatch::session
