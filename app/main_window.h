// The main window `Form1`: tool bar control, help pane, the tab control with
// chart and table, and the readout frames along the bottom.
//
// Geometry is designed in twips (1/1440 inch) and converted with the
// screen's own twips per pixel (1440 / logical dpi: 15 on a 96-dpi screen).
// The window's "outer size" used by the layout engine and the size limits
// is its client area: what the window system adds around it never changes
// with a resize, and the engine only uses differences.
#pragma once

#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "app/autosize.h"
#include "app/settings_store.h"
#include "app/size_limits.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QTextBrowser;

namespace cellwatch {

class ChartView;
class CellPanelWidget;
class DataTableModel;
class DataTableView;
class PowerGauge;
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

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // How the window talks to the user where a test must not block: the
    // failure handler's message box (OK only).
    struct Hooks {
        std::function<void(QWidget* parent, const QString& text)> showFailure;
    };

    explicit MainWindow(SettingsStore& settings, Hooks hooks = {}, QWidget* parent = nullptr);
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
    void PostStatusMessage(const QString& message);

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
    PowerGauge& gauge() const { return *gauge_; }
    CellPanelWidget& cellPanel() const { return *cellPanel_; }
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
    bool cursorHold() const { return cursorHold_; }
    void setCursorHold(bool hold) { cursorHold_ = hold; }
    QTimer& rescanTimer() { return timer1_; }

    // The chart's time window (set by a chart reset, moved on by samples).
    QDateTime timeWindowEnd() const { return timeWindowEnd_; }
    QDateTime recordingStart() const { return recordingStart_; }

    // The time of day; tests may replace it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Layout;
    void buildWidgets();
    void buildFrame1();
    void buildFrame2();
    void buildFrame4();
    void applyDesign(QWidget* w, const DesignRect& r);
    void restrictWindowSize();
    void fitStatusBand();
    void showHelpAddress();
    void fillModelBox();
    void dispatchTool(Tool* tool);
    void crossLine(Tool* tool);
    void chooseLanguage(Tool* tool);
    void connectPort(Tool* tool);
    void disconnectPort(Tool* tool);
    void exportTable();
    void printChart();
    void copyChart();
    void saveChart();
    void showAbout();

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

    bool cursorHold_ = false;
    QString helpPageAddress_;
    QDateTime timeWindowEnd_;
    QDateTime recordingStart_;
    QTimer timer1_;
};

}  // namespace cellwatch
