#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "app/alarm_band.h"
#include "app/captions.h"
#include "app/charger_model.h"
#include "app/help_page.h"
#include "app/line_sharing.h"
#include "app/main_window_layout.h"
#include "app/network_list.h"
#include "app/power_gauge.h"
#include "app/range_panel.h"
#include "app/summary_window.h"
#include "app/tab_control.h"
#include "app/toolbar.h"
#include "app/viewer_window.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "readout/cell_panel_widget.h"
#include "readout/steady_text.h"

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
MainWindow::MainWindow(SettingsStore& settings, QWidget* parent)
    : MainWindow(settings, Hooks(), parent) {}

MainWindow::MainWindow(SettingsStore& settings, Hooks hooks, QWidget* parent)
    : QWidget(parent), settings_(settings), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("Form1"));
    if (!hooks_.showFailure) {
        hooks_.showFailure = [](QWidget* owner, const QString& text) {
            QMessageBox::warning(owner, QApplication::applicationName(), text, QMessageBox::Ok);
        };
    }
    if (!hooks_.askSaveFile) {
        hooks_.askSaveFile = [](QWidget* owner, const QString& title, const QString& proposed,
                                const QStringList& filters) {
            QString selected = filters.value(0);
            QString file = QFileDialog::getSaveFileName(
                owner, title, proposed, filters.join(QStringLiteral(";;")), &selected);
            // A name typed without a suffix takes the one of the chosen type.
            if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty()) {
                static const QRegularExpression firstSuffix(QStringLiteral("\\*\\.(\\w+)"));
                const auto m = firstSuffix.match(selected);
                if (m.hasMatch()) {
                    file += u'.' + m.captured(1);
                }
            }
            return file;
        };
    }
    if (!hooks_.askPrint) {
        hooks_.askPrint = [](QWidget* owner, QPrinter& printer) {
            QPrintDialog dialog(&printer, owner);
            return dialog.exec() == QDialog::Accepted;
        };
    }
    if (!hooks_.showDialog) {
        hooks_.showDialog = [](QDialog& dialog) { dialog.exec(); };
    }
    if (!hooks_.askOpenFile) {
        hooks_.askOpenFile = [](QWidget* owner, const QString& title, const QString& folder,
                                const QStringList& filters) {
            return QFileDialog::getOpenFileName(owner, title, folder,
                                                filters.join(QStringLiteral(";;")));
        };
    }
    if (!hooks_.askOpenFiles) {
        hooks_.askOpenFiles = [](QWidget* owner, const QString& title, const QString& folder,
                                 const QStringList& filters) {
            return QFileDialog::getOpenFileNames(owner, title, folder,
                                                 filters.join(QStringLiteral(";;")));
        };
    }
    if (!hooks_.isOnline) {
        hooks_.isOnline = [] { return IsOnline(); };
    }
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
    // the session.
    session_ = std::make_unique<session::LiveSession>(
        session::SessionParts{*chart_, tableModel_->store(), *this, *ticks_, *wall_,
                              [this] { return inChinese(); }, [this] { flipReceiveLamp(); }});
    alarms_ = new AlarmWatch(
        {settings_, *session_, chart_, [this](const QString& m) { PostStatusMessage(m); },
         [this] { return inChinese(); }, [this] { return chargerName_; }},
        this);
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
    cursorHold_ = false;
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
    setUpZoom();
    alarms_->addMenu(menu_->bandMenu(QStringLiteral("View1")));
    addNetworkMenu(*this, settings_);
    // The line published on a broker and captured to a file.
    auto* sharing = new LineSharing(
        {settings_, *session_, tableModel_->store(), this,
         [this](const QString& m) { PostStatusMessage(m); }, [this] { return inChinese(); },
         hooks_.showFailure, hooks_.askSaveFile, hooks_.askOpenFile, hooks_.showDialog,
         [this] { return !chargerName_.isEmpty(); }},
        this);
    sharing->addMenus(menu_->bandMenu(QStringLiteral("file1")),
                      tool(QStringLiteral("file1"), QStringLiteral("Exit"))->action(),
                      menu_->bandMenu(QStringLiteral("View1")));
}

MainWindow::~MainWindow() {
    // Whatever the journal still owes is written while the table is there.
    session_.reset();
}

void MainWindow::applyDesign(QWidget* w, const DesignRect& r) {
    w->setGeometry(static_cast<int>(std::lround(r.left / tppX_)),
                   static_cast<int>(std::lround(r.top / tppY_)),
                   static_cast<int>(std::lround(r.width / tppX_)),
                   static_cast<int>(std::lround(r.height / tppY_)));
}

void MainWindow::buildWidgets() {
    menu_ = new ToolBarControl(tppX_, this);
    applyDesign(menu_, kMenuRect);
    connect(menu_, &ToolBarControl::toolClicked, this, &MainWindow::OnToolClick);
    connect(menu_, &ToolBarControl::listSelected, this, &MainWindow::OnModelSelect);

    helpPane_ = new QTextBrowser(this);
    helpPane_->setObjectName(QStringLiteral("IE"));
    helpPane_->setOpenExternalLinks(true);
    applyDesign(helpPane_, kHelpRect);

    frame_ = new TabControl(2, this);
    applyDesign(frame_, kTabRect);
    chart_ = new ChartView(frame_->page(0));
    chart_->setObjectName(QStringLiteral("TChart1"));
    connect(chart_, &ChartView::mouseMoved, this,
            [this](Qt::KeyboardModifiers modifiers, int x, int y) {
                OnChartMouseMove(modifiers, x, y);
            });
    applyDesign(chart_, kChartRect);
    tableModel_ = new DataTableModel(this);
    tableView_ = new DataTableView(frame_->page(1));
    tableView_->setObjectName(QStringLiteral("Grid1"));
    tableView_->setModel(tableModel_);
    applyDesign(tableView_, kTableRect);
    // The range panel goes under the plot inside the chart's own area (the
    // window's layout has no place for it): while it shows, the plot is
    // that much shorter and keeps all its axes in view.
    rangePanel_ = new RangePanel(chart_);
    rangePanel_->hide();
    chart_->layout()->addWidget(rangePanel_);
    range_ = new RangeTool(
        *chart_, *tableModel_, *rangePanel_,
        [this](QWidget* parent, const QString& title, const QString& proposed,
               const QStringList& filters) {
            return hooks_.askSaveFile(parent, title, proposed, filters);
        },
        [this](const QString& text) { PostStatusMessage(text); }, this);

    for (int i = 0; i < 5; ++i) {
        frames_[static_cast<std::size_t>(i)] = newPanel(this);
        frames_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
    }
    frames_[4]->setParent(frames_[1]);  // Frame5 (the gauge) sits inside Frame2
    applyDesign(frames_[0], kFrame1Rect);
    applyDesign(frames_[3], kFrame4Rect);
    applyDesign(frames_[2], kFrame3Rect);
    applyDesign(frames_[1], kFrame2Rect);
    buildFrame1();
    buildFrame4();
    buildFrame2();
    cellPanel_ = new CellPanelWidget(frames_[2]);
    cellPanel_->setObjectName(QStringLiteral("cellPanel"));
    fillCellPanelBackground(*cellPanel_);
    cellPanel_->setGeometry(frames_[2]->rect().adjusted(2, 2, -2, -2));

    // Moving the mouse anywhere over the tab control (but for the chart and
    // the table on its pages) or over the frames releases a held readout. A
    // plain mouse move stops at the first widget that does not track the
    // mouse, so every widget in those areas tracks it and is watched.
    std::vector<QWidget*> watched = {frame_, frames_[0], frames_[1], frames_[2], frames_[3]};
    for (QWidget* area : std::vector<QWidget*>(watched)) {
        for (QWidget* child : area->findChildren<QWidget*>()) {
            const bool onChartOrTable = child == chart_ || child == tableView_ ||
                                        chart_->isAncestorOf(child) ||
                                        tableView_->isAncestorOf(child);
            if (!onChartOrTable) {
                watched.push_back(child);
            }
        }
    }
    for (QWidget* w : watched) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }

    // Later controls lie above earlier ones; the tool bar control covers the
    // whole client area underneath them all.
    menu_->lower();
    fillModelBox();
    addShortcuts();
}
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Moving the mouse over the tab control or one of the frames releases a
    // readout held by the cross-line cursor.
    if (event->type() == QEvent::MouseMove) {
        cursorHold_ = false;
    }
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

// --- chart and table ---------------------------------------------------------------

void MainWindow::SetUpTable() {
    session_->recording().SetUpTable();
}

void MainWindow::ResetChart() {
    session_->recording().ResetChart();
}

// --- help page and ports (completed by their own features) ----------------------

void MainWindow::ShowHelpPage() {
    helpPageAddress_ = hooks_.isOnline() ? QString::fromLatin1(kOnlineHelpAddress)
                                         : QUrl::fromLocalFile(localHelpFile()).toString();
    showHelpAddress();
}

void MainWindow::showHelpAddress() {
    const QUrl url(helpPageAddress_);
    if (url.isLocalFile()) {
        showLocalHelp();
        return;
    }
    // The online page is fetched in the background; until it arrives, and if
    // it never does, the local page shows.
    showLocalHelp();
    if (!network_) {
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(5000);
    QNetworkReply* reply = network_->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, url] {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError && QUrl(helpPageAddress_) == url) {
            helpPane_->setHtml(QString::fromUtf8(reply->readAll()));
        }
    });
}

void MainWindow::showLocalHelp() {
    const QString file = localHelpFile();
    if (!QFileInfo::exists(file)) {
        helpPane_->setHtml(
            QStringLiteral("<p><b>Cellwatch</b></p><p>%1</p>")
                .arg(QStringLiteral("The help page ad.htm is missing beside the program.")));
        return;
    }
    // Read through the one opener (a FIFO or a device in the page's place is
    // refused at once) rather than by the pane itself; its pictures and links
    // are found beside it.
    QString why;
    const QString html = readLocalHelpPage(file, &why);
    if (html.isEmpty() && !why.isEmpty()) {
        helpPane_->setHtml(QStringLiteral("<p><b>Cellwatch</b></p><p>%1: %2</p>")
                               .arg(file.toHtmlEscaped(), why.toHtmlEscaped()));
        return;
    }
    helpPane_->setSearchPaths({QFileInfo(file).absolutePath()});
    helpPane_->setHtml(html);
}

void MainWindow::ScanPorts() {
    // Nothing here is ever reported: a step that fails is skipped.
    try {
        const std::vector<PortInfo> found = ports_->ports();
        Tool* com = tool(QStringLiteral("Tools"), QStringLiteral("com"));
        com->clearItems();
        for (const PortInfo& port : found) {
            const QString entry = portEntry(port);
            if (entry.startsWith(QLatin1String("USB_"))) {
                com->setText(entry);
            }
            com->addItem(entry);
        }
    } catch (...) {
    }
}

// --- gauge and model box -------------------------------------------------------------

void MainWindow::InitPowerGauge() {
    cellwatch::InitPowerGauge(*gauge_);
}

void MainWindow::addShortcuts() {
    const std::tuple<const char*, const char*, QKeySequence> keys[] = {
        {"file1", "Open", QKeySequence::Open},
        {"file1", "Export", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"file1", "Print", QKeySequence::Print},
        {"file1", "Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"View1", "Save", QKeySequence::Save},
        {"View1", "Copy", QKeySequence::Copy},
        {"Tools", "Refresh", QKeySequence(Qt::Key_F5)},
    };
    for (const auto& [band, name, key] : keys) {
        QAction* action = tool(QString::fromLatin1(band), QString::fromLatin1(name))->action();
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

void MainWindow::fillModelBox() {
    Tool* model = tool(QStringLiteral("state"), QStringLiteral("Model"));
    for (std::string_view entry : kModelEntries) {
        model->addItem(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
    }
    model->setText(
        QString::fromUtf8(kModelStartText.data(), static_cast<qsizetype>(kModelStartText.size())));
}

void MainWindow::OnModelSelect(Tool* tool) {
    cellwatch::OnModelSelect(*gauge_, tool->name(), tool->text());
}

// --- what the recording shows ---------------------------------------------------------------

void MainWindow::setReadout(int index, const QString& text) {
    if (QLabel* l = readout(index)) {
        setSteadyText(l, text);
    }
}

void MainWindow::setLargeReadout(int index, const QString& text) {
    if (QLabel* l = largeReadout(index)) {
        setFittedText(l, text);
    }
}

PowerGaugeControl& MainWindow::gauge() {
    return *gauge_;
}

CellPanelView& MainWindow::cellPanel() {
    return *cellPanel_;
}

void MainWindow::flipReceiveLamp() {
    tool(QStringLiteral("state"), QStringLiteral("Light2"))->flip();
}

// --- accessors ------------------------------------------------------------------------

Tool* MainWindow::tool(const QString& band, const QString& name) const {
    Tool* t = menu_->tool(band, name);
    if (t == nullptr) {
        throw std::logic_error("no tool " + band.toStdString() + "." + name.toStdString());
    }
    return t;
}

QLabel* MainWindow::readout(int index) const {
    return index >= 0 && index < 25 ? label3_[static_cast<std::size_t>(index)] : nullptr;
}

QLabel* MainWindow::largeReadout(int index) const {
    return index >= 0 && index < 3 ? label2_[static_cast<std::size_t>(index)] : nullptr;
}

QCheckBox* MainWindow::curveSwitch(int index) const {
    return index >= 0 && index < 4 ? check1_[static_cast<std::size_t>(index)] : nullptr;
}

QWidget* MainWindow::frame(int number) const {
    return number >= 1 && number <= 5 ? frames_[static_cast<std::size_t>(number - 1)] : nullptr;
}

void MainWindow::PostStatusMessage(const QString& message) {
    cellwatch::PostStatusMessage(*tool(QStringLiteral("state"), QStringLiteral("state_text")),
                                 message);
}

}  // namespace cellwatch
