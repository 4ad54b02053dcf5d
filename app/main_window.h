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
#include "app/settings_store.h"
#include "app/size_limits.h"
#include "app/summary_window.h"
#include "readout/pack_file.h"
#include "protocol/status_decoder.h"
#include "protocol/tick_clock.h"
#include "readout/journal.h"
#include "readout/recording.h"
#include "serial/port_scan.h"
#include "serial/receive_assembler.h"
#include "serial/serial_link.h"
#include "session/live_session.h"

class QCheckBox;
class QNetworkAccessManager;
class QDialog;
class QPrinter;
class QGroupBox;
class QLabel;
class QTextBrowser;

namespace cellwatch {

class AlarmWatch;
class ChartView;
class ChartZoom;
class CellPanelWidget;
class DataTableModel;
class DataTableView;
class PowerGauge;
class RangePanel;
class RangeTool;
class ViewerWindow;
class TabControl;
class Tool;
class ToolBarControl;
class WidgetLayoutControl;

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

class MainWindow : public QWidget, public ReadoutView {
    Q_OBJECT
public:
    // How the window talks to the user where a test must not block: the
    // failure handler's message box (OK only).
    struct Hooks {
        std::function<void(QWidget* parent, const QString& text)> showFailure;
        // Clocks and the port list; the system's own when not given.
        const TickClock* ticks = nullptr;
        const WallClock* wall = nullptr;
        const PortLister* ports = nullptr;
        // The file name for Save and Export: "" when the user cancels.
        std::function<QString(QWidget* parent, const QString& title, const QString& proposed,
                              const QStringList& filters)>
            askSaveFile;
        // The print dialog: false when the user cancels.
        std::function<bool(QWidget* parent, QPrinter& printer)> askPrint;
        // Shows a modal dialog (the about box) until it closes.
        std::function<void(QDialog& dialog)> showDialog;
        // Whether the computer is online, asked once at start-up.
        std::function<bool()> isOnline;
        // The file to open (File > Open…): "" when the user cancels.
        std::function<QString(QWidget* parent, const QString& title, const QString& folder,
                              const QStringList& filters)>
            askOpenFile;
        // The files to lay over a recording (Compare with…): none when cancelled.
        std::function<QStringList(QWidget* parent, const QString& title, const QString& folder,
                                  const QStringList& filters)>
            askOpenFiles;
        // Where the journals go; the user's data folder when not given.
        QString journalFolder;
    };

    explicit MainWindow(SettingsStore& settings, QWidget* parent = nullptr);
    MainWindow(SettingsStore& settings, Hooks hooks, QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- operations named by the design ------------------------------------
    void SetCaptions();
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
    void showSummary();
    SummaryWindow* summaryWindow() const { return summaryWindow_; }
    const RecordingSummaryValues& liveSummary() const { return liveSummary_.values(); }
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
    ChartView& chart() const { return *chart_; }
    DataTableModel& table() const { return *tableModel_; }
    DataTableView& tableView() const { return *tableView_; }
    TabControl& tabs() const { return *frame_; }
    PowerGauge& powerGauge() const { return *gauge_; }
    CellPanelWidget& cellPanelWidget() const { return *cellPanel_; }
    QTextBrowser& helpPane() const { return *helpPane_; }
    QLabel* readout(int index) const;         // Label3(index)
    QLabel* largeReadout(int index) const;    // Label2(index)
    QCheckBox* curveSwitch(int index) const;  // Check1(index)
    QWidget* frame(int number) const;         // Frame1 .. Frame5
    SettingsStore& settings() const { return settings_; }

    double twipsPerPixelX() const { return tppX_; }
    double twipsPerPixelY() const { return tppY_; }
    const LayoutState& layoutState() const { return layout_; }
    const SizeLimits& sizeLimits() const { return limits_; }
    const QString& helpPageAddress() const { return helpPageAddress_; }
    void setCursorHold(bool hold) { cursorHold_ = hold; }
    QTimer& rescanTimer() { return timer1_; }
    session::LiveSession& session() { return *session_; }
    Recording& recording() { return session_->recording(); }
    // Whether a serial port or another source is open.
    bool linkOpen() const { return session_->source() != nullptr && session_->source()->isOpen(); }
    // The open serial port; nullptr when none is.
    QSerialPort* serialPort() const;
    ReceiveAssembler& receivePath() { return session_->receivePath(); }
    Journal& journal() { return *journal_; }
    AlarmWatch& alarms() { return *alarms_; }
    RangeTool& range() const { return *range_; }
    RangePanel& rangePanel() const { return *rangePanel_; }
    // Whether a vanished adapter is opened again when it comes back (the
    // View menu's check item, kept in the settings).
    bool reconnectEnabled() const;
    // The adapter waited for after it vanished; nothing when not waiting.
    const std::optional<PortInfo>& awaitedAdapter() const { return awaitedAdapter_; }
    QTimer& reconnectTimer() { return reconnectTimer_; }
    // Zooming and panning the chart with the mouse (View > Zoom and pan,
    // kept in the settings; off unless chosen).
    bool zoomPanEnabled() const;
    ChartZoom& chartZoom() const { return *zoom_; }

    // --- what the recording shows ---------------------------------------------------------
    bool cursorHold() const override { return cursorHold_; }
    void setReadout(int label3Index, const QString& text) override;
    void setLargeReadout(int label2Index, const QString& text) override;
    void fitReadouts() override { FitReadouts(); }
    PowerGaugeControl& gauge() override;
    CellPanelView& cellPanel() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Layout;
    void buildWidgets();
    void buildFrame1();
    void buildFrame2();
    void buildFrame4();
    void setUpLayout();
    void applyDesign(QWidget* w, const DesignRect& r);
    void restrictWindowSize();
    void placeWindow();
    void fitStatusBand();
    void showHelpAddress();
    void showLocalHelp();
    void fillModelBox();
    void addShortcuts();
    void dispatchTool(Tool* tool);
    void crossLine(Tool* tool);
    void chooseLanguage(Tool* tool);
    // Connect, or with `continuing` a reconnect that goes on with the
    // recording the lost link interrupted.
    void connectPort(Tool* clicked, bool continuing);
    // A new live recording: its summary starts again.
    void restartLiveSummary();
    // A row entered the live table.
    void summarizeRow(int row);
    void onLinkLost(const QString& reason);
    // The tool bar and status band as the session's link state asks.
    void showLinkState(session::LinkState state);
    void flipReceiveLamp();
    void exportTable();
    void printChart();
    void copyChart();
    void saveChart();
    void showAbout();
    // Whether the interface speaks Chinese (the stored language).
    bool inChinese() const;
    void setUpJournal();
    void rememberAdapter(const QString& portText);
    void awaitAdapter();
    void tryReconnect();
    void stopAwaiting();
    void toggleReconnect(Tool* t);
    void setUpZoom();
    void toggleZoomPan(Tool* t);
    // Packs (main_window_packs.cpp): View > Pack… and the pack file each new
    // journal gets.
    void choosePack();
    void tagJournal();
    // The pack of the present and following recordings (View > Pack…).
    PackInfo chosenPack() const;
    // The live summary, with the present recording's pack and note.
    RecordingSummaryValues liveSummaryValues() const;

    SettingsStore& settings_;
    Hooks hooks_;
    double tppX_ = 15;
    double tppY_ = 15;

    ToolBarControl* menu_ = nullptr;
    QTextBrowser* helpPane_ = nullptr;  // IE
    TabControl* frame_ = nullptr;
    ChartView* chart_ = nullptr;  // TChart1
    DataTableModel* tableModel_ = nullptr;
    DataTableView* tableView_ = nullptr;  // Grid1
    std::array<QGroupBox*, 5> frames_{};  // Frame1 .. Frame5
    PowerGauge* gauge_ = nullptr;         // Car1
    CellPanelWidget* cellPanel_ = nullptr;
    std::array<QCheckBox*, 4> check1_{};
    std::array<QLabel*, 25> label3_{};
    std::array<QLabel*, 3> label2_{};

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

    bool cursorHold_ = false;
    QString helpPageAddress_;
    QTimer timer1_;

    SystemTickClock systemTicks_;
    SystemWallClock systemWall_;
    SystemPortLister systemPorts_;
    const TickClock* ticks_ = &systemTicks_;
    const WallClock* wall_ = &systemWall_;
    const PortLister* ports_ = &systemPorts_;
    std::unique_ptr<session::LiveSession> session_;
    QNetworkAccessManager* network_ = nullptr;

    std::unique_ptr<Journal> journal_;
    QString restartedFrom_;  // the journal the pause rule ended last
    QString chargerName_;
    std::vector<QPointer<ViewerWindow>> viewers_;
    QPointer<SummaryWindow> summaryWindow_;
    RecordingSummarizer liveSummary_;
    AlarmWatch* alarms_ = nullptr;
    ChartZoom* zoom_ = nullptr;
    // The range cursors (View > "Range cursors") and their panel.
    RangePanel* rangePanel_ = nullptr;
    RangeTool* range_ = nullptr;
    void toggleRangeCursors(Tool* t);
    QString taggedJournal_;  // the journal whose pack file was written last
    std::optional<PortInfo> connectedAdapter_;
    std::optional<PortInfo> awaitedAdapter_;
    QTimer reconnectTimer_;
    // True while an export or a load runs the event loop itself.
    bool busy_ = false;
    struct BusyScope {
        explicit BusyScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
        ~BusyScope() { flag_ = was_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
        bool& flag_;
        bool was_;
    };
};

}  // namespace cellwatch
