// The tab control `frame`: a row of page tabs over a panel. Every page is a
// transparent layer over the whole control, so controls placed on a page
// keep coordinates relative to the tab control itself, tab row included.
#pragma once

#include <QTabBar>
#include <QVector>
#include <QWidget>

namespace cellwatch {

class TabControl final : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(int pageCount, QWidget* parent = nullptr);

    QWidget* page(int index) const { return pages_.value(index); }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    void setPageCaption(int index, const QString& caption);
    QString pageCaption(int index) const { return tabs_->tabText(index); }
    void setCurrentPage(int index);
    int currentPage() const { return tabs_->currentIndex(); }
    int tabRowHeight() const { return tabs_->sizeHint().height(); }

signals:
    void mouseMoved();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void showPage(int index);

    QTabBar* tabs_;
    QVector<QWidget*> pages_;
};

}  // namespace cellwatch
