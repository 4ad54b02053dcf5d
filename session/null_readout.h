// Readouts for a recording without a window: they take every value and show
// nothing. The gauge keeps its settings (GaugeSettings), as the recording
// reads none of the others back.
#pragma once

#include <QString>

#include "readout/cell_panel.h"
#include "readout/gauge_settings.h"
#include "readout/recording.h"

namespace cellwatch::session {

class NullCellPanel final : public CellPanelView {
public:
    void setCellText(int, const QString&) override {}
    void setCellBar(int, BarTexture, int) override {}
    void setStatistic(int, const QString&) override {}
};

// No cursor ever holds the readouts.
class NullReadoutView final : public ReadoutView {
public:
    bool cursorHold() const override { return false; }
    void setReadout(int, const QString&) override {}
    void setLargeReadout(int, const QString&) override {}
    void fitReadouts() override {}
    PowerGaugeControl& gauge() override { return gauge_; }
    CellPanelView& cellPanel() override { return cellPanel_; }

private:
    GaugeSettings gauge_;
    NullCellPanel cellPanel_;
};

}  // namespace cellwatch::session
