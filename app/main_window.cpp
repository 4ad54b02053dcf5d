#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "app/alarm_band.h"
#include "app/captions.h"
#include "app/channel_choice.h"
#include "app/channel_packs.h"
#include "app/charger_model.h"
#include "app/database_sending.h"
#include "app/emulator_trial.h"
#include "app/help_pane.h"
#include "app/language.h"
#include "app/line_sharing.h"
#include "app/main_window_layout.h"
#include "app/network_list.h"
#include "app/page_sharing.h"
#include "app/power_gauge.h"
#include "app/tab_control.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"
#include "chart/data_table.h"
#include "protocol/driver_registry.h"
#include "protocol/tkrx_driver.h"
#include "readout/cell_panel_widget.h"
#include "readout/recording_views.h"
#include "readout/table_export.h"

namespace cellwatch {
namespace {

// Design geometry of the tagged controls, twips relative to their container.
constexpr DesignRect kMenuRect = {0, 0, kDesignClientWidth, kDesignClientHeight};
constexpr DesignRect kHelpRect = {0, 1080, 2505, 3135};
constexpr DesignRect kTabRect = {2520, 1080, 12495, 6375};
constexpr DesignRect kChartRect = {120, 360, 12255, 5925};
constexpr DesignRect kTableRect = {120, 360, 12375, 5985};
constexpr DesignRect kFrame1Rect = {0, 4080, 2535, 1890};
constexpr DesignRect kFrame4Rect = {0, 5760, 2535, 4410};
constexpr DesignRect kFrame3Rect = {2520, 7320, 8175, 2850};
// Frame2 ends at the client area's right edge, so the gauge frame flush
// against its right edge is seen whole.
constexpr DesignRect kFrame2Rect = {10635, 7320, kDesignClientWidth - 10635, 2850};

constexpr int kRescanIntervalMs = 3000;

}  // namespace

MainWindow::MainWindow(Settings& settings, QWidget* parent)
    : MainWindow(settings, Hooks(), parent) {}

MainWindow::MainWindow(Settings& settings, Hooks hooks, QWidget* parent)
    : QWidget(parent), settings_(settings), hooks_(withDefaultDialogs(std::move(hooks))) {
    setObjectName(QStringLiteral("Form1"));
    installLanguage(settings_.language());
    if (hooks_.ticks) {
        ticks_ = hooks_.ticks;
    }
    if (hooks_.wall) {
        wall_ = hooks_.wall;
    }
    if (hooks_.ports) {
        ports_ = hooks_.ports;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        tppX_ = 1440.0 / screen->logicalDotsPerInchX();
        tppY_ = 1440.0 / screen->logicalDotsPerInchY();
    }
    buildWidgets();

    // The live path: a source -> receive path -> decoders -> recording, in
    // the session, shown by the pane.
    session_ = std::make_unique<session::LiveSession>(session::SessionParts{
        pane_->rows(), *ticks_, *wall_, [this] { tool(StatusTool::ReceiveLamp)->flip(); }});
    alarms_ = new AlarmWatch(
        {settings_, *session_, &pane_->chart(), [this](const QString& m) { PostStatusMessage(m); },
         [this] { return chargerName_; }},
        this);
    // The views show the channel chosen (channel 1 of a charger of one).
    channels_ = new ChannelChoice({settings_, *session_, *pane_, *alarms_}, this);
    pack_ = new ChannelPacks({
                                 *this,
                                 settings_,
                                 hooks_,
                                 *session_,
                                 [this] { return journal_->folder(); },
                                 [this] { return channels_->chosen(); },
                                 [this](const QString& m) { PostStatusMessage(m); },
                             },
                             this);
    followShownChannel();
    connect(session_.get(), &session::LiveSession::lost, this, &MainWindow::onLinkLost);
    connect(session_.get(), &session::LiveSession::stateChanged, this, &MainWindow::showLinkState);
    resize(static_cast<int>(std::lround(kDesignClientWidth / tppX_)),
           static_cast<int>(std::lround(kDesignClientHeight / tppY_)));

    // The load event's start-up sequence. The layout is captured here, at the
    // design size, so that a start-up size made smaller to fit the screen is
    // laid out like any other size.
    layout_.designWidth = static_cast<std::int32_t>(std::lround(width() * tppX_));
    layout_.designHeight = static_cast<std::int32_t>(std::lround(height() * tppY_));
    setUpLayout();
    startSize_ = size();
    restrictWindowSize();
    pane_->setCursorHold(false);
    ShowHelpPage();
    SetUpTable();
    SetCaptions();
    ResetChart();
    ScanPorts();
    InitPowerGauge();
    FitReadouts();
    placeWindow();
    timer1_.setInterval(kRescanIntervalMs);
    connect(&timer1_, &QTimer::timeout, this, [this] { ScanPorts(); });
    timer1_.start();
    setUpJournal();
    alarms_->setPack(pack_->of(1));  // the chosen packs' cell limits
    alarms_->setChannelPacks([this](int channel) { return pack_->of(channel); });
    setUpZoom();
    alarms_->useCommands(menu_->handOver(Command::AlarmSound),
                         menu_->handOver(Command::AlarmRules));
    channels_->useCommand(menu_->handOver(Command::AllChannels));
    useNetworkCommands(*this, settings_, menu_->handOver(Command::NetworkList),
                       menu_->handOver(Command::WatchCharger));
    // The line published on a broker and captured to a file.
    auto* sharing = new LineSharing(
        {settings_, *session_, pane_->rows(), this,
         [this](const QString& m) { PostStatusMessage(m); }, hooks_.showFailure, hooks_.askSaveFile,
         hooks_.askOpenFile, hooks_.showDialog, [this] { return !chargerName_.isEmpty(); }},
        this);
    sharing->useCommands(menu_->handOver(Command::CaptureLine),
                         menu_->handOver(Command::PublishLine));
    // The live page for a phone or another computer's browser.
    pageSharing_ = new PageSharing(
        {settings_, *session_, *this, hooks_, [this](const QString& m) { PostStatusMessage(m); },
         [this] { return !chargerName_.isEmpty(); }},
        this);
    pageSharing_->useCommand(menu_->handOver(Command::Share));
    pageSharing_->addMark(menu_->statusBand());
    databaseSending_ = new DatabaseSending(
        {settings_, *session_, *this, hooks_, [this](const QString& m) { PostStatusMessage(m); },
         [this] { return chargerName_; }},
        this);
    databaseSending_->useCommand(menu_->handOver(Command::Database));
    databaseSending_->addMark(menu_->statusBand());
    usePaperChoice(menu_->handOver(Command::WhitePaper), settings_);
    // Help > "Try the emulator", and how to try it while no port is found.
    emulatorTrial_ = new EmulatorTrial({[this](const QString& m) { PostStatusMessage(m); },
                                        [this](const QString& path) { connectTo(path); }},
                                       this);
    emulatorTrial_->useCommand(menu_->handOver(Command::Emulator));
    connect(session_.get(), &session::LiveSession::stateChanged, emulatorTrial_,
            [this](session::LinkState state) {
                emulatorTrial_->linkChanged(state == session::LinkState::Connected ||
                                            state == session::LinkState::Connecting);
            });
    if (tool(StatusTool::Port)->itemCount() == 0) {
        emulatorTrial_->hint();
    }
}

MainWindow::~MainWindow() {
    // The channel views let go of the session's channels before they go;
    // whatever the journal still owes is written while the table is there.
    channels_->sessionEnding();
    session_.reset();
}

void MainWindow::applyDesign(QWidget* w, const DesignRect& r) {
    w->setGeometry(static_cast<int>(std::lround(r.left / tppX_)),
                   static_cast<int>(std::lround(r.top / tppY_)),
                   static_cast<int>(std::lround(r.width / tppX_)),
                   static_cast<int>(std::lround(r.height / tppY_)));
}

// The tool bar control, the help pane and the recording pane, its widgets
// where the design puts them. Later controls lie above earlier ones; the
// tool bar control covers the whole client area underneath them all.
void MainWindow::buildWidgets() {
    menu_ = new ToolBarControl(tppX_, this);
    applyDesign(menu_, kMenuRect);
    connect(menu_, &ToolBarControl::toolClicked, this, &MainWindow::OnToolClick);
    connect(menu_, &ToolBarControl::listSelected, this, &MainWindow::OnModelSelect);
    // A port chosen shows the charger last connected on it.
    connect(menu_, &ToolBarControl::listSelected, this, [this](Tool* t) {
        if (t == tool(StatusTool::Port)) {
            const QString charger = settings_.text(Keyed::Charger, t->text().trimmed());
            if (findDriver(charger.toStdString()) != nullptr) {
                tool(StatusTool::Charger)->setText(charger);
            }
        }
    });

    helpPane_ = new HelpPane(this);
    applyDesign(helpPane_, kHelpRect);

    pane_ = new RecordingPane(*this, tppX_, hooks_.askSaveFile,
                              [this](const QString& text) { PostStatusMessage(text); });
    applyDesign(&pane_->tabs(), kTabRect);
    applyDesign(&pane_->chart(), kChartRect);
    applyDesign(&pane_->tableView(), kTableRect);
    applyDesign(pane_->frame(1), kFrame1Rect);
    applyDesign(pane_->frame(4), kFrame4Rect);
    applyDesign(pane_->frame(3), kFrame3Rect);
    applyDesign(pane_->frame(2), kFrame2Rect);
    pane_->cellPanelWidget().setGeometry(pane_->frame(3)->rect().adjusted(2, 2, -2, -2));
    // The charger model box shows while the gauge does.
    pane_->onReadoutsFitted(
        [this](bool gaugeShown) { tool(StatusTool::Model)->widget()->setVisible(gaugeShown); });

    menu_->lower();
    fillModelBox();
    fillChargerBox();
    addShortcuts();
    buildParts();
}

void MainWindow::buildParts() {
    commands_ = std::make_unique<ChartCommands>(
        ChartCommands::Parts{*this,
                             *pane_,
                             hooks_,
                             [this](const QString& m) { PostStatusMessage(m); },
                             [this] {
                                 return QFileInfo(defaultExportPath(wall_->now())).absolutePath() +
                                        QStringLiteral("/cellwatch-") +
                                        wall_->now().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                        QStringLiteral(".png");
                             },
                             [this] { return defaultExportPath(wall_->now()); },
                             {},
                             [this] {
                                 RecordingSummaryValues v = liveSummary_->valuesWithPack();
                                 if (!v.start.isValid() && v.rows > 0) {
                                     v.start = session_->recording().recordingStart();
                                 }
                                 return v;
                             },
                             [this] { return whitePaper(settings_); }});
    portBox_ = new PortBox(
        {*tool(StatusTool::Port), *ports_, settings_,
         [this](const QString& m) { PostStatusMessage(m); },
         [this] { return tool(Command::Connect)->enabled(); }, [this] { return busy(); }},
        this);
    connect(portBox_, &PortBox::adapterBack, this, &MainWindow::reconnectTo);
    connect(portBox_, &PortBox::waitAbandoned, this, [this] {
        if (session_->state() == session::LinkState::WaitingForAdapter) {
            session_->giveUp();  // no reconnect goes on with the interrupted recording
        }
    });
    liveSummary_ = new LiveSummary(*this, pane_->rows(), [this] { return pack_->chosen(); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A text field claims some of the commands' keys for its own editing
    // (Ctrl+C copies its text; on X11, Ctrl+E moves to its end). The
    // window's commands win: the field is not asked, and the key runs the
    // command wherever the focus is.
    if (event->type() == QEvent::ShortcutOverride) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        if (std::find(commandKeys_.begin(), commandKeys_.end(), pressed) != commandKeys_.end()) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- chart, table, help page, ports, gauge ------------------------------------------------

// Empties the table to its header row and sets its columns up as designed.
void MainWindow::SetUpTable() {
    session_->recording().SetUpTable();
}

void MainWindow::ResetChart() {
    session_->recording().ResetChart();
}

void MainWindow::ShowHelpPage() {
    helpPane_->showHelpPage(hooks_.isOnline());
}

void MainWindow::ScanPorts() {
    portBox_->scan();
}

void MainWindow::InitPowerGauge() {
    cellwatch::InitPowerGauge(pane_->powerGauge());
}

void MainWindow::FitReadouts() {
    pane_->fitReadouts();
}

void MainWindow::addShortcuts() {
    for (const CommandEntry& e : commandCatalogue()) {
        const QKeySequence key = commandKey(e.id);
        if (key.isEmpty()) {
            continue;
        }
        QAction* action = tool(e.id)->action();
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        addAction(action);  // works whether or not the menu is open
        commandKeys_.push_back(key);
    }
    // The text fields of the tool bar (the port box) leave these keys to the
    // window; an editable box hands its keys on to its field itself.
    for (QComboBox* box : menu_->findChildren<QComboBox*>()) {
        if (box->isEditable()) {
            box->installEventFilter(this);
        }
    }
    for (QLineEdit* field : menu_->findChildren<QLineEdit*>()) {
        field->installEventFilter(this);
    }
}

void MainWindow::fillChargerBox() {
    Tool* box = tool(StatusTool::Charger);
    for (const DriverEntry& driver : chargerDrivers()) {
        box->addItem(QString::fromUtf8(driver.id.data(), static_cast<qsizetype>(driver.id.size())));
    }
    box->setText(
        QString::fromUtf8(kFirstDriverId.data(), static_cast<qsizetype>(kFirstDriverId.size())));
}

void MainWindow::fillModelBox() {
    Tool* model = tool(StatusTool::Model);
    for (std::string_view entry : kModelEntries) {
        model->addItem(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
    }
    model->setText(
        QString::fromUtf8(kModelStartText.data(), static_cast<qsizetype>(kModelStartText.size())));
}

void MainWindow::OnModelSelect(Tool* tool) {
    cellwatch::OnModelSelect(pane_->powerGauge(), tool->name(), tool->text());
}

// Zooming and panning the live chart: View > "Zoom and pan", off unless the
// user chose it, the choice kept in the settings. While it is on and the user
// has zoomed or panned, arriving samples do not move the view; Home (or a
// double-click) follows the recording again, and so does turning it off.
bool MainWindow::zoomPanEnabled() const {
    return settings_.on(Flag::ZoomPan);
}

void MainWindow::setUpZoom() {
    const bool on = zoomPanEnabled();
    tool(Command::ZoomPan)->setChecked(on);
    pane_->zoom().setEnabled(on);
    // View > "Cell curves": off unless the user chose it, kept the same way.
    const bool cells = settings_.on(Flag::CellCurves);
    tool(Command::CellCurves)->setChecked(cells);
    pane_->keepCellShare(settings_);
    if (cells) {
        pane_->setCellCurves(true);
    }
}

// --- accessors ------------------------------------------------------------------------------

Tool* MainWindow::tool(const QString& band, const QString& name) const {
    Tool* t = menu_->tool(band, name);
    if (t == nullptr) {
        throw std::logic_error("no tool " + band.toStdString() + "." + name.toStdString());
    }
    return t;
}

Tool* MainWindow::tool(Command command) const {
    return menu_->tool(command);
}

Tool* MainWindow::tool(StatusTool which) const {
    return menu_->tool(which);
}

QWidget* MainWindow::frame(int number) const {
    return pane_->frame(number);
}

QTextBrowser& MainWindow::helpPane() const {
    return *helpPane_;
}

const QString& MainWindow::helpPageAddress() const {
    return helpPane_->address();
}

void MainWindow::PostStatusMessage(const QString& message) {
    cellwatch::PostStatusMessage(*tool(StatusTool::Message), message, wall_->now().time());
}

}  // namespace cellwatch
