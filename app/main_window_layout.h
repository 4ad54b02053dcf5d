// What the main window's source files share of its layout: the window's
// controls as the layout engine sees them, and the look of the readout frames.
#pragma once

#include <QGroupBox>
#include <QWidget>
#include <cmath>
#include <memory>
#include <vector>

#include "app/autosize.h"
#include "app/main_window.h"
#include "app/readout_panels.h"

namespace cellwatch {

// The window's controls as the layout engine sees them: twips in, pixels out.
class WidgetLayoutControl final : public LayoutControl {
public:
    WidgetLayoutControl(QWidget* w, QString tag, double tppX, double tppY)
        : w_(w), tag_(std::move(tag)), tppX_(tppX), tppY_(tppY) {}
    QString tag() const override { return tag_; }
    double left() const override { return w_->x() * tppX_; }
    double top() const override { return w_->y() * tppY_; }
    double width() const override { return w_->width() * tppX_; }
    double height() const override { return w_->height() * tppY_; }
    void setLeft(double t) override { w_->move(px(t, tppX_), w_->y()); }
    void setTop(double t) override { w_->move(w_->x(), px(t, tppY_)); }
    void setWidth(double t) override { w_->resize(std::max(0, px(t, tppX_)), w_->height()); }
    void setHeight(double t) override { w_->resize(w_->width(), std::max(0, px(t, tppY_))); }
    void setVisible(bool visible) override { w_->setVisible(visible); }

private:
    static int px(double twips, double tpp) { return static_cast<int>(std::lround(twips / tpp)); }
    QWidget* w_;
    QString tag_;
    double tppX_;
    double tppY_;
};

class MainWindow::Layout final : public LayoutWindow {
public:
    explicit Layout(MainWindow& w) : w_(w) {}
    bool isMinimized() const override { return w_.isMinimized(); }
    double outerWidth() const override { return w_.width() * w_.tppX_; }
    double outerHeight() const override { return w_.height() * w_.tppY_; }
    std::vector<LayoutControl*> controls() const override {
        std::vector<LayoutControl*> out;
        for (const auto& c : controls_) {
            out.push_back(c.get());
        }
        return out;
    }
    void add(QWidget* widget, const QString& tag) {
        controls_.push_back(std::make_unique<WidgetLayoutControl>(widget, tag, w_.tppX_, w_.tppY_));
    }

private:
    MainWindow& w_;
    std::vector<std::unique_ptr<WidgetLayoutControl>> controls_;
};

}  // namespace cellwatch
