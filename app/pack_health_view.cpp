#include "app/pack_health_view.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/analysis_texts.h"
#include "chart/pack_history_chart.h"
#include "packs/pack_health.h"
#include "packs/pack_health_job.h"

namespace cellwatch {

PackHealthView::PackHealthView(QWidget* parent) : QWidget(parent) {
    chart_ = new PackHistoryChart(this);
    job_ = new PackHealthJob(this);
    connect(job_, &PackHealthJob::ready, this,
            [this](const QString& name, const PackHealth& health) {
                if (name == shown_) {
                    healthText_->setText(shown::packHealthLine(health));
                    emit healthShown();
                }
            });
    healthText_ = new QLabel(this);
    healthText_->setObjectName(QStringLiteral("packHealth"));
    healthText_->setWordWrap(true);
    healthText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart_, 1);
    layout->addWidget(healthText_);
    chart_->setVisible(false);
    healthText_->setVisible(false);
    setVisible(false);
}

void PackHealthView::show(const QString& folder, const QString& pack,
                          const std::vector<PackHistoryEntry>& history) {
    shown_ = pack;
    if (pack.isEmpty() && chart_->isHidden()) {
        return;  // no chart to draw, none to take away
    }
    chart_->setHistory(history);
    for (QWidget* part : {static_cast<QWidget*>(this), static_cast<QWidget*>(chart_),
                          static_cast<QWidget*>(healthText_)}) {
        part->setVisible(!pack.isEmpty());
    }
    if (pack == healthOf_) {
        return;  // read already, or being read
    }
    healthOf_ = pack;
    if (pack.isEmpty()) {
        job_->drop();
        healthText_->clear();
        return;
    }
    healthText_->setText(tr("Reading…"));
    job_->start(folder, pack);
}

}  // namespace cellwatch
