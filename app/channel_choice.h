// The channels of a charger with several, in the main window: the strip of
// channel cards above the chart, the channel the chart, readouts, gauge,
// cells panel and table show (a card's click chooses it), each channel's
// alarm marked on its card, and View > "All channels", which draws every
// other channel's curves over the chart (kept in the settings).
//
// The window's views are subscribed to every channel's recording and draw
// only while their channel is the one chosen. A charger of one channel
// shows what the window always showed: no strip, the table's own model.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QIdentityProxyModel;
class QMenu;

namespace cellwatch {

class AlarmWatch;
class ChannelOverlays;
class RowsModel;
class ChannelStrip;
class RecordingPane;
class Settings;
namespace session {
class LiveSession;
}

class ChannelChoice final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Settings& settings;
        session::LiveSession& session;
        RecordingPane& pane;
        AlarmWatch& alarms;
    };

    explicit ChannelChoice(Parts parts, QObject* parent = nullptr);
    ~ChannelChoice() override;

    // Carries out View > All channels (the tool bar control's action).
    void useCommand(QAction* all);

    ChannelStrip& strip() const { return *strip_; }
    ChannelOverlays& overlays() const { return *overlays_; }
    QAction* allChannelsAction() const { return allAction_; }
    // The channel shown (1 ...).
    int chosen() const;
    // Shows channel `channel` (1 ...); one the charger lacks does nothing.
    void choose(int channel);
    void setAllChannels(bool on);
    // The session's channels are about to go: nothing here reads them after.
    void sessionEnding();
    bool allChannels() const { return all_; }

    // The channel chosen, as the views see it.
    struct State;

signals:
    // Another channel is shown (also 1 again after one lost).
    void shownChanged(int channel);
    // A row entered the shown channel's rows (grid row), after the range
    // cursors and the cells pane took it in.
    void shownRowAppended(int row);
    // The shown channel's recording began again (the pause rule).
    void shownRestarted();

private:
    void subscribe(int channel, int generation);
    void channelsChanged(int count);
    void redrawChart(int channel);
    void showOverlays();

    Parts parts_;
    std::shared_ptr<State> state_;
    ChannelStrip* strip_ = nullptr;
    ChannelOverlays* overlays_ = nullptr;
    RowsModel* rows_ = nullptr;
    QIdentityProxyModel* proxy_ = nullptr;  // made for a charger of several
    QPointer<QAction> allAction_;
    bool all_ = false;
    int count_ = 1;
};

}  // namespace cellwatch
