// The status band's lamps.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>

namespace cellwatch {

class WindowPaintHook;

// A round lamp: lit while enabled. The receive lamp flips on every receive
// event, which can be a hundred times a second, and a message comes in two
// or three of them. A flip is painted with the window's next paint (the
// sample the message brings), and kLatestRepaintMs after it at the latest
// when the window paints nothing till then (bytes that make no sample): the
// lamp shows its state of that moment, at most once per paint of the window.
class LampWidget final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLatestRepaintMs = 150;

    LampWidget(QColor litColour, QWidget* parent = nullptr);
    void setLit(bool lit);
    bool isLit() const { return lit_; }
    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

signals:
    void clicked();

private:
    std::optional<QColor> plainBackground() const;
    void updateOpaque();
    const QPixmap& picture(const std::optional<QColor>& background) const;

    QColor colour_;
    bool lit_ = false;
    QTimer repaintTimer_;  // runs while a flip is owed to the screen
    WindowPaintHook* paintHook_ = nullptr;
    mutable std::array<QPixmap, 2> pictures_;  // unlit, lit
    mutable std::array<QColor, 2> pictureBackgrounds_;
};

}  // namespace cellwatch
