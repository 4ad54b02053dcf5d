// Under the Recordings list, for the pack chosen in its filter: the pack's
// history as a chart and one line of its health under it. The health reads
// every row of the pack's journals, so it is worked out in the background
// ("Reading…" meanwhile), a newer choice superseding an older one.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "packs/pack_history.h"

class QLabel;

namespace cellwatch {

class PackHealthJob;
class PackHistoryChart;

class PackHealthView final : public QWidget {
    Q_OBJECT
public:
    explicit PackHealthView(QWidget* parent = nullptr);

    // Shows `pack`'s history, and its health read from the journals in
    // `folder` unless it is the pack read last; "" hides the view.
    void show(const QString& folder, const QString& pack,
              const std::vector<PackHistoryEntry>& history);
    // Reads the health again at the next show (the folder or the language
    // changed).
    void forget() { healthOf_.clear(); }

    PackHistoryChart& chart() const { return *chart_; }
    QLabel& healthText() const { return *healthText_; }
    PackHealthJob& job() const { return *job_; }

signals:
    // The shown pack's health line is in place.
    void healthShown();

private:
    PackHistoryChart* chart_ = nullptr;
    QLabel* healthText_ = nullptr;
    PackHealthJob* job_ = nullptr;
    QString shown_;     // the pack shown
    QString healthOf_;  // the pack whose health is shown or being read
};

}  // namespace cellwatch
