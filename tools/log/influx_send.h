// cellwatch-log's --influx: every row and alarm of the session's channels
// also goes to a time-series database. What the writer has to say (the
// database away or back, rows refused or dropped) is one line each on
// standard error, as the publisher's notices are; at the end one line says
// how many rows went.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "net/influx_writer.h"
#include "session/influx_feed.h"
#include "session/live_session.h"

namespace cellwatch::logger {

struct LogOptions;

class InfluxSend {
public:
    // How long rows still owed may take once the log has ended.
    static constexpr int kDrainMs = 10'000;

    using Say = std::function<void(const QString&)>;

    // Nothing (and true) without --influx; false, with the error line said,
    // when the sign-in file cannot be read. `charger` names the charger in
    // every line.
    static bool make(const LogOptions& options, session::LiveSession& session,
                     const QString& charger, const Say& say, std::unique_ptr<InfluxSend>& out);

    // The writer of --influx (with --influx-auth); nullptr, with the error
    // line said, when the sign-in file cannot be read.
    static std::unique_ptr<net::InfluxWriter> makeWriter(const LogOptions& options, const Say& say);

    // Sends what is owed (up to kDrainMs) and says how it went. Whether
    // every row went.
    bool finish();

    net::InfluxWriter& writer() { return *writer_; }

private:
    InfluxSend() = default;

    Say say_;
    std::unique_ptr<net::InfluxWriter> writer_;
    std::unique_ptr<session::InfluxFeed> feed_;
};

}  // namespace cellwatch::logger
