#include "chart/layer_redraw.h"

#include <qcustomplot.h>

namespace cellwatch {
namespace {

// The two protected steps of QCustomPlot's layer replot that come before its
// repaint.
struct LayerSteps : QCPLayer {
    static auto buffer() { return &LayerSteps::mPaintBuffer; }
    static auto drawToBuffer() { return &LayerSteps::drawToPaintBuffer; }
};
struct PlotSteps : QCustomPlot {
    static auto buffersInvalid() { return &PlotSteps::hasInvalidatedPaintBuffers; }
};

}  // namespace

bool redrawLayerBuffer(QCustomPlot* plot, QCPLayer* layer) {
    if (layer->mode() != QCPLayer::lmBuffered || (plot->*PlotSteps::buffersInvalid())()) {
        return false;
    }
    const QSharedPointer<QCPAbstractPaintBuffer> buffer =
        (layer->*LayerSteps::buffer()).toStrongRef();
    if (!buffer) {
        return false;
    }
    buffer->clear(Qt::transparent);
    (layer->*LayerSteps::drawToBuffer())();
    buffer->setInvalidated(false);
    return true;
}

}  // namespace cellwatch
