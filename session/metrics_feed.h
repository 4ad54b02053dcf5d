// The latest readings, link states and counts of the live sessions a
// program runs, for a metrics endpoint (session/metrics_text.h): one
// session for the window and cellwatch-log, one per charger for a watcher
// of several.
//
// It observes the sessions (their rows, alarms and link) and each
// channel's recording (its accepted readings); a session that goes away is
// left out from then on.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "session/live_session.h"
#include "session/metrics_text.h"

namespace cellwatch::session {

class MetricsFeed final : public QObject {
    Q_OBJECT
public:
    explicit MetricsFeed(QObject* parent = nullptr);
    ~MetricsFeed() override;

    // Channel C's pack, "" for none.
    using PackOf = std::function<std::string(int channel)>;
    // Follows `session`, its samples labelled charger="`charger`" (its
    // driver's id, as it stands, when empty).
    void watch(LiveSession& session, std::string charger, PackOf packOf = {});

    // What a scrape gets now.
    std::vector<ChargerMetrics> metrics() const;
    std::string text() const { return metricsText(metrics()); }

private:
    struct Watched;
    class View;
    void follow(const std::shared_ptr<Watched>& watched);
    std::vector<std::shared_ptr<Watched>> watched_;
};

}  // namespace cellwatch::session
