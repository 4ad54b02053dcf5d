// The tool bar's commands and the texts of both languages.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextBrowser>
#include <exception>
#include <stdexcept>

#include "app/about_box.h"
#include "app/alarm_band.h"
#include "app/captions.h"
#include "app/main_window.h"
#include "app/network_list.h"
#include "app/network_watch.h"
#include "app/range_panel.h"
#include "app/readout_panels.h"
#include "app/summary_window.h"
#include "app/tab_control.h"
#include "app/toolbar.h"
#include "app/viewer_window.h"
#include "chart/chart_export.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"
#include "chart/data_table.h"
#include "readout/cell_panel.h"
#include "readout/cell_panel_widget.h"
#include "readout/cursor_search.h"
#include "readout/table_export.h"
#include "session/fed_source.h"
#include "session/replay_source.h"
#include "session/serial_source.h"

namespace cellwatch {

void MainWindow::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& failure) {
        hooks_.showFailure(this, QString::fromUtf8(failure.what()));
    }
}

void MainWindow::OnToolClick(Tool* clicked) {
    runCommand([this, clicked] { dispatchTool(clicked); });
}

void MainWindow::dispatchTool(Tool* t) {
    const QString& name = t->name();
    if (name == QLatin1String("Print")) {
        printChart();
    } else if (name == QLatin1String("CrossLine")) {
        crossLine(t);
    } else if (name == QLatin1String("Link")) {
        stopAwaiting();  // the user's own choice of port
        Connect(t);
    } else if (name == QLatin1String("Off")) {
        Disconnect(t);
    } else if (name == QLatin1String("Export")) {
        exportTable();
    } else if (name == QLatin1String("CHT") || name == QLatin1String("ENG")) {
        chooseLanguage(t);
    } else if (name == QLatin1String("Refresh")) {
        chart_->repaint();
        ScanPorts();
    } else if (name == QLatin1String("Exit")) {
        close();
    } else if (name == QLatin1String("Copy")) {
        copyChart();
    } else if (name == QLatin1String("Save")) {
        saveChart();
    } else if (name == QLatin1String("About")) {
        showAbout();
    } else if (name == QLatin1String("com")) {
        ScanPorts();
    } else if (name == QLatin1String("Open")) {
        openRecording(QString());
    } else if (name == QLatin1String("Records")) {
        showRecordings();
    } else if (name == QLatin1String("Reconnect")) {
        toggleReconnect(t);
    } else if (name == QLatin1String("Summary")) {
        showSummary();
    } else if (name == QLatin1String("ZoomPan")) {
        toggleZoomPan(t);
    } else if (name == QLatin1String("RangeCursors")) {
        toggleRangeCursors(t);
    } else if (name == QLatin1String("ExportRange")) {
        range_->exportRange(QString());
    } else if (name == QLatin1String("Pack")) {
        choosePack();
    }
}

void MainWindow::toggleRangeCursors(Tool* t) {
    frame_->setCurrentPage(0);
    t->setChecked(!t->checked());
    range_->setActive(t->checked());
    tool(QStringLiteral("View1"), QStringLiteral("ExportRange"))->setEnabled(t->checked());
}

void MainWindow::crossLine(Tool* t) {
    frame_->setCurrentPage(0);
    if (t->checked()) {
        t->setChecked(false);
        chart_->setCursorActive(false);
    } else {
        t->setChecked(true);
        chart_->setCursorActive(true);
    }
}

void MainWindow::chooseLanguage(Tool* t) {
    writeLanguageCode(settings_, t->name());
    SetCaptions();
    tool(QStringLiteral("Tools"), QStringLiteral("Language"))->setWidth(800);
}

void MainWindow::SetCaptions() {
    const bool chinese = isChinese(readLanguageCode(settings_));
    const auto pick = [chinese](const char* zh, const char* en) {
        return QString::fromUtf8(chinese ? zh : en);
    };

    showHelpAddress();  // the help page is shown again

    for (const ToolCaption& c : toolCaptions()) {
        Tool* t = tool(QString::fromLatin1(c.band), QString::fromLatin1(c.tool));
        const QString text = pick(c.chinese, c.english);
        if (c.property == ToolProperty::Caption) {
            t->setCaption(text);
        } else {
            t->setTooltip(text);
        }
        if (t->name() == QLatin1String("Link_state")) {
            PostStatusMessage(kLanguageSetMessage.pick(chinese));
        }
    }
    const QString title = kWindowTitle.pick(chinese) + QString::fromLatin1(kVersionText);
    setWindowTitle(chargerName_.isEmpty() ? title
                                          : chargerName_ + QStringLiteral(" \u2014 ") + title);
    setPanelCaptions(*this, chinese);
    frame_->setPageCaption(0, kTabGraph.pick(chinese));
    frame_->setPageCaption(1, kTabData.pick(chinese));
    frame_->setCurrentPage(0);
    setChartAxisTitles(*chart_, chinese);
    range_->setLanguage(chinese);
    setNetworkMenuCaption(*this, chinese);
    session_->recording().retitleIdle();  // an idle chart's title follows at once
    // The windows of opened recordings and the summary speak the same language.
    for (ViewerWindow* viewer : viewers()) {
        viewer->setCaptions();
    }
    alarms_->band().setLanguage(chinese);
    if (summaryWindow_) {
        summaryWindow_->setLanguage(chinese);
    }
}

void MainWindow::Connect(Tool* clicked) {
    connectPort(clicked, false);
}

// Opens the port named in the port box. A new recording starts, unless the
// port is the adapter that vanished coming back (`continuing`): the recording
// the lost link interrupted then goes on, with its table, chart, time base and
// journal file, and the pause rule decides as ever whether the silence was
// long enough to start a new one.
void MainWindow::connectPort(Tool* /*clicked*/, bool continuing) {
    Tool* com = tool(QStringLiteral("Tools"), QStringLiteral("com"));
    const QString portText = com->text();
    if (net::isBrokerAddress(portText)) {
        NetworkWatch::openOrThrow(settings_, portText.trimmed(), this);  // in a window of its own
        return;
    }
    const QString device = portToOpen(portText);
    session_->open(std::make_unique<session::SerialSource>(session_->receivePath(),
                                                           session_->sourceEvents(), device),
                   continuing);
    rememberAdapter(portText);
}

void MainWindow::beginReplay(const QString& name) {
    tool(QStringLiteral("Tools"), QStringLiteral("com"))->setText(name);
    session_->open(std::make_unique<session::FedSource>(name));
}

void MainWindow::replayCapture(const QString& file, double speed) {
    auto source = std::make_unique<session::ReplaySource>(session_->receivePath(),
                                                          session_->sourceEvents(), file, speed);
    tool(QStringLiteral("Tools"), QStringLiteral("com"))->setText(source->name());
    session_->open(std::move(source));
}

void MainWindow::endReplay() {
    if (replaying()) {
        runCommand([this] { Disconnect(tool(QStringLiteral("Tools"), QStringLiteral("Off"))); });
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
    tool(QStringLiteral("state"), QStringLiteral("USBL1"))->setEnabled(open);
    tool(QStringLiteral("Tools"), QStringLiteral("Off"))->setEnabled(open);
    tool(QStringLiteral("Tools"), QStringLiteral("Link"))->setEnabled(!open);
    tool(QStringLiteral("Tools"), QStringLiteral("com"))->setEnabled(!open);
    const bool connected = state == LinkState::Connected || state == LinkState::Replaying;
    const BilingualText& text = connected ? kOnLine : kDisconnected;
    // The link's text reads the language as the connection handlers always
    // have: any case of "CHT" is Chinese.
    const bool chinese = readLanguageCode(settings_).toUpper() == kLanguageChinese;
    tool(QStringLiteral("state"), QStringLiteral("Link_state"))->setText(text.pick(chinese));
}

void MainWindow::onLinkLost(const QString& reason) {
    // The adapter went away while connected: back to the disconnected state,
    // once, without a dialog; the recording stays for saving and export. The
    // journal stays open for a reconnect to go on with; it ends when nothing
    // is waited for.
    const LinkLoss loss = session_->lossReason();
    const bool chinese = inChinese();
    const QString why = !chinese                       ? reason
                        : loss == LinkLoss::DeviceGone ? QStringLiteral("设备已移除")
                                                       : QStringLiteral("设备停止工作");
    PostStatusMessage(kLinkLost.pick(chinese) + QStringLiteral(" (") + why + u')');
    awaitAdapter();
    if (awaitedAdapter_) {
        session_->awaitSameAdapter();
    } else {
        session_->giveUp();
    }
}

void MainWindow::connectTo(const QString& port) {
    Tool* com = tool(QStringLiteral("Tools"), QStringLiteral("com"));
    com->setText(port);
    OnToolClick(tool(QStringLiteral("Tools"), QStringLiteral("Link")));
}

// --- taking the recording out ------------------------------------------------------------

void MainWindow::saveChart() {
    const QString proposed =
        QFileInfo(defaultExportPath(wall_->now())).absolutePath() + QStringLiteral("/cellwatch-") +
        wall_->now().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".png");
    const QString file =
        hooks_.askSaveFile(this, QStringLiteral("Save"), proposed, chartPictureFilters());
    if (!file.isEmpty()) {
        saveChartPicture(*chart_, file);
        PostStatusMessage(kSavedChart.pick(inChinese()).arg(QDir::toNativeSeparators(file)));
    }
}

void MainWindow::copyChart() {
    copyChartPicture(*chart_);
    PostStatusMessage(kCopiedChart.pick(inChinese()));
}

void MainWindow::printChart() {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (hooks_.askPrint(this, printer)) {
        cellwatch::printChart(*chart_, printer);
        PostStatusMessage(kPrintedChart.pick(inChinese()));
    }
}

bool MainWindow::inChinese() const {
    return isChinese(readLanguageCode(settings_));
}

void MainWindow::exportTable() {
    exportTableTo(QString());
}

void MainWindow::exportTableTo(const QString& given) {
    QString file = given;
    if (file.isEmpty()) {
        file = hooks_.askSaveFile(this, QStringLiteral("Export"), defaultExportPath(wall_->now()),
                                  {QStringLiteral("CSV file (*.csv)")});
        if (file.isEmpty()) {
            return;
        }
    }
    // A long table shows its progress and can be cancelled; the window
    // keeps answering meanwhile (but does not reconnect).
    const BusyScope busy(busy_);
    QProgressDialog progress(kExportingFile.pick(inChinese()).arg(QFileInfo(file).fileName()),
                             kCancelButton.pick(inChinese()), 0, 100, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const bool written = exportTableCsv(
        tableModel_->store(), file, [&progress](std::size_t done, std::size_t total) {
            progress.setValue(total == 0 ? 100 : static_cast<int>(done * 100 / total));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
    if (written) {
        const int rows = tableModel_->gridRowCount() - 1;
        PostStatusMessage((rows == 1 ? kExportedRow : kExportedRows)
                              .pick(inChinese())
                              .arg(groupedCount(rows), QDir::toNativeSeparators(file)));
    }
}

void MainWindow::showAbout() {
    AboutBox box(readLanguageCode(settings_), this);
    hooks_.showDialog(box);
}

// --- the cross-line cursor ---------------------------------------------------------------

void MainWindow::OnChartMouseMove(Qt::KeyboardModifiers, int x, int) {
    if (!tool(QStringLiteral("Tools"), QStringLiteral("CrossLine"))->checked()) {
        cursorHold_ = false;
        return;
    }
    if (const auto row = rowAtPixel(*chart_, *tableModel_, x)) {
        showRowInReadouts(*tableModel_, *row, *this);
        cursorHold_ = true;
    }
}

}  // namespace cellwatch
