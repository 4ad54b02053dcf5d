// The main window's readout frames along the bottom: the curve switches with
// their legend values, the detail readouts, the large readouts beside the
// power gauge, and the rule that shares the top readout frame between them.
// The frames themselves are built as every recording's window builds them.
#include <QGroupBox>
#include <QLabel>

#include "app/main_window.h"
#include "app/power_gauge.h"
#include "app/readout_panels.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"

namespace cellwatch {

void MainWindow::buildFrame1() {
    buildCurvePanel(frames_[0], check1_, label3_, *chart_);
}

void MainWindow::buildFrame4() {
    buildDetailPanel(frames_[3], label3_);
}

void MainWindow::buildFrame2() {
    gauge_ = buildLargeReadoutPanel(frames_[1], frames_[4], label2_, font(), tppX_);
}

void MainWindow::FitReadouts() {
    const bool gaugeVisible = placeLargeReadouts(frames_[1], frames_[4], label2_);
    tool(QStringLiteral("state"), QStringLiteral("Model"))->widget()->setVisible(gaugeVisible);
}

}  // namespace cellwatch
