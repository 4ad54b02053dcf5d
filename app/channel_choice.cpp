#include "app/channel_choice.h"

#include <QAction>
#include <QIdentityProxyModel>
#include <QMenu>
#include <QVBoxLayout>
#include <cmath>
#include <vector>

#include "app/alarm_band.h"
#include "app/captions.h"
#include "app/channel_strip.h"
#include "app/readout_panels.h"
#include "app/recording_pane.h"
#include "app/settings.h"
#include "chart/channel_overlays.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "chart/rows_model.h"
#include "protocol/table_fields.h"
#include "readout/recording_file.h"
#include "readout/recording_views.h"
#include "readout/row_readouts.h"
#include "session/live_session.h"

namespace cellwatch {

struct ChannelChoice::State {
    int chosen = 1;
    // Channels past the first get new views whenever the channels change;
    // the views of an earlier generation draw nothing.
    int generation = 0;
};

namespace {

// A view of one channel's recording that draws only while its channel is
// the one shown (and, past the first, while its generation lasts).
class ChosenOnly final : public RecordingView {
public:
    ChosenOnly(std::shared_ptr<const ChannelChoice::State> state, int channel, int generation,
               std::unique_ptr<RecordingView> view)
        : state_(std::move(state)),
          channel_(channel),
          generation_(generation),
          view_(std::move(view)) {}

    void reset(const Recording& r) override {
        if (on()) {
            view_->reset(r);
        }
    }
    void timeAxisChanged(const Recording& r) override {
        if (on()) {
            view_->timeAxisChanged(r);
        }
    }
    void accepted(const Recording& r, const Reading& reading) override {
        if (on()) {
            view_->accepted(r, reading);
        }
    }
    void idle(const Recording& r) override {
        if (on()) {
            view_->idle(r);
        }
    }
    void curvesShown(const Recording& r, const RecordingCurves& c, const QString& t) override {
        if (on()) {
            view_->curvesShown(r, c, t);
        }
    }
    void retitle() override {
        if (on()) {
            view_->retitle();
        }
    }

private:
    bool on() const {
        return state_->chosen == channel_ && (generation_ < 0 || generation_ == state_->generation);
    }

    std::shared_ptr<const ChannelChoice::State> state_;
    int channel_;
    int generation_;
    std::unique_ptr<RecordingView> view_;
};

}  // namespace

ChannelChoice::ChannelChoice(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), state_(std::make_shared<State>()) {
    strip_ = new ChannelStrip(&parts_.pane.chart());
    strip_->setObjectName(QStringLiteral("ChannelStrip"));
    if (auto* column = qobject_cast<QVBoxLayout*>(parts_.pane.chart().layout())) {
        // Above the plot, a quarter of the chart's height.
        column->insertWidget(0, strip_, 1);
        column->setStretch(1, 3);
    }
    strip_->setRecordings({&parts_.session.recording(1)});
    rows_ = new RowsModel(this);
    all_ = parts_.settings.on(Flag::AllChannels);
    subscribe(1, -1);
    connect(strip_, &ChannelStrip::channelChosen, this,
            [this](int fromZero) { choose(fromZero + 1); });
    connect(&parts_.session, &session::LiveSession::channelsChanged, this,
            &ChannelChoice::channelsChanged);
    connect(&parts_.session, &session::LiveSession::channelRowAppended, this,
            [this](int channel, int row) {
                if (channel == state_->chosen) {
                    parts_.pane.range().rowAdded(row);
                    parts_.pane.cellRowAppended(row);
                    emit shownRowAppended(row);
                }
                if (overlays_ != nullptr && overlays_->count() > 0) {
                    overlays_->refresh();
                }
            });
    connect(&parts_.session, &session::LiveSession::channelRestarted, this, [this](int channel) {
        if (channel == state_->chosen) {
            emit shownRestarted();
        }
    });
    connect(&parts_.alarms, &AlarmWatch::channelRaised, this,
            [this](int channel) { strip_->markAlarm(channel - 1, true); });
    connect(&parts_.alarms, &AlarmWatch::acknowledgedAll, this, [this] {
        for (int card = 0; card < strip_->count(); ++card) {
            strip_->markAlarm(card, false);
        }
    });
    if (parts_.session.channelCount() > 1) {
        channelsChanged(parts_.session.channelCount());
    }
}

ChannelChoice::~ChannelChoice() = default;

void ChannelChoice::sessionEnding() {
    rows_->setStore(nullptr, true);
    parts_.pane.setShownRows(nullptr);
    if (overlays_ != nullptr) {
        overlays_->clear();
    }
    strip_->setRecordings({});
}

int ChannelChoice::chosen() const {
    return state_->chosen;
}

void ChannelChoice::subscribe(int channel, int generation) {
    Recording& recording = parts_.session.recording(channel);
    RecordingPane& pane = parts_.pane;
    auto add = [&](std::unique_ptr<RecordingView> view) {
        recording.subscribe(
            std::make_unique<ChosenOnly>(state_, channel, generation, std::move(view)));
    };
    add(std::make_unique<RecordingChart>(pane.chart(), idleChartTitle));
    add(std::make_unique<RecordingReadouts>(pane));
    add(std::make_unique<RecordingGauge>(pane.gauge()));
    add(std::make_unique<RecordingCellPanel>(pane.cellPanel(),
                                             [&pane] { return pane.cursorHold(); }));
}

void ChannelChoice::channelsChanged(int count) {
    count_ = count;
    ++state_->generation;
    std::vector<Recording*> recordings{&parts_.session.recording(1)};
    for (int channel = 2; channel <= count; ++channel) {
        subscribe(channel, state_->generation);
        recordings.push_back(&parts_.session.recording(channel));
    }
    strip_->setRecordings(count > 1 ? recordings : std::vector<Recording*>{});
    if (count > 1 && proxy_ == nullptr) {
        // The table shows the chosen channel's rows through a proxy; a
        // charger of one channel keeps the table's own model.
        proxy_ = new QIdentityProxyModel(this);
        proxy_->setSourceModel(&parts_.pane.table());
        parts_.pane.tableView().setModel(proxy_);
    }
    if (state_->chosen > count) {
        rows_->setStore(nullptr, true);  // its channel is gone, and its rows
        choose(1);
    } else {
        choose(state_->chosen);
    }
}

void ChannelChoice::choose(int channel) {
    if (channel < 1 || channel > parts_.session.channelCount()) {
        return;
    }
    const bool changed = state_->chosen != channel;
    state_->chosen = channel;
    if (proxy_ != nullptr) {
        if (channel == 1) {
            rows_->setStore(nullptr);
            proxy_->setSourceModel(&parts_.pane.table());
        } else {
            rows_->setStore(&parts_.session.rows(channel));
            if (proxy_->sourceModel() != rows_) {
                proxy_->setSourceModel(rows_);
            }
        }
    }
    redrawChart(channel);
    // The cursors, the cells pane and what reads the rows follow it.
    parts_.pane.setShownRows(channel == 1 ? nullptr : &parts_.session.rows(channel));
    strip_->setChosen(count_ > 1 ? channel - 1 : -1);
    showOverlays();
    if (changed) {
        emit shownChanged(channel);
    }
}

// The chart anew from the channel's rows, and the readouts from its last.
void ChannelChoice::redrawChart(int channel) {
    const Recording& recording = parts_.session.recording(channel);
    const RowStore& table = recording.table();
    RecordingChart chart(parts_.pane.chart(), idleChartTitle);
    chart.reset(recording);
    const int rows = static_cast<int>(table.dataRowCount());
    if (rows == 0) {
        return;
    }
    RecordingCurves curves;
    RowNumbers numbers;
    double last = 0;
    for (int row = 1; row <= rows; ++row) {
        table.numbers(row, numbers);
        // A row without a time stands where the row before it does.
        last = numbers.timed ? numbers.seconds / 86400.0 : last;
        curves.days.push_back(last);
        curves.voltage.push_back(numbers.field[kFieldVoltage]);
        curves.current.push_back(std::fabs(numbers.field[kFieldCurrent]));
        curves.capacity.push_back(numbers.field[kFieldCapacity]);
        curves.external.push_back(numbers.field[kFieldExtTemperature]);
    }
    const QString type = table.gridText(rows, kFieldBatteryType + 1);
    const QString state = table.gridText(rows, kFieldState + 1);
    const QString title = type.isEmpty() ? state : type + u'/' + state;
    chart.curvesShown(recording, curves, title);
    showRowMeasurements(table, rows, parts_.pane);
    showRowDetails(table, rows, parts_.pane);
}

void ChannelChoice::showOverlays() {
    std::vector<const Recording*> others;
    std::vector<int> numbers;
    if (all_ && count_ > 1) {
        for (int channel = 1; channel <= count_; ++channel) {
            if (channel != state_->chosen) {
                others.push_back(&parts_.session.recording(channel));
                numbers.push_back(channel);
            }
        }
    }
    if (others.empty() && overlays_ == nullptr) {
        return;  // the chart stays as it is made
    }
    if (overlays_ == nullptr) {
        overlays_ = new ChannelOverlays(parts_.pane.chart(), this);
    }
    overlays_->setOverlays(others, numbers);
}

void ChannelChoice::setAllChannels(bool on) {
    all_ = on;
    parts_.settings.setOn(Flag::AllChannels, on);
    if (allAction_ != nullptr) {
        allAction_->setChecked(on);
    }
    showOverlays();
}

void ChannelChoice::useCommand(QAction* all) {
    allAction_ = all;
    allAction_->setChecked(all_);
    connect(allAction_, &QAction::triggered, this, [this](bool on) { setAllChannels(on); });
}

}  // namespace cellwatch
