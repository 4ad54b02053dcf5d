#include "app/summary_window.h"

#include <QVBoxLayout>

#include "app/captions.h"
#include "app/summary_view.h"

namespace cellwatch {

SummaryWindow::SummaryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("liveSummary"));
    view_ = new SummaryView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(view_);
    layout->addStretch(1);
}

void SummaryWindow::setSummary(const RecordingSummaryValues& summary) {
    view_->setSummary(summary);
}

void SummaryWindow::setLanguage(bool chinese) {
    setWindowTitle(kSummaryTitle.pick(chinese));
    view_->setLanguage(chinese);
}

}  // namespace cellwatch
