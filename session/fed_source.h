// Bytes handed to the session's receive path by whoever holds it (a
// simulation, a test): nothing is opened, and a recording begins at open()
// on the session's clocks. Like a replay, it writes no journal.
#pragma once

#include "session/session_source.h"

namespace cellwatch::session {

class FedSource final : public SessionSource {
public:
    explicit FedSource(QString name) : name_(std::move(name)) {}
    QString name() const override { return name_; }
    void open() override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool isReplay() const override { return true; }

private:
    QString name_;
    bool open_ = false;
};

}  // namespace cellwatch::session
