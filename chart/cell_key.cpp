#include "chart/cell_key.h"

#include <qcustomplot.h>

#include <algorithm>

namespace cellwatch {
namespace {

// Entries to a row of the key: 12 cells take two rows.
constexpr int kKeyColumns = 6;
constexpr int kStrokeWidth = 14;  // the colour's stroke, in pixels
constexpr int kStrokeGap = 4;     // between stroke and number
constexpr int kFaintAlpha = 60;   // a hidden cell's entry

// One cell's entry: its colour's stroke and its number, faint when hidden.
class CellKeyItem final : public QCPAbstractLegendItem {
public:
    CellKeyItem(QCPLegend* legend, const CellKey::Look& look, int cell)
        : QCPAbstractLegendItem(legend), look_(look), cell_(cell) {
        setSelectable(false);
    }

protected:
    QSize minimumOuterSizeHint() const override {
        const QFontMetrics metrics(mFont);
        return {kStrokeWidth + kStrokeGap + metrics.horizontalAdvance(text()) + mMargins.left() +
                    mMargins.right(),
                metrics.height() + mMargins.top() + mMargins.bottom()};
    }

    void draw(QCPPainter* painter) override {
        const bool hidden = look_.hidden(cell_);
        QColor colour = look_.colour(cell_);
        QColor ink = mTextColor;
        if (hidden) {
            colour.setAlpha(kFaintAlpha);
            ink.setAlpha(kFaintAlpha);
        }
        const QRect r = mRect;
        const double y = r.center().y() + 0.5;
        painter->setPen(QPen(colour, 2));
        painter->drawLine(QLineF(r.left(), y, r.left() + kStrokeWidth, y));
        painter->setFont(mFont);
        painter->setPen(ink);
        painter->drawText(r.adjusted(kStrokeWidth + kStrokeGap, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    QString text() const { return QString::number(cell_ + 1); }

    CellKey::Look look_;
    int cell_;
};

}  // namespace

CellKey::CellKey(QCPAxisRect* rect, Look look) : look_(std::move(look)) {
    legend_ = new QCPLegend;
    rect->insetLayout()->addElement(legend_, Qt::AlignRight | Qt::AlignTop);
    legend_->setLayer(QStringLiteral("legend"));
    legend_->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend_->setWrap(kKeyColumns);
    legend_->setSelectableParts(QCPLegend::spNone);
    legend_->setRowSpacing(0);
    legend_->setColumnSpacing(6);
    legend_->setMargins(QMargins(5, 2, 5, 2));
    restyle();
}

void CellKey::setCells(int count) {
    count = std::max(0, count);
    if (count == cells_) {
        return;
    }
    legend_->clearItems();
    for (int cell = 0; cell < count; ++cell) {
        legend_->addItem(new CellKeyItem(legend_, look_, cell));
    }
    cells_ = count;
    legend_->setVisible(count > 0);
    restyle();
}

int CellKey::cellAt(QPointF pos) const {
    if (!legend_->visible()) {
        return -1;
    }
    // The key's grid has empty places after the last entry (13 to 17 cells).
    for (int i = 0; i < legend_->itemCount(); ++i) {
        QCPAbstractLegendItem* item = legend_->item(i);
        if (item != nullptr && item->outerRect().contains(pos.toPoint())) {
            return i;
        }
    }
    return -1;
}

void CellKey::restyle() {
    const bool light = look_.light();
    legend_->setBrush(light ? QColor(255, 255, 255, 220) : QColor(0, 20, 50, 200));
    legend_->setBorderPen(QPen(light ? QColor(160, 160, 160) : QColor(90, 110, 140), 1));
    const QColor ink = light ? QColor(30, 30, 30) : QColor(235, 235, 235);
    legend_->setTextColor(ink);
    for (int i = 0; i < legend_->itemCount(); ++i) {
        if (QCPAbstractLegendItem* item = legend_->item(i)) {
            item->setTextColor(ink);
        }
    }
}

}  // namespace cellwatch
