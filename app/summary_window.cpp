#include "app/summary_window.h"

#include <QEvent>
#include <QVBoxLayout>

#include "app/summary_view.h"

namespace cellwatch {

SummaryWindow::SummaryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("liveSummary"));
    view_ = new SummaryView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(view_);
    layout->addStretch(1);
    retranslate();
}

void SummaryWindow::setSummary(const RecordingSummaryValues& summary) {
    view_->setSummary(summary);
}

void SummaryWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(event);
}

void SummaryWindow::retranslate() {
    setWindowTitle(tr("Summary"));
}

}  // namespace cellwatch
