// The main window's size: its limits on the screen, where it starts, and
// the layout engine's pass at every resize.
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "app/help_pane.h"
#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "app/recording_pane.h"
#include "app/tab_control.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"

namespace cellwatch {
namespace {

constexpr int kStartLeftTwips = 200;  // where the window starts, from the screen's left edge

}  // namespace

// --- size and layout ------------------------------------------------------------------------

// The tagged controls, in the window's order, and the first pass of the
// layout engine, which captures them as designed.
void MainWindow::setUpLayout() {
    layoutWindow_ = std::make_unique<Layout>(*this);
    layoutWindow_->add(menu_, QStringLiteral("STRETCHALL"));
    layoutWindow_->add(helpPane_, QStringLiteral("STRETCHV"));
    layoutWindow_->add(&pane_->tabs(), QStringLiteral("STRETCHALL"));
    layoutWindow_->add(&pane_->chart(), QStringLiteral("STRETCHALL"));
    layoutWindow_->add(&pane_->tableView(), QStringLiteral("STRETCHALL"));
    layoutWindow_->add(pane_->frame(1), QStringLiteral("MOVEV"));
    layoutWindow_->add(pane_->frame(4), QStringLiteral("MOVEV"));
    layoutWindow_->add(pane_->frame(3), QStringLiteral("MOVEV"));
    layoutWindow_->add(pane_->frame(2), QStringLiteral("STRETCHHMOVEV"));
    AutoSizeControls(layout_, *layoutWindow_);
}

// The size limits. They hold for the outer window, frame included: never
// larger than the screen's available area (so the status band at the bottom
// is always on the screen), never smaller than at start-up.
//
// The start-up size is the design size, unless the design with its frame
// does not fit the available area (a small screen, or a large scale factor
// such as 150 %, where the design is taller than a 1000-pixel screen): the
// window then starts at the largest size that fits, and so that is also its
// smallest. The layout was captured at the design size before, so the layout
// engine places the controls for the smaller window as for any other size:
// they move and stretch by the (negative) growth.
//
// What the window system adds around the client area is known only once the
// window is shown (on X11, once the window manager has framed it), and the
// screen can change, so the limits are worked out again whenever either
// does; the start-up size then only ever shrinks to fit.
void MainWindow::restrictWindowSize() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    if (available == limitsScreen_ && frame == limitsFrame_) {
        return;
    }
    limitsScreen_ = available;
    limitsFrame_ = frame;
    // At a scale such as 150 % the screen's size and the frame are each
    // rounded to whole pixels of the window's own: one is kept in hand, so
    // that the frame never passes the screen's edge.
    const qreal ratio = screen->devicePixelRatio();
    const QSize slack = ratio == std::floor(ratio) ? QSize(0, 0) : QSize(1, 1);
    startSize_ = startSize_.boundedTo((available.size() - frame - slack).expandedTo(QSize(1, 1)));
    const QSize outerStart = startSize_ + frame;
    limits_ =
        computeSizeLimits(outerStart.width() * tppX_, outerStart.height() * tppY_,
                          available.width() * tppX_, available.height() * tppY_, tppX_, tppY_);
    setMinimumSize(QSize(limits_.minTrackWidth, limits_.minTrackHeight) - frame);
    setMaximumSize(QSize(limits_.maxTrackWidth, limits_.maxTrackHeight) - frame - slack);

    // A frame that sticks out of the available area is moved back onto it.
    const QRect outer = frameGeometry();
    const QPoint inside(
        std::clamp(outer.left(), available.left(),
                   std::max(available.left(), available.right() + 1 - outer.width())),
        std::clamp(outer.top(), available.top(),
                   std::max(available.top(), available.bottom() + 1 - outer.height())));
    if (inside != outer.topLeft()) {
        move(inside);
    }
}

// Start-up places the window at the top of the screen, 200 twips from its
// left edge, or further left where the screen is too narrow for that.
void MainWindow::placeWindow() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const int left = static_cast<int>(std::lround(kStartLeftTwips / tppX_));
    const int room = available.width() - frameGeometry().width();
    move(available.left() + std::clamp(room, 0, left), available.top());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    restrictWindowSize();
    AutoSizeControls(layout_, *layoutWindow_);
    fitStatusBand();
    FitReadouts();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    restrictWindowSize();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    restrictWindowSize();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        restrictWindowSize();
    }
}

void MainWindow::fitStatusBand() {
    Tool* stateText = tool(StatusTool::Message);
    Tool* model = tool(StatusTool::Model);
    const double controlWidth = menu_->width() * tppX_;
    stateText->setWidth(static_cast<int>(controlWidth - model->width() - 4000));
}

}  // namespace cellwatch
