// Zooming and panning the live chart: View > "Zoom and pan", off unless
// the user chose it, the choice kept in the settings. While it is on and
// the user has zoomed or panned, arriving samples do not move the view;
// Home (or a double-click) follows the recording again, and so does
// turning it off.
#include "app/main_window.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"

namespace cellwatch {
namespace {

const QString kZoomPanKey = QStringLiteral("ZoomPan");

}  // namespace

bool MainWindow::zoomPanEnabled() const {
    return settings_.read(kSettingsApplication, kZoomPanKey, kZoomPanKey, QStringLiteral("0")) ==
           QLatin1String("1");
}

void MainWindow::setUpZoom() {
    zoom_ = new ChartZoom(*chart_);
    const bool on = zoomPanEnabled();
    tool(QStringLiteral("View1"), kZoomPanKey)->setChecked(on);
    zoom_->setEnabled(on);
}

void MainWindow::toggleZoomPan(Tool* t) {
    const bool on = !t->checked();
    t->setChecked(on);
    settings_.write(kSettingsApplication, kZoomPanKey, kZoomPanKey,
                    on ? QStringLiteral("1") : QStringLiteral("0"));
    zoom_->setEnabled(on);
}

}  // namespace cellwatch
