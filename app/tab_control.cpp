#include "app/tab_control.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>

namespace cellwatch {

TabControl::TabControl(int pageCount, QWidget* parent) : QWidget(parent), tabs_(new QTabBar(this)) {
    setObjectName(QStringLiteral("frame"));
    setMouseTracking(true);
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    for (int i = 0; i < pageCount; ++i) {
        tabs_->addTab(QString());
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("frame.page%1").arg(i));
        page->setAttribute(Qt::WA_TranslucentBackground);
        page->setMouseTracking(true);
        pages_.append(page);
    }
    tabs_->raise();
    connect(tabs_, &QTabBar::currentChanged, this, &TabControl::showPage);
    showPage(0);
}

void TabControl::setPageCaption(int index, const QString& caption) {
    tabs_->setTabText(index, caption);
    tabs_->resize(tabs_->sizeHint());
}

void TabControl::setCurrentPage(int index) {
    tabs_->setCurrentIndex(index);
    showPage(index);  // also when it was current already
}

void TabControl::showPage(int index) {
    for (int i = 0; i < pages_.size(); ++i) {
        pages_[i]->setVisible(i == index);
    }
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    tabs_->setGeometry(0, 0, std::min(width(), tabs_->sizeHint().width()),
                       tabs_->sizeHint().height());
    for (QWidget* page : pages_) {
        page->setGeometry(rect());
    }
    tabs_->raise();
}

void TabControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, tabs_->height() - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = tabs_->size();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
}

void TabControl::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}

}  // namespace cellwatch
