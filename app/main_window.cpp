#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <cmath>
#include <stdexcept>

#include "app/captions.h"
#include "app/charger_model.h"
#include "app/help_page.h"
#include "app/power_gauge.h"
#include "app/tab_control.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "readout/cell_panel_widget.h"

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
constexpr DesignRect kFrame2Rect = {10635, 7320, 4335, 2850};
constexpr int kGaugeFrameWidth = 2130;  // Frame5, inside Frame2

constexpr int kRescanIntervalMs = 3000;

// Colours of the four curves, used for their switches and legend values.
const QColor kCurveColours[4] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0),
                                 QColor(255, 255, 255)};

const char* kPanelStyle =
    "QGroupBox { background: rgb(0, 20, 50); border: 1px solid rgb(40, 70, 110);"
    " border-radius: 3px; margin-top: 0px; }"
    "QLabel { color: rgb(200, 215, 235); background: transparent; }"
    "QCheckBox { color: rgb(200, 215, 235); background: transparent; }";

}  // namespace

// The window's controls as the layout engine sees them: twips in, pixels out.
class WidgetLayoutControl final : public LayoutControl {
public:
    WidgetLayoutControl(QWidget* w, QString tag, double tppX, double tppY)
        : w_(w), tag_(std::move(tag)), tppX_(tppX), tppY_(tppY) {}
    QString tag() const override { return tag_; }
    double left() const override { return w_->x() * tppX_; }
    double top() const override { return w_->y() * tppY_; }
    double width() const override { return w_->width() * tppX_; }
    double height() const override { return w_->height() * tppY_; }
    void setLeft(double t) override { w_->move(px(t, tppX_), w_->y()); }
    void setTop(double t) override { w_->move(w_->x(), px(t, tppY_)); }
    void setWidth(double t) override { w_->resize(std::max(0, px(t, tppX_)), w_->height()); }
    void setHeight(double t) override { w_->resize(w_->width(), std::max(0, px(t, tppY_))); }
    void setVisible(bool visible) override { w_->setVisible(visible); }

private:
    static int px(double twips, double tpp) { return static_cast<int>(std::lround(twips / tpp)); }
    QWidget* w_;
    QString tag_;
    double tppX_;
    double tppY_;
};

class MainWindow::Layout final : public LayoutWindow {
public:
    explicit Layout(MainWindow& w) : w_(w) {}
    bool isMinimized() const override { return w_.isMinimized(); }
    double outerWidth() const override { return w_.width() * w_.tppX_; }
    double outerHeight() const override { return w_.height() * w_.tppY_; }
    std::vector<LayoutControl*> controls() const override {
        std::vector<LayoutControl*> out;
        for (const auto& c : controls_) {
            out.push_back(c.get());
        }
        return out;
    }
    void add(QWidget* widget, const QString& tag) {
        controls_.push_back(std::make_unique<WidgetLayoutControl>(widget, tag, w_.tppX_, w_.tppY_));
    }

private:
    MainWindow& w_;
    std::vector<std::unique_ptr<WidgetLayoutControl>> controls_;
};

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

    // The live path: serial port -> receive path -> decoders -> recording.
    recording_ = std::make_unique<Recording>(*chart_, *tableModel_, *this, *ticks_, *wall_, [this] {
        return isChinese(readLanguageCode(settings_));
    });
    decoder_ = std::make_unique<StatusDecoder>(*ticks_, *recording_);
    assembler_ =
        std::make_unique<ReceiveAssembler>(*ticks_, *decoder_, [this] { flipReceiveLamp(); });
    link_ = new SerialLink(*assembler_, this);
    connect(link_, &SerialLink::linkLost, this, &MainWindow::onLinkLost);
    resize(static_cast<int>(std::lround(kDesignClientWidth / tppX_)),
           static_cast<int>(std::lround(kDesignClientHeight / tppY_)));

    // The load event's start-up sequence.
    layout_.designWidth = static_cast<std::int32_t>(std::lround(width() * tppX_));
    layout_.designHeight = static_cast<std::int32_t>(std::lround(height() * tppY_));
    restrictWindowSize();
    cursorHold_ = false;
    ShowHelpPage();
    SetUpTable();
    SetCaptions();
    ResetChart();
    ScanPorts();
    InitPowerGauge();
    FitReadouts();
    move(static_cast<int>(std::lround(200 / tppX_)), 0);
    timer1_.setInterval(kRescanIntervalMs);
    connect(&timer1_, &QTimer::timeout, this, [this] { ScanPorts(); });
    timer1_.start();
    setUpJournal();
}

MainWindow::~MainWindow() = default;

void MainWindow::applyDesign(QWidget* w, const DesignRect& r) {
    w->setGeometry(static_cast<int>(std::lround(r.left / tppX_)),
                   static_cast<int>(std::lround(r.top / tppY_)),
                   static_cast<int>(std::lround(r.width / tppX_)),
                   static_cast<int>(std::lround(r.height / tppY_)));
}

void MainWindow::buildWidgets() {
    layoutWindow_ = std::make_unique<Layout>(*this);

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

    for (int i = 0; i < 5; ++i) {
        frames_[static_cast<std::size_t>(i)] = new QGroupBox(this);
        frames_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
    }
    frames_[4]->setParent(frames_[1]);  // Frame5 (the gauge) sits inside Frame2
    for (QGroupBox* f : frames_) {
        f->setStyleSheet(QString::fromLatin1(kPanelStyle));
    }
    applyDesign(frames_[0], kFrame1Rect);
    applyDesign(frames_[3], kFrame4Rect);
    applyDesign(frames_[2], kFrame3Rect);
    applyDesign(frames_[1], kFrame2Rect);
    buildFrame1();
    buildFrame4();
    buildFrame2();
    cellPanel_ = new CellPanelWidget(frames_[2]);
    cellPanel_->setObjectName(QStringLiteral("cellPanel"));
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

    // The tagged controls, in the window's order.
    layoutWindow_->add(menu_, QStringLiteral("STRETCHALL"));
    layoutWindow_->add(helpPane_, QStringLiteral("STRETCHV"));
    layoutWindow_->add(frame_, QStringLiteral("STRETCHALL"));
    layoutWindow_->add(chart_, QStringLiteral("STRETCHALL"));
    layoutWindow_->add(tableView_, QStringLiteral("STRETCHALL"));
    layoutWindow_->add(frames_[0], QStringLiteral("MOVEV"));
    layoutWindow_->add(frames_[3], QStringLiteral("MOVEV"));
    layoutWindow_->add(frames_[2], QStringLiteral("MOVEV"));
    layoutWindow_->add(frames_[1], QStringLiteral("STRETCHHMOVEV"));
}

void MainWindow::buildFrame1() {
    // The curve switches with the legend values of the four curves.
    QGroupBox* f = frames_[0];
    auto* grid = new QGridLayout(f);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    const std::pair<const char*, int> rows[4] = {
        {"A001", 15}, {"A002", 14}, {"A003", 2}, {"A004", 1}};
    const char* designValues[4] = {"0.00", "0.00", "0", "0"};
    for (int i = 0; i < 4; ++i) {
        const auto ui = static_cast<std::size_t>(i);
        auto* check = new QCheckBox(f);
        check->setObjectName(QStringLiteral("Check1_%1").arg(i));
        check->setChecked(true);
        check1_[ui] = check;
        auto* title = new QLabel(f);
        title->setObjectName(QString::fromLatin1(rows[i].first));
        auto* value = new QLabel(QString::fromLatin1(designValues[i]), f);
        value->setObjectName(QStringLiteral("Label3_%1").arg(rows[i].second));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const QString colour = kCurveColours[i].name();
        title->setStyleSheet(QStringLiteral("color: %1;").arg(colour));
        value->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(colour));
        label3_[static_cast<std::size_t>(rows[i].second)] = value;
        grid->addWidget(check, i, 0);
        grid->addWidget(title, i, 1);
        grid->addWidget(value, i, 2);
        // A curve switch shows or hides its curve; points keep coming.
        connect(check, &QCheckBox::toggled, this,
                [this, i](bool on) { chart_->setSeriesActive(i, on); });
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void MainWindow::buildFrame4() {
    // The detail readouts: title on the left, value on the right.
    QGroupBox* f = frames_[3];
    auto* grid = new QGridLayout(f);
    grid->setContentsMargins(5, 4, 5, 4);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);
    const std::tuple<const char*, int, const char*> rows[] = {
        {"A005", 16, "0.00"},    {"A006", 23, ""},     {"A007", 22, ""},  {"A008", 21, "0Cells"},
        {"A009", 20, "0.00"},    {"A010", 19, "0.00"}, {"A011", 18, "0"}, {"a012", 17, "0.000"},
        {"a013", 24, "0:00:00"}, {"a018", 0, "0"},     {"A019", 3, "0"},
    };
    int row = 0;
    for (const auto& [titleName, index, text] : rows) {
        auto* title = new QLabel(f);
        title->setObjectName(QString::fromLatin1(titleName));
        auto* value = new QLabel(QString::fromLatin1(text), f);
        value->setObjectName(QStringLiteral("Label3_%1").arg(index));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        title->setStyleSheet(QStringLiteral("font-size: 11px;"));
        value->setStyleSheet(
            QStringLiteral("color: rgb(120, 230, 255); font-weight: bold; font-size: 11px;"));
        label3_[static_cast<std::size_t>(index)] = value;
        grid->addWidget(title, row, 0);
        grid->addWidget(value, row, 1);
        ++row;
    }
    grid->setColumnStretch(0, 1);
}

void MainWindow::buildFrame2() {
    // The large readouts on the left, the gauge frame Frame5 on the right.
    QGroupBox* f = frames_[1];
    const std::tuple<int, const char*, QColor, int> large[3] = {
        {1, "0.00V", QColor(255, 80, 80), 14},
        {0, "0.00A", QColor(80, 255, 80), 72},
        {2, "0mAh", QColor(255, 255, 90), 130},
    };
    QFont font = this->font();
    // Sized so that a pack voltage, a current and a four-digit capacity fit
    // beside the gauge in the frame's design width.
    font.setPixelSize(27);
    font.setBold(true);
    for (const auto& [index, text, colour, top] : large) {
        auto* label = new QLabel(QString::fromLatin1(text), f);
        label->setObjectName(QStringLiteral("Label2_%1").arg(index));
        label->setFont(font);
        label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
        label->move(8, top);
        label->adjustSize();
        label2_[static_cast<std::size_t>(index)] = label;
    }
    QGroupBox* gaugeFrame = frames_[4];
    const int gaugeWidth = static_cast<int>(std::lround(kGaugeFrameWidth / tppX_));
    gaugeFrame->setGeometry(f->width() - gaugeWidth, 0, gaugeWidth, f->height());
    gauge_ = new PowerGauge(gaugeFrame);
    gauge_->setObjectName(QStringLiteral("Car1"));
    gauge_->setGeometry(gaugeFrame->rect().adjusted(2, 2, -2, -2));
}

// --- start-up and layout -----------------------------------------------------------

void MainWindow::restrictWindowSize() {
    QSize screenPx(1920, 1080);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        screenPx = screen->geometry().size();
    }
    limits_ = computeSizeLimits(width() * tppX_, height() * tppY_, screenPx.width() * tppX_,
                                screenPx.height() * tppY_, tppX_, tppY_);
    setMinimumSize(limits_.minTrackWidth, limits_.minTrackHeight);
    // On a screen smaller than the design, the start-up size wins.
    setMaximumSize(std::max(limits_.maxTrackWidth, limits_.minTrackWidth),
                   std::max(limits_.maxTrackHeight, limits_.minTrackHeight));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AutoSizeControls(layout_, *layoutWindow_);
    fitStatusBand();
    FitReadouts();
}

void MainWindow::fitStatusBand() {
    Tool* stateText = tool(QStringLiteral("state"), QStringLiteral("state_text"));
    Tool* model = tool(QStringLiteral("state"), QStringLiteral("Model"));
    const double controlWidth = menu_->width() * tppX_;
    stateText->setWidth(static_cast<int>(controlWidth - model->width() - 4000));
}

void MainWindow::FitReadouts() {
    std::array<double, 3> widths{};
    for (std::size_t i = 0; i < 3; ++i) {
        widths[i] = label2_[i]->width();
    }
    QGroupBox* frame2 = frames_[1];
    QGroupBox* frame5 = frames_[4];
    const ReadoutFit fit = cellwatch::fitReadouts(frame2->width(), widths, frame5->width());
    QWidget* modelBox = tool(QStringLiteral("state"), QStringLiteral("Model"))->widget();
    frame5->setVisible(fit.gaugeVisible);
    modelBox->setVisible(fit.gaugeVisible);
    if (fit.gaugeVisible) {
        frame5->move(fit.gaugeLeft, frame5->y());
    } else if (fit.labelsMoved) {
        for (QLabel* l : label2_) {
            l->move(fit.labelsLeft, l->y());
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Moving the mouse over the tab control or one of the frames releases a
    // readout held by the cross-line cursor.
    if (event->type() == QEvent::MouseMove) {
        cursorHold_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

// --- chart and table ---------------------------------------------------------------

void MainWindow::SetUpTable() {
    recording_->SetUpTable();
}

void MainWindow::ResetChart() {
    recording_->ResetChart();
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
    helpPane_->setSource(QUrl::fromLocalFile(file));
    helpPane_->reload();
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
        l->setText(text);
    }
}

void MainWindow::setLargeReadout(int index, const QString& text) {
    if (QLabel* l = largeReadout(index)) {
        l->setText(text);
        l->adjustSize();  // the large readouts are as wide as their text
    }
}

PowerGaugeControl& MainWindow::gauge() {
    return *gauge_;
}

CellPanelView& MainWindow::cellPanel() {
    return *cellPanel_;
}

void MainWindow::flipReceiveLamp() {
    Tool* lamp = tool(QStringLiteral("state"), QStringLiteral("Light2"));
    lamp->setEnabled(!lamp->enabled());
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
