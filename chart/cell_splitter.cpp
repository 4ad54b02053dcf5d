#include "chart/cell_splitter.h"

#include <qcustomplot.h>
#include <QMouseEvent>

#include "chart/cell_key.h"
#include "chart/cell_pane.h"
#include "chart/chart_view.h"

namespace cellwatch {

CellSplitter::CellSplitter(ChartView& chart, CellPane& pane)
    : QObject(&pane), chart_(chart), pane_(pane), plot_(chart.plot()) {
    // Ahead of the zoom's and the range cursors' filters (installed before).
    plot_->installEventFilter(this);
}

void CellSplitter::reset() {
    showSplitterPointer(false);
    dragging_ = false;
}

void CellSplitter::showSplitterPointer(bool on) {
    if (on && !pointerSet_) {
        chart_.plot()->setCursor(Qt::SplitVCursor);
    } else if (!on && pointerSet_) {
        chart_.plot()->unsetCursor();
    }
    pointerSet_ = on;
}

bool CellSplitter::eventFilter(QObject* watched, QEvent* event) {
    // Only the mouse: the plot's other events come also while the chart is
    // being destroyed (its children removed), when the chart is no longer
    // one to ask anything.
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::Leave:
            break;
        default:
            return QObject::eventFilter(watched, event);
    }
    if (watched != plot_ || !pane_.shown() || pane_.key() == nullptr) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                break;
            }
            if (const int cell = pane_.key()->cellAt(mouse->position()); cell >= 0) {
                if (event->type() == QEvent::MouseButtonPress) {
                    pane_.setCellHidden(cell, !pane_.cellHidden(cell));
                }
                return true;
            }
            if (pane_.onSplitter(mouse->position().y())) {
                dragging_ = true;
                return true;
            }
            break;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!dragging_) {
                showSplitterPointer(pane_.onSplitter(mouse->position().y()));
                break;
            }
            const double top = chart_.axis(ChartAxis::Bottom)->axisRect()->outerRect().top();
            const double bottom = pane_.rect()->outerRect().bottom();
            if (bottom > top) {
                pane_.setShare((bottom - mouse->position().y()) / (bottom - top));
                chart_.plot()->replot();  // at once, under the pointer
            }
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                break;
            }
            if (dragging_) {
                dragging_ = false;
                emit dragged(pane_.share());
                return true;
            }
            if (pane_.key()->cellAt(mouse->position()) >= 0) {
                return true;
            }
            break;
        }
        case QEvent::Leave:
            if (!dragging_) {
                showSplitterPointer(false);
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace cellwatch
