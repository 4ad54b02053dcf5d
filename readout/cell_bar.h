// A vertical level bar: a value from 0 to 100 fills the bar from the bottom,
// continuously (no blocks), with a fill picture or, without one, a plain
// colour. A one-pixel border and the empty part follow the palette.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace cellwatch {

class CellBar : public QWidget {
    Q_OBJECT
public:
    // How the fill picture covers the bar, set before each picture.
    enum PictureStyle : int {
        // The picture is repeated upwards from the bottom at its own height,
        // stretched to the bar's width.
        kPictureTiled = 0,
        // The picture is stretched over the whole scale, 0 to 100, and the
        // value uncovers it from the bottom: its stripes stay in place as the
        // level moves, like the marks of a gauge. The cell panel uses this.
        kPictureStretched = 1,
    };

    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 100;

    explicit CellBar(QWidget* parent = nullptr);

    int value() const { return value_; }
    // Clamped to 0..100.
    void setValue(int value);

    int pictureStyle() const { return pictureStyle_; }
    // kPictureTiled or kPictureStretched; any other number draws as tiled.
    void setPictureStyle(int style);

    // The fill picture and a name for where it came from (a resource path);
    // a null picture falls back to the fill colour.
    void setFillPicture(const QImage& picture, const QString& source = {});
    const QImage& fillPicture() const { return picture_; }
    const QString& fillPictureSource() const { return pictureSource_; }

    QColor fillColor() const { return fillColor_; }
    void setFillColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect trackRect() const;
    const QPixmap& scaledPicture(const QSize& size) const;
    const QPixmap& groove(const QSize& size, qreal ratio) const;

    int value_ = 0;
    int pictureStyle_ = kPictureStretched;
    QImage picture_;
    QString pictureSource_;
    QColor fillColor_{0, 192, 0};
    mutable QPixmap scaled_;  // picture_ scaled for the current size and style
    mutable bool scaledValid_ = false;
    mutable QPixmap groove_;    // the empty track for the current size and palette
    mutable QSize grooveSize_;  // what it was drawn for: size, ratio, palette
    mutable qreal grooveRatio_ = 0;
    mutable qint64 grooveKey_ = 0;
};

}  // namespace cellwatch
