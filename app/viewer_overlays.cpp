#include "app/viewer_overlays.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <exception>

#include "analysis/range_stats.h"
#include "app/captions.h"
#include "chart/alarm_markers.h"
#include "chart/cell_pane.h"
#include "chart/chart_overlays.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "readout/axis_scaler.h"
#include "readout/recording.h"
#include "readout/recording_file.h"

namespace cellwatch {
namespace {

// An overlay's rows for the cells pane, keeping its table while the pane
// reads them.
class OverlayTableRows final : public RangeRows {
public:
    explicit OverlayTableRows(std::shared_ptr<DataTableModel> table)
        : table_(std::move(table)), rows_(table_->store()) {}
    std::size_t rowCount() const override { return rows_.rowCount(); }
    RangeRowNumbers numbers(std::size_t index) override { return rows_.numbers(index); }

private:
    std::shared_ptr<DataTableModel> table_;
    TableRangeRows rows_;
};

}  // namespace

QString overlayLegendText(const QString& file, const QDateTime& start, const QString& pack) {
    const QString when = start.isValid() ? start.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                         : QFileInfo(file).fileName();
    return pack.isEmpty() ? when : when + QStringLiteral(" · ") + pack;
}

ViewerOverlays::ViewerOverlays(ChartView& chart, QWidget& owner, AskFiles askFiles, Say say)
    : QObject(&owner),
      chart_(chart),
      owner_(owner),
      askFiles_(std::move(askFiles)),
      say_(std::move(say)),
      overlays_(new ChartOverlays(chart)) {
    command_ = new QAction(this);
    command_->setObjectName(QStringLiteral("CompareWith"));
    menu_ = new QMenu(&owner);
    menu_->setObjectName(QStringLiteral("CompareMenu"));
    command_->setMenu(menu_);
    rebuildMenu();
    setCaptions();
}

ViewerOverlays::~ViewerOverlays() = default;

void ViewerOverlays::attachCells(CellPane& cells, AlarmMarkers& markers) {
    cells_ = &cells;
    markers_ = &markers;
}

void ViewerOverlays::addCells(const OverlayRecording& overlay, int index,
                              const std::vector<AlarmNote>& alarms) {
    if (cells_ != nullptr) {
        cells_->addOverlay(std::make_shared<OverlayTableRows>(overlay.table),
                           overlays_->dashPattern(index));
    }
    if (markers_ != nullptr) {
        std::vector<AlarmMark> marks;
        for (const AlarmNote& a : alarms) {
            marks.push_back(
                {a.atSeconds < 0 ? 0.0 : static_cast<double>(a.atSeconds), a.kind, a.text});
        }
        markers_->addCompared(overlay.name, std::move(marks));
    }
}

void ViewerOverlays::setCaptions() {
    command_->setText(tr("Compare with…"));
    command_->setToolTip(tr("Lay other recordings over the chart, each from its start"));
    rebuildMenu();
}

void ViewerOverlays::rebuildMenu() {
    menu_->clear();
    for (int i = 0; i < static_cast<int>(recordings_.size()); ++i) {
        QAction* remove =
            menu_->addAction(tr("Remove %1").arg(recordings_[static_cast<std::size_t>(i)].name));
        remove->setObjectName(QStringLiteral("RemoveOverlay%1").arg(i));
        connect(remove, &QAction::triggered, this, [this, i] { this->remove(i); });
    }
    menu_->addSeparator();
    QAction* all = menu_->addAction(tr("Remove all"));
    all->setObjectName(QStringLiteral("RemoveAllOverlays"));
    all->setEnabled(!recordings_.empty());
    connect(all, &QAction::triggered, this, &ViewerOverlays::clear);
}

void ViewerOverlays::compareWith(const QString& folder) {
    const QStringList files = askFiles_(&owner_, tr("Compare with"), folder,
                                        {tr("Recordings (*.csv)"), tr("All files (*)")});
    if (!files.isEmpty()) {
        add(files);
    }
}

int ViewerOverlays::add(const QStringList& files) {
    QStringList messages;
    QStringList added;
    const int room = ChartOverlays::kMaxOverlays - static_cast<int>(recordings_.size());
    const int tried = std::min(room, static_cast<int>(files.size()));
    for (int i = 0; i < tried; ++i) {
        const QString& file = files[i];
        bool cancelled = false;
        try {
            if (addOne(file, cancelled)) {
                added << recordings_.back().name;
            }
        } catch (const std::exception& failure) {
            messages << tr("%1 cannot be compared: %2")
                            .arg(QFileInfo(file).fileName(), QString::fromUtf8(failure.what()));
        }
        if (cancelled) {
            break;
        }
    }
    if (files.size() > room) {
        messages << tr("At most %1 recordings can be compared at once; %2 file(s) not added")
                        .arg(ChartOverlays::kMaxOverlays)
                        .arg(files.size() - std::max(room, 0));
    }
    if (!added.isEmpty()) {
        messages.prepend(tr("Comparing with %1").arg(added.join(QStringLiteral(", "))));
        fitAxes();
        rebuildMenu();
        emit changed();
    }
    if (!messages.isEmpty()) {
        say_(messages.join(QStringLiteral("; ")));
    }
    return static_cast<int>(added.size());
}

bool ViewerOverlays::addOne(const QString& file, bool& cancelled) {
    QProgressDialog progress(tr("Opening %1").arg(QFileInfo(file).fileName()), tr("Cancel"), 0, 100,
                             &owner_);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto step = [&](std::size_t done, std::size_t total) {
        progress.setValue(total == 0 ? 100 : static_cast<int>(done * 100 / total));
        QCoreApplication::processEvents();
        cancelled = progress.wasCanceled();
        return !cancelled;
    };
    OverlayRecording overlay;
    overlay.file = file;
    overlay.table = std::make_shared<DataTableModel>();
    RecordingFile reading;
    overlay.summary = readAndSummarize(reading, file, step, &overlay.table->store());
    if (cancelled) {
        return false;
    }
    overlay.start = overlay.summary.start;
    overlay.name = overlayLegendText(file, overlay.start, overlay.summary.pack);
    const RecordingCurves& curves = reading.curves();
    const OverlayCurves points{curves.days,
                               {curves.voltage, curves.current, curves.capacity, curves.external}};
    const int index = overlays_->add(overlay.name, points);
    if (index < 0) {
        return false;  // no room (checked before reading)
    }
    addCells(overlay, index, reading.alarms());
    recordings_.push_back(std::move(overlay));
    return true;
}

void ViewerOverlays::remove(int index) {
    if (index < 0 || index >= static_cast<int>(recordings_.size())) {
        return;
    }
    const QString name = recordings_[static_cast<std::size_t>(index)].name;
    overlays_->remove(index);
    if (cells_ != nullptr) {
        cells_->removeOverlay(index);
    }
    if (markers_ != nullptr) {
        markers_->removeCompared(index);
    }
    recordings_.erase(recordings_.begin() + index);
    fitAxes();
    rebuildMenu();
    say_(tr("Removed %1").arg(name));
    emit changed();
}

void ViewerOverlays::clear() {
    while (!recordings_.empty()) {
        remove(static_cast<int>(recordings_.size()) - 1);
    }
}

// As a recording opened alone gets them, for the data of all: the vertical
// axes scaled once from nothing, the time axis grown in the live steps
// until the longest fits.
void ViewerOverlays::fitAxes() {
    AxisScaler scaler;
    scaler.scaleAxes(chart_);
    const double last = std::max(chart_.dataMax(ChartAxis::Bottom), 0.0);
    chart_.setAxisRange(
        ChartAxis::Bottom, 0,
        kTimeWindowInitialDays + kTimeWindowStepDays * std::ceil(last / kTimeWindowStepDays));
}

}  // namespace cellwatch
