// What a sample costs the real window besides drawing its new texts: its
// panels are not laid out again, and the frames behind the readouts are
// not drawn again; yet no readout is ever narrower than its text.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPaintEvent>
#include <QSet>

#include "readout/cell_panel_widget.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

// Counts layout requests to the window, its frames and the cell panel, and
// notes every paint of one of them behind one of its texts.
class FrameWatch final : public QObject {
public:
    explicit FrameWatch(QWidget& window) {
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (qobject_cast<QGroupBox*>(w) != nullptr ||
                w->objectName() == QLatin1String("cellPanel")) {
                watched_.insert(w);
            }
        }
        watched_.insert(&window);
        qApp->installEventFilter(this);
    }
    ~FrameWatch() override { qApp->removeEventFilter(this); }

    int layouts = 0;
    QStringList paintedBehind;  // "frame/label"

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!watched_.contains(o)) {
            return false;
        }
        if (e->type() == QEvent::LayoutRequest) {
            ++layouts;
        } else if (e->type() == QEvent::Paint) {
            auto* frame = static_cast<QWidget*>(o);
            const QRegion painted = static_cast<QPaintEvent*>(e)->region();
            for (QLabel* label : frame->findChildren<QLabel*>()) {
                const QRect at(label->mapTo(frame, QPoint()), label->size());
                if (label->isVisible() && painted.intersects(at)) {
                    paintedBehind << frame->objectName() + u'/' + label->objectName();
                }
            }
        }
        return false;
    }

private:
    QSet<QObject*> watched_;
};

using ReadoutCostTest = WindowTest;

TEST_F(ReadoutCostTest, ASampleRedrawsItsReadoutsAlone) {
    openConnected(3);  // the readouts have had a sample's texts once
    ASSERT_TRUE(test::settle());
    FrameWatch watch(*w);
    test::PaintRecord paints;
    for (int k = 4; k <= 6; ++k) {
        paints.clear();
        advance(1000);
        record(charging(k));
        ASSERT_TRUE(test::settle());  // the paint after the sample is over
        EXPECT_TRUE(paints.painted(w->readout(15))) << "the sample's voltage " << k;
    }
    EXPECT_EQ(watch.layouts, 0);
    EXPECT_TRUE(watch.paintedBehind.isEmpty()) << watch.paintedBehind.join(u' ').toStdString();
    EXPECT_EQ(w->readout(15)->text(), text2(charging(6).voltage));
}

TEST_F(ReadoutCostTest, NoReadoutIsNarrowerThanItsText) {
    openConnected(2);
    // Longer texts than any before, then shorter ones again.
    emu::ChargerReading wide = charging(3);
    wide.current = Decimal::fromHundredths(1999);
    wide.capacity = Decimal::fromInt(9999);
    const emu::ChargerReading readings[] = {wide, charging(4)};
    for (const emu::ChargerReading& r : readings) {
        advance(1000);
        record(r);
        ASSERT_TRUE(test::settle());
        QList<QLabel*> labels;
        for (int i = 0; i < 25; ++i) {
            labels << w->readout(i);
        }
        auto* cells = w->findChild<CellPanelWidget*>(QStringLiteral("cellPanel"));
        ASSERT_NE(cells, nullptr);
        for (int c = 1; c <= 3; ++c) {
            labels << cells->cellLabel(c);
        }
        for (int s = 1; s <= CellPanelWidget::kStatisticCount; ++s) {
            labels << cells->statisticLabel(s);
        }
        for (QLabel* label : labels) {
            if (label != nullptr && label->isVisible()) {
                EXPECT_GE(label->width(), label->sizeHint().width())
                    << label->objectName().toStdString() << " \"" << label->text().toStdString()
                    << "\"";
            }
        }
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
