// The main window `Form1`: tool bar control, help pane, the tab control with
// chart and table, and the readout frames along the bottom.
//
// Geometry is designed in twips (1/1440 inch) and converted with the
// screen's own twips per pixel (1440 / logical dpi: 15 on a 96-dpi screen).
// The window's "outer size" used by the layout engine is its client area:
// what the window system adds around it never changes with a resize, and
// the engine only uses differences. The size limits hold for the whole
// window, frame included (main_window_layout.cpp).
#pragma once

#include <QDateTime>
#include <QKeySequence>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/recording_summary.h"
#include "app/autosize.h"
#include "app/captions.h"
#include "app/chart_commands.h"
#include "app/commands.h"
#include "app/live_summary.h"
#include "app/pack_choice.h"
#include "app/port_box.h"
#include "app/recording_pane.h"
#include "app/settings.h"
#include "app/size_limits.h"
#include "app/window_hooks.h"
#include "protocol/receive_assembler.h"
#include "protocol/tick_clock.h"
#include "readout/journal.h"
#include "readout/recording.h"
#include "serial/port_scan.h"
#include "session/link_source.h"
#include "session/live_session.h"

class QCheckBox;
class QLabel;
class QSerialPort;
class QTextBrowser;

namespace cellwatch {

class AlarmWatch;
class CellPanelWidget;
class ChannelChoice;
class ChannelPacks;
class ChartView;
class ChartZoom;
class DataTableModel;
class DataTableView;
class HelpPane;
class EmulatorTrial;
class PageSharing;
class DatabaseSending;
class PowerGauge;
class SummaryWindow;
class TabControl;
class Tool;
class ToolBarControl;
class ViewerWindow;

// Design geometry of a control, in twips, relative to its container.
struct DesignRect {
    int left;
    int top;
    int width;
    int height;
};

// The design client area: 14925 x 10560 twips.
inline constexpr int kDesignClientWidth = 14925;
inline constexpr int kDesignClientHeight = 10560;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    using Hooks = WindowHooks;

    explicit MainWindow(Settings& settings, QWidget* parent = nullptr);
    MainWindow(Settings& settings, Hooks hooks, QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- operations named by the design ------------------------------------
    void SetCaptions();
    // The table with its header row alone, its columns as designed.
    void SetUpTable();
    void ResetChart();
    void ShowHelpPage();
    void ScanPorts();
    void InitPowerGauge();
    void FitReadouts();
    void OnToolClick(Tool* tool);
    void OnModelSelect(Tool* tool);
    void OnChartMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void PostStatusMessage(const QString& message);
    void Connect(Tool* clicked);
    void Disconnect(Tool* clicked);
    // Puts a port into the port box and connects to it (the --port option).
    void connectTo(const QString& port);
    // A capture played back in place of a port: the connected look and a new
    // recording, with `name` in the port box. Disconnect (or endReplay) ends
    // it; replaying() tells the player whether to go on.
    void beginReplay(const QString& name);
    void endReplay();
    bool replaying() const { return session_->state() == session::LinkState::Replaying; }
    // Plays a capture file in place of a port, on its own clocks, at
    // `speed` (0 as fast as it goes); throws CaptureError when it is none.
    void replayCapture(const QString& file, double speed);
    // Opens a recording (a journal or an exported table) in a window of its
    // own, connected or not: "" asks for the file, as File > Open… does. A
    // file that is no recording opens nothing and fails with a clear text.
    // Returns the new window; nullptr when cancelled.
    ViewerWindow* openRecording(const QString& fileName);
    // The recordings dialog (File > Recordings…); the chosen one is opened.
    void showRecordings();
    // The windows of the recordings opened, oldest first.
    std::vector<ViewerWindow*> viewers() const;
    // The live recording's summary (View > Summary…) and its window.
    void showSummary() { liveSummary_->show(); }
    SummaryWindow* summaryWindow() const { return liveSummary_->window(); }
    const RecordingSummaryValues& liveSummary() const { return liveSummary_->values(); }
    // Export to a given file ("" asks for one, as the Export command does).
    void exportTableTo(const QString& fileName);

    // The charger a watcher window shows ("bench1"): it leads the window's
    // title ("bench1 — Cellwatch 1.10.0") and names it in notifications.
    void setChargerName(const QString& name);
    const QString& chargerName() const { return chargerName_; }

    // Runs a command under the one failure handler: a failure stops it and
    // shows its own text in a message box with an OK button only.
    void runCommand(const std::function<void()>& command);

    // --- parts, for the commands of later features and for tests ------------
    ToolBarControl& toolBar() const { return *menu_; }
    Tool* tool(const QString& band, const QString& name) const;
    Tool* tool(Command command) const;
    Tool* tool(StatusTool which) const;
    RecordingPane& pane() const { return *pane_; }
    ChartCommands& chartCommands() const { return *commands_; }
    // The live page on the local network (View > "Share on the local network…").
    PageSharing& pageSharing() const { return *pageSharing_; }
    EmulatorTrial& emulatorTrial() const { return *emulatorTrial_; }
    ChartView& chart() const { return pane_->chart(); }
    DataTableModel& table() const { return pane_->table(); }
    DataTableView& tableView() const { return pane_->tableView(); }
    TabControl& tabs() const { return pane_->tabs(); }
    PowerGauge& powerGauge() const { return pane_->powerGauge(); }
    CellPanelWidget& cellPanelWidget() const { return pane_->cellPanelWidget(); }
    QTextBrowser& helpPane() const;
    QLabel* readout(int index) const { return pane_->readout(index); }             // Label3(index)
    QLabel* largeReadout(int index) const { return pane_->largeReadout(index); }   // Label2(index)
    QCheckBox* curveSwitch(int index) const { return pane_->curveSwitch(index); }  // Check1(index)
    QWidget* frame(int number) const;  // Frame1 .. Frame5
    Settings& settings() const { return settings_; }

    double twipsPerPixelX() const { return tppX_; }
    double twipsPerPixelY() const { return tppY_; }
    const LayoutState& layoutState() const { return layout_; }
    const SizeLimits& sizeLimits() const { return limits_; }
    const QString& helpPageAddress() const;
    QTimer& rescanTimer() { return timer1_; }
    session::LiveSession& session() { return *session_; }
    Recording& recording() { return session_->recording(); }
    // Whether a serial port or another source is open.
    bool linkOpen() const { return session_->source() != nullptr && session_->source()->isOpen(); }
    // The open serial port; nullptr when none is.
    QSerialPort* serialPort() const;
    Journal& journal() { return *journal_; }
    AlarmWatch& alarms() { return *alarms_; }
    // The channels of a charger with several: the strip, the one shown.
    ChannelChoice& channels() const { return *channels_; }
    RangeTool& range() const { return pane_->range(); }
    RangePanel& rangePanel() const { return pane_->rangePanel(); }
    // Whether a vanished adapter is opened again when it comes back (the
    // View menu's check item, kept in the settings).
    bool reconnectEnabled() const { return portBox_->reconnectEnabled(); }
    // The adapter waited for after it vanished; nothing when not waiting.
    const std::optional<PortInfo>& awaitedAdapter() const { return portBox_->awaitedAdapter(); }
    QTimer& reconnectTimer() { return portBox_->pollTimer(); }
    // Zooming and panning the chart with the mouse (View > Zoom and pan,
    // kept in the settings; off unless chosen).
    bool zoomPanEnabled() const;
    ChartZoom& chartZoom() const { return pane_->zoom(); }

    // --- what the recording shows (the pane's readouts) ---------------------------
    bool cursorHold() const { return pane_->cursorHold(); }
    void setCursorHold(bool hold) { pane_->setCursorHold(hold); }
    void setReadout(int label3Index, const QString& text) { pane_->setReadout(label3Index, text); }
    void setLargeReadout(int label2Index, const QString& text) {
        pane_->setLargeReadout(label2Index, text);
    }
    PowerGaugeControl& gauge() { return pane_->gauge(); }
    CellPanelView& cellPanel() { return pane_->cellPanel(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Layout;
    void buildWidgets();
    void buildParts();
    void setUpLayout();
    void applyDesign(QWidget* w, const DesignRect& r);
    void restrictWindowSize();
    void placeWindow();
    void fitStatusBand();
    void fillModelBox();
    void fillChargerBox();
    void addShortcuts();
    void dispatch(Command command, Tool* clicked);
    void toggle(Tool* t, const std::function<void(bool)>& apply);
    void chooseLanguage(Tool* tool);
    // Connect, or with `continuing` a reconnect that goes on with the
    // recording the lost link interrupted.
    void connectPort(bool continuing);
    void onLinkLost(const QString& reason);
    // The tool bar and status band as the session's link state asks.
    void showLinkState(session::LinkState state);
    void showLinkText();
    void showAbout();
    void setUpJournal();
    void followShownChannel();
    void reconnectTo(const QString& entry);
    void setUpZoom();
    bool busy() const;

    Settings& settings_;
    Hooks hooks_;
    double tppX_ = 15;
    double tppY_ = 15;

    ToolBarControl* menu_ = nullptr;
    HelpPane* helpPane_ = nullptr;  // IE
    RecordingPane* pane_ = nullptr;
    std::unique_ptr<ChartCommands> commands_;
    PortBox* portBox_ = nullptr;
    ChannelPacks* pack_ = nullptr;  // each channel's pack
    LiveSummary* liveSummary_ = nullptr;
    PageSharing* pageSharing_ = nullptr;
    DatabaseSending* databaseSending_ = nullptr;  // View > "Send to a database…"
    EmulatorTrial* emulatorTrial_ = nullptr;

    std::unique_ptr<Layout> layoutWindow_;
    LayoutState layout_;
    SizeLimits limits_;
    // The start-up size of the client area, and the screen area and frame
    // size the limits were last worked out for.
    QSize startSize_;
    QRect limitsScreen_;
    QSize limitsFrame_{-1, -1};
    // The keys of the window's commands, which win over a text field's own.
    std::vector<QKeySequence> commandKeys_;

    QTimer timer1_;

    SystemTickClock systemTicks_;
    SystemWallClock systemWall_;
    session::ChargerPortLister systemPorts_;
    const TickClock* ticks_ = &systemTicks_;
    const WallClock* wall_ = &systemWall_;
    const PortLister* ports_ = &systemPorts_;
    std::unique_ptr<session::LiveSession> session_;

    std::unique_ptr<Journal> journal_;
    QString restartedFrom_;  // the journal the pause rule ended last
    QString chargerName_;
    // The link's text last shown (none before the first connect), shown
    // again in the language chosen.
    const Phrase* linkText_ = nullptr;
    std::vector<QPointer<ViewerWindow>> viewers_;
    AlarmWatch* alarms_ = nullptr;
    ChannelChoice* channels_ = nullptr;
    // True while a load runs the event loop itself.
    bool opening_ = false;
};

}  // namespace cellwatch
