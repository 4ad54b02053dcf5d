// The main window's commands: the dispatch of the tool clicked, the texts of
// both languages, connecting and the link's state, the journal every row
// goes to, and opening recordings in windows of their own.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>
#include <exception>
#include <stdexcept>

#include "app/about_box.h"
#include "app/alarm_band.h"
#include "app/captions.h"
#include "app/channel_choice.h"
#include "app/channel_packs.h"
#include "app/emulator_trial.h"
#include "app/help_pane.h"
#include "app/import_dialog.h"
#include "app/language.h"
#include "app/main_window.h"

#include "app/database_sending.h"

#include "analysis/range_stats.h"
#include "app/network_list.h"
#include "app/network_watch.h"
#include "app/page_sharing.h"
#include "app/recordings_dialog.h"
#include "app/tab_control.h"
#include "app/toolbar.h"
#include "app/viewer_window.h"
#include "app/work_progress.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"
#include "chart/data_table.h"
#include "session/fed_source.h"
#include "session/journal_pack.h"
#include "session/link_source.h"
#include "session/replay_source.h"
#include "session/serial_source.h"

namespace cellwatch {
namespace {

// A text's Chinese translation, whatever the language installed.
QString chineseText(const char* context, const char* source) {
    static QTranslator* const chinese = [] {
        auto* t = new QTranslator(QCoreApplication::instance());
        if (!t->load(QStringLiteral(":/translations/cellwatch_zh_CN.qm"))) {
            qWarning("the Chinese translations are missing");
        }
        return t;
    }();
    const QString text = chinese->translate(context, source);
    return text.isEmpty() ? QString::fromUtf8(source) : text;
}

}  // namespace

void MainWindow::runCommand(const std::function<void()>& command) {
    cellwatch::runCommand(this, hooks_, command);
}

void MainWindow::OnToolClick(Tool* clicked) {
    // Clicks arrive by the tool's name; the tools that are no commands (the
    // port box) have their own meaning.
    runCommand([this, clicked] {
        if (const std::optional<Command> command = commandOf(clicked->band(), clicked->name())) {
            dispatch(*command, clicked);
        } else if (clicked == tool(StatusTool::Port)) {
            ScanPorts();
        }
    });
}

void MainWindow::dispatch(Command command, Tool* clicked) {
    switch (command) {
        case Command::Print:
            commands_->print();
            break;
        case Command::CrossLine:
            toggle(clicked, [this](bool on) { pane_->setCrossLine(on); });
            break;
        case Command::Connect:
            portBox_->stopAwaiting();  // the user's own choice of port
            Connect(clicked);
            break;
        case Command::Disconnect:
            Disconnect(clicked);
            break;
        case Command::Export:
            commands_->exportTable(QString());
            break;
        case Command::Language:
            chooseLanguage(clicked);
            break;
        case Command::Refresh:
            pane_->chart().repaint();
            ScanPorts();
            break;
        case Command::Exit:
            close();
            break;
        case Command::Copy:
            commands_->copy();
            break;
        case Command::Save:
            commands_->save();
            break;
        case Command::About:
            showAbout();
            break;
        case Command::Open:
            openRecording(QString());
            break;
        case Command::Recordings:
            showRecordings();
            break;
        case Command::Import: {
            ImportDialog dialog(journal_->folder(), QString::fromLatin1(kVersionText), this);
            hooks_.showDialog(dialog);
            break;
        }
        case Command::Reconnect:
            toggle(clicked, [this](bool on) { portBox_->setReconnectEnabled(on); });
            break;
        case Command::Summary:
            liveSummary_->show();
            break;
        case Command::ZoomPan:
            toggle(clicked, [this](bool on) {
                settings_.setOn(Flag::ZoomPan, on);
                pane_->zoom().setEnabled(on);
            });
            break;
        case Command::CellCurves:
            toggle(clicked, [this](bool on) {
                settings_.setOn(Flag::CellCurves, on);
                pane_->setCellCurves(on);
            });
            break;
        case Command::RangeCursors:
            toggle(clicked, [this](bool on) {
                pane_->setRangeCursors(on);
                tool(Command::ExportRange)->setEnabled(on);
            });
            break;
        case Command::ExportRange:
            commands_->exportRange(QString());
            break;
        case Command::Pack:
            if (pack_->choose()) {
                liveSummary_->packChanged();
                alarms_->setPack(pack_->of(1));
            }
            break;
        case Command::Guide:
            break;
        // Handed over to the parts of the window that carry them out.
        case Command::CaptureLine:
        case Command::AlarmSound:
        case Command::AlarmRules:
        case Command::AllChannels:
        case Command::NetworkList:
        case Command::WatchCharger:
        case Command::PublishLine:
        case Command::Share:
        case Command::Database:
        case Command::WhitePaper:
        case Command::Emulator:
        case Command::CellDifference:
            break;
    }
}

// A check item's click: the command's own state flips, then takes effect.
void MainWindow::toggle(Tool* t, const std::function<void(bool)>& apply) {
    const bool on = !t->checked();
    t->setChecked(on);
    apply(on);
}

void MainWindow::chooseLanguage(Tool* t) {
    settings_.setLanguageCode(t->name());
    installLanguage(languageOf(t->name()));
    SetCaptions();
    tool(StatusTool::Language)->setWidth(800);
}

void MainWindow::SetCaptions() {
    helpPane_->showAgain();  // the help page is shown again

    for (const ToolCaption& c : toolCaptions()) {
        Tool* t = tool(QString::fromLatin1(c.band), QString::fromLatin1(c.tool));
        const QString text = c.translated();
        if (c.property == ToolProperty::Caption) {
            t->setCaption(text);
        } else {
            t->setTooltip(text);
        }
        if (t == tool(StatusTool::LinkState)) {
            PostStatusMessage(kLanguageSetMessage.text());
        }
    }
    menu_->retranslate();  // the commands' captions at once, too
    showLinkText();        // the captions above blank it
    const QString title = kWindowTitle.text() + QString::fromLatin1(kVersionText);
    setWindowTitle(chargerName_.isEmpty() ? title
                                          : chargerName_ + QStringLiteral(" \u2014 ") + title);
    pane_->retranslate();
    pane_->tabs().setCurrentPage(0);
    session_->recording().retitleIdle();  // an idle chart's title follows at once
    if (databaseSending_) {
        databaseSending_->retranslate();
    }
}

void MainWindow::showAbout() {
    AboutBox box(settings_.languageCode(), this);
    hooks_.showDialog(box);
}

void MainWindow::exportTableTo(const QString& file) {
    commands_->exportTable(file);
}

void MainWindow::OnChartMouseMove(Qt::KeyboardModifiers, int x, int) {
    pane_->followMouse(x);
}

// --- connecting ----------------------------------------------------------------------------

void MainWindow::Connect(Tool* /*clicked*/) {
    try {
        connectPort(false);
    } catch (const std::exception& failure) {
        if (net::isBrokerAddress(portBox_->text())) {
            throw;  // the watch says why in words of its own
        }
        //: %1 why, in the system's or the link's own words (English)
        throw std::runtime_error(
            tr("Cannot connect: %1").arg(QString::fromUtf8(failure.what())).toStdString());
    }
}

// Opens the port named in the port box. A new recording starts, unless the
// port is the adapter that vanished coming back (`continuing`): the recording
// the lost link interrupted then goes on, with its table, chart, time base and
// journal file, and the pause rule decides as ever whether the silence was
// long enough to start a new one.
void MainWindow::connectPort(bool continuing) {
    const QString portText = portBox_->text();
    if (net::isBrokerAddress(portText)) {
        NetworkWatch::openOrThrow(settings_, portText.trimmed(), this);  // in a window of its own
        return;
    }
    // The charger chosen beside the port, remembered for the port.
    // (An emulated charger's port says which charger it plays.)
    const std::string played = session::chargerOfPort(portText);
    const QString charger =
        played.empty() ? tool(StatusTool::Charger)->text() : QString::fromStdString(played);
    const DriverEntry* driver = findDriver(charger.toStdString());
    if (driver == nullptr || !session_->setCharger(charger.toStdString())) {
        throw std::runtime_error("no charger " + charger.toStdString());
    }
    tool(StatusTool::Charger)->setText(charger);  // the one the port plays, shown
    session_->open(session::makePortSource(session_->sourceEvents(), portText, *driver),
                   continuing);
    settings_.setText(Keyed::Charger, portText.trimmed(), charger);
    portBox_->remember(portText);
}

void MainWindow::reconnectTo(const QString& entry) {
    try {
        connectPort(true);  // the interrupted recording goes on
    } catch (const std::exception&) {
        return;  // not ready yet (a device that just appeared): try again
    }
    portBox_->reconnected(entry);
}

void MainWindow::connectTo(const QString& port) {
    portBox_->setText(port);
    OnToolClick(tool(Command::Connect));
}

void MainWindow::beginReplay(const QString& name) {
    portBox_->setText(name);
    session_->open(std::make_unique<session::FedSource>(name));
}

void MainWindow::replayCapture(const QString& file, double speed) {
    auto source = std::make_unique<session::ReplaySource>(session_->sourceEvents(), file, speed);
    portBox_->setText(source->name());
    session_->open(std::move(source));
}

void MainWindow::endReplay() {
    if (replaying()) {
        runCommand([this] { Disconnect(tool(Command::Disconnect)); });
    }
}

void MainWindow::Disconnect(Tool* /*clicked*/) {
    session_->stop();
}

void MainWindow::setChargerName(const QString& name) {
    chargerName_ = name;
    SetCaptions();
}

QSerialPort* MainWindow::serialPort() const {
    auto* serial = dynamic_cast<session::SerialSource*>(session_->source());
    return serial != nullptr && serial->isOpen() ? &serial->link().port() : nullptr;
}

bool MainWindow::busy() const {
    return opening_ || commands_->busy() || QApplication::activeModalWidget() != nullptr;
}

// The tool bar follows the session: the port box, Connect and Disconnect,
// the receive lamp's band and the link's text.
void MainWindow::showLinkState(session::LinkState state) {
    using session::LinkState;
    const bool open = state == LinkState::Connected || state == LinkState::Replaying ||
                      state == LinkState::Connecting;
    if (open) {
        timer1_.stop();
    } else {
        timer1_.start();
    }
    tool(StatusTool::PortLamp)->setEnabled(open);
    tool(Command::Disconnect)->setEnabled(open);
    tool(Command::Connect)->setEnabled(!open);
    tool(StatusTool::Port)->setEnabled(!open);
    tool(StatusTool::Charger)->setEnabled(!open);
    const bool connected = state == LinkState::Connected || state == LinkState::Replaying;
    linkText_ = connected ? &kOnLine : &kDisconnected;
    showLinkText();
}

void MainWindow::showLinkText() {
    if (linkText_ != nullptr) {
        // The link's text is Chinese for a stored "CHT" in any case.
        tool(StatusTool::LinkState)
            ->setText(chineseChosenAnyCase(settings_) ? chineseText("Captions", linkText_->source)
                                                      : linkText_->text());
    }
}

void MainWindow::onLinkLost(const QString& reason) {
    // The adapter went away while connected: back to the disconnected state,
    // once, without a dialog; the recording stays for saving and export. The
    // journal stays open for a reconnect to go on with; it ends when nothing
    // is waited for.
    const LinkLoss loss = session_->lossReason();
    // English keeps the system's own words.
    // A loss that is no device's (a watched charger's: its window words it)
    // has no words of its own in another language.
    const QString why = installedLanguage() == Language::English ? reason
                        : loss == LinkLoss::DeviceGone           ? tr("the device was removed")
                        : loss == LinkLoss::DeviceFailed         ? tr("the device stopped working")
                                                                 : QString();
    PostStatusMessage(why.isEmpty() ? kLinkLost.text()
                                    : kLinkLost.text() + QStringLiteral(" (") + why + u')');
    if (portBox_->awaitAdapter()) {
        session_->awaitSameAdapter();
    } else {
        session_->giveUp();
    }
}

// --- the journal -------------------------------------------------------------------------------

void MainWindow::setUpJournal() {
    const QString folder =
        hooks_.journalFolder.isEmpty() ? Journal::defaultFolder() : hooks_.journalFolder;
    journal_ = std::make_unique<Journal>(folder, QString::fromLatin1(kVersionText));
    journal_->setNoticeHandler([this](Journal::Notice notice, const QString& detail) {
        const Phrase& text = notice == Journal::Notice::Stopped    ? kJournalStopped
                             : notice == Journal::Notice::CaughtUp ? kJournalCaughtUp
                                                                   : kJournalRecreated;
        PostStatusMessage(text.text() + QStringLiteral(": ") + detail);
    });
    session_->setJournal(journal_.get());
    connect(session_.get(), &session::LiveSession::recordingBegun, this, [this] {
        pane_->zoom().showWhole();  // a new recording is shown from its start
        // The charger whose driver decodes it (a watched publisher's own).
        const std::string_view driver = session_->driver().id();
        tool(StatusTool::Charger)
            ->setText(QString::fromUtf8(driver.data(), static_cast<qsizetype>(driver.size())));
        liveSummary_->restart(session_->recording(channels_->chosen()).recordingStart());
    });
    // A pause clears table and chart; the journal keeps what came before and
    // the next rows go to a new file.
    connect(session_.get(), &session::LiveSession::restarting, this,
            [this] { restartedFrom_ = session_->journaling() ? journal_->path() : QString(); });
    connect(session_.get(), &session::LiveSession::restarted, this, [this] {
        PostStatusMessage(restartedFrom_.isEmpty()
                              ? kNewRecording.text()
                              : kNewRecordingKept.text().arg(QFileInfo(restartedFrom_).fileName()));
    });
    tool(Command::Reconnect)->setChecked(portBox_->reconnectEnabled());
}

// The summary reads the rows of the channel shown, and starts again with
// its recording.
void MainWindow::followShownChannel() {
    connect(channels_, &ChannelChoice::shownRowAppended, liveSummary_, &LiveSummary::addRow);
    liveSummary_->setReportedCells([this] { return session_->reportedCells(channels_->chosen()); });
    connect(channels_, &ChannelChoice::shownRestarted, liveSummary_, [this] {
        liveSummary_->restart(session_->recording(channels_->chosen()).recordingStart());
    });
    connect(channels_, &ChannelChoice::shownChanged, liveSummary_, [this](int channel) {
        liveSummary_->follow(session_->rows(channel),
                             session_->recording(channel).recordingStart());
    });
}

// --- opening a recording -------------------------------------------------------------------

ViewerWindow* MainWindow::openRecording(const QString& given) {
    QString file = given;
    if (file.isEmpty()) {
        file = hooks_.askOpenFile(this, tr("Open"), journal_->folder(),
                                  {tr("Recordings (*.csv)"), tr("All files (*)")});
        if (file.isEmpty()) {
            return nullptr;
        }
    }
    // The live window goes on meanwhile (rows keep arriving), but does not
    // reconnect while the file is read.
    auto viewer = std::make_unique<ViewerWindow>(settings_, hooks_, *ticks_, *wall_, this);
    bool opened = false;
    {
        const BusyFlag busy(opening_);
        WorkProgress progress(this, kOpeningFile.text().arg(QFileInfo(file).fileName()));
        opened = viewer->open(file, progress.steps());
    }
    if (!opened) {
        return nullptr;  // cancelled: nothing opens
    }
    ViewerWindow* shown = viewer.release();
    std::erase_if(viewers_, [](const QPointer<ViewerWindow>& v) { return v.isNull(); });
    viewers_.emplace_back(shown);
    shown->placeOver(*this);
    shown->show();
    shown->raise();
    PostStatusMessage(QStringLiteral("%1 %2 (%3)")
                          .arg(kOpened.text(), QDir::toNativeSeparators(file))
                          .arg(shown->table().gridRowCount() - 1));
    return shown;
}

std::vector<ViewerWindow*> MainWindow::viewers() const {
    std::vector<ViewerWindow*> open;
    for (const QPointer<ViewerWindow>& viewer : viewers_) {
        if (viewer) {
            open.push_back(viewer);
        }
    }
    return open;
}

void MainWindow::showRecordings() {
    RecordingsDialog dialog(journal_->folder(), this);
    hooks_.showDialog(dialog);
    if (!dialog.chosenFile().isEmpty()) {
        openRecording(dialog.chosenFile());
    }
}

}  // namespace cellwatch
