// Keeping recordings: the journal every row goes to, the live recording's
// summary, opening a recording again in a window of its own, and
// reconnecting to an adapter that vanished.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <stdexcept>

#include "app/captions.h"
#include "app/main_window.h"
#include "app/range_panel.h"
#include "app/recordings_dialog.h"
#include "app/summary_window.h"
#include "app/toolbar.h"
#include "app/viewer_window.h"
#include "chart/chart_zoom.h"
#include "chart/data_table.h"
#include "readout/recording_file.h"

namespace cellwatch {
namespace {

constexpr int kReconnectPollMs = 1000;

const QString kReconnectKey = QStringLiteral("Reconnect");

}  // namespace

// --- the journal --------------------------------------------------------------------------

void MainWindow::setUpJournal() {
    const QString folder =
        hooks_.journalFolder.isEmpty() ? Journal::defaultFolder() : hooks_.journalFolder;
    journal_ = std::make_unique<Journal>(folder, QString::fromLatin1(kVersionText));
    journal_->setNoticeHandler([this](Journal::Notice notice, const QString& detail) {
        const bool chinese = isChinese(readLanguageCode(settings_));
        const BilingualText& text = notice == Journal::Notice::Stopped    ? kJournalStopped
                                    : notice == Journal::Notice::CaughtUp ? kJournalCaughtUp
                                                                          : kJournalRecreated;
        PostStatusMessage(text.pick(chinese) + QStringLiteral(": ") + detail);
    });
    session_->setJournal(journal_.get());
    connect(session_.get(), &session::LiveSession::rowAppended, this, [this](int row) {
        tagJournal();
        summarizeRow(row);
        range_->rowAdded(row);
    });
    connect(session_.get(), &session::LiveSession::recordingBegun, this, [this] {
        zoom_->showWhole();  // a new recording is shown from its start
        restartLiveSummary();
    });
    // A pause clears table and chart; the journal keeps what came before and
    // the next rows go to a new file.
    connect(session_.get(), &session::LiveSession::restarting, this,
            [this] { restartedFrom_ = session_->journaling() ? journal_->path() : QString(); });
    connect(session_.get(), &session::LiveSession::restarted, this, [this] {
        restartLiveSummary();
        const bool chinese = inChinese();
        PostStatusMessage(restartedFrom_.isEmpty() ? kNewRecording.pick(chinese)
                                                   : kNewRecordingKept.pick(chinese).arg(
                                                         QFileInfo(restartedFrom_).fileName()));
    });

    tool(QStringLiteral("View1"), QStringLiteral("Reconnect"))->setChecked(reconnectEnabled());
    reconnectTimer_.setInterval(kReconnectPollMs);
    connect(&reconnectTimer_, &QTimer::timeout, this, &MainWindow::tryReconnect);
}

// --- the live recording's summary ----------------------------------------------------------

void MainWindow::restartLiveSummary() {
    liveSummary_ = RecordingSummarizer(session_->recording().recordingStart());
    if (summaryWindow_) {
        summaryWindow_->setSummary(liveSummaryValues());
    }
}

RecordingSummaryValues MainWindow::liveSummaryValues() const {
    RecordingSummaryValues values = liveSummary_.values();
    const PackInfo pack = chosenPack();  // the present recording's
    values.pack = pack.pack;
    values.note = pack.note;
    return values;
}

void MainWindow::summarizeRow(int row) {
    QStringList texts;
    texts.reserve(kTableColumnCount - 1);
    for (int column = 1; column < kTableColumnCount; ++column) {
        texts << tableModel_->gridText(row, column);
    }
    liveSummary_.addRow(texts);
    if (summaryWindow_ && summaryWindow_->isVisible()) {
        summaryWindow_->setSummary(liveSummaryValues());
    }
}

void MainWindow::showSummary() {
    if (!summaryWindow_) {
        summaryWindow_ = new SummaryWindow(this);
        summaryWindow_->setLanguage(isChinese(readLanguageCode(settings_)));
    }
    summaryWindow_->setSummary(liveSummaryValues());
    summaryWindow_->show();
    summaryWindow_->raise();
    summaryWindow_->activateWindow();
}

// --- opening a recording -------------------------------------------------------------------

ViewerWindow* MainWindow::openRecording(const QString& given) {
    QString file = given;
    if (file.isEmpty()) {
        file = hooks_.askOpenFile(
            this, QStringLiteral("Open"), journal_->folder(),
            {QStringLiteral("Recordings (*.csv)"), QStringLiteral("All files (*)")});
        if (file.isEmpty()) {
            return nullptr;
        }
    }
    // The live window goes on meanwhile (rows keep arriving), but does not
    // reconnect while the file is read.
    const BusyScope busy(busy_);
    QProgressDialog progress(kOpeningFile.pick(inChinese()).arg(QFileInfo(file).fileName()),
                             kCancelButton.pick(inChinese()), 0, 100, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto step = [&progress](std::size_t done, std::size_t total) {
        progress.setValue(total == 0 ? 100 : static_cast<int>(done * 100 / total));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    auto viewer = std::make_unique<ViewerWindow>(settings_, hooks_, *ticks_, *wall_, this);
    if (!viewer->open(file, step)) {
        return nullptr;  // cancelled: nothing opens
    }
    progress.reset();
    ViewerWindow* shown = viewer.release();
    std::erase_if(viewers_, [](const QPointer<ViewerWindow>& v) { return v.isNull(); });
    viewers_.emplace_back(shown);
    shown->show();
    shown->raise();
    const bool chinese = isChinese(readLanguageCode(settings_));
    PostStatusMessage(QStringLiteral("%1 %2 (%3)")
                          .arg(kOpened.pick(chinese), QDir::toNativeSeparators(file))
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
    RecordingsDialog dialog(journal_->folder(), isChinese(readLanguageCode(settings_)), this);
    hooks_.showDialog(dialog);
    if (!dialog.chosenFile().isEmpty()) {
        openRecording(dialog.chosenFile());
    }
}

// --- reconnecting to the same adapter ------------------------------------------------------

bool MainWindow::reconnectEnabled() const {
    return settings_.read(kSettingsApplication, kReconnectKey, kReconnectKey,
                          QStringLiteral("1")) != QLatin1String("0");
}

void MainWindow::toggleReconnect(Tool* t) {
    const bool on = !t->checked();
    t->setChecked(on);
    settings_.write(kSettingsApplication, kReconnectKey, kReconnectKey,
                    on ? QStringLiteral("1") : QStringLiteral("0"));
    if (!on) {
        stopAwaiting();
    }
}

void MainWindow::rememberAdapter(const QString& portText) {
    connectedAdapter_.reset();
    const QString device = portDevice(portText);
    for (const PortInfo& p : ports_->ports()) {
        if (portEntry(p) == portText.trimmed() || p.deviceId == device) {
            connectedAdapter_ = p;
            return;
        }
    }
}

void MainWindow::awaitAdapter() {
    if (!connectedAdapter_ || !reconnectEnabled()) {
        return;
    }
    awaitedAdapter_ = connectedAdapter_;
    reconnectTimer_.start();
    const bool chinese = isChinese(readLanguageCode(settings_));
    PostStatusMessage(kLinkLost.pick(chinese) + QStringLiteral("; ") +
                      kAwaitingAdapter.pick(chinese) + QStringLiteral(" (") +
                      portEntry(*awaitedAdapter_) + u')');
}

void MainWindow::stopAwaiting() {
    const bool wasWaiting = awaitedAdapter_.has_value();
    awaitedAdapter_.reset();
    reconnectTimer_.stop();
    if (wasWaiting && session_->state() == session::LinkState::WaitingForAdapter) {
        session_->giveUp();  // no reconnect goes on with the interrupted recording
    }
}

void MainWindow::tryReconnect() {
    Tool* link = tool(QStringLiteral("Tools"), QStringLiteral("Link"));
    if (!awaitedAdapter_ || !reconnectEnabled() || !link->enabled()) {
        stopAwaiting();
        return;
    }
    if (busy_ || QApplication::activeModalWidget() != nullptr) {
        return;  // an export, a load or a dialog is under way: later
    }
    const std::optional<PortInfo> found = findSameAdapter(*awaitedAdapter_, ports_->ports());
    if (!found) {
        return;
    }
    const QString entry = portEntry(*found);
    tool(QStringLiteral("Tools"), QStringLiteral("com"))->setText(entry);
    try {
        connectPort(link, true);  // the interrupted recording goes on
    } catch (const std::exception&) {
        return;  // not ready yet (a device that just appeared): try again
    }
    stopAwaiting();
    const bool chinese = isChinese(readLanguageCode(settings_));
    PostStatusMessage(kReconnected.pick(chinese) + u' ' + entry);
}

}  // namespace cellwatch
