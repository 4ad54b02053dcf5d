// The power gauge: a round dial with a scale from minimum to maximum, major
// ticks every step, a green, amber and red zone split at the two marks, a
// needle and a caption under the hub.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "readout/gauge_settings.h"

namespace cellwatch {

// The dial. Its face is drawn in its own dark colours, so it reads the same on
// a light or a dark window. It draws a 240-degree scale and scales with the
// widget; numbers that would crowd each other are thinned out.
//
// Settings are stored as given and never adjusted; drawing copes with any of
// them: a value outside the scale pins the needle to the nearer end, a
// maximum not above the minimum draws an empty scale, and a step that is not
// positive or would give more than 100 ticks numbers only the two ends.
//
// Mode: 1 is the normal display (what the window always sets); every other
// number draws the same.
class PowerGauge : public QWidget, public GaugeSettings {
    Q_OBJECT
public:
    explicit PowerGauge(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void settingsChanged() override { update(); }

private:
    // Everything but the caption and the needle is drawn once into two
    // layers (under and over the needle) and drawn again only when size,
    // scale, marks or font change; a new value draws caption and needle.
    void drawLayers(double side);

    QPixmap under_;
    QPixmap over_;
    QString layersKey_;
};

}  // namespace cellwatch
