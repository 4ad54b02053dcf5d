#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "app/toolbar.h"
#include "tests/support/backing_store.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

// The tool bar control in a window, as the main window holds it: spanning
// the window behind a working area with a changing text in it, in a frame
// that does not cover all it spans.
class StripPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar = new ToolBarControl(15.0, &window);
        auto* frame = new QWidget(&window);  // see-through, as a readout frame's corners are
        frame->setGeometry(90, 190, 100, 40);
        text = new QLabel(QStringLiteral("1.00"), frame);
        text->setAutoFillBackground(true);
        text->setGeometry(10, 10, 80, 20);
        // A neighbour frame over its edge: Qt then repaints the text's region
        // through the window rather than the text alone.
        (new QWidget(&window))->setGeometry(60, 190, 45, 40);
        bar->lower();
        bar->setGeometry(0, 0, 600, 400);
        // The lamps' timers run when the test steps them.
        for (const char* name : {"Light2", "USBL1"}) {
            auto* lamp = static_cast<LampWidget*>(
                bar->tool(QStringLiteral("state"), QString::fromLatin1(name))->widget());
            lamp->repaintTimer().hold();
            lamp->settleTimer().hold();
        }
        window.resize(600, 400);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(test::settle());
        paints.clear();
    }
    LampWidget* lamp() const {
        return static_cast<LampWidget*>(
            bar->tool(QStringLiteral("state"), QStringLiteral("Light2"))->widget());
    }
    // Pixels of the status band where the window's backing store differs from
    // a fresh drawing of the band with its lamps.
    int staleBandPixels() {
        const test::PaintRecord::Pause grabbing(paints);
        return test::stalePixels(*bar->statusBand());
    }
    // What `widget` covers of its window that it painted not.
    QRegion unpainted(const QWidget& widget) const {
        return QRegion(test::PaintRecord::rectOf(widget)) - paints.of(&widget);
    }

    test::PaintRecord paints;
    QWidget window;
    ToolBarControl* bar = nullptr;
    QLabel* text = nullptr;
};

// A flip of the receive lamp repaints the lamp alone: its pictures carry the
// band's plain background, so the band is not drawn again under it, and the
// window shows the band exactly as a whole drawing of it would, lit and out.
// Over a band that is not one plain colour the band is drawn under the lamp
// again.
TEST_F(StripPaintTest, ALampFlipRepaintsTheLampAloneAndShowsRight) {
    QWidget* band = bar->statusBand();
    const QRect lampRect = test::PaintRecord::rectOf(*lamp());
    for (const bool plain : {true, false}) {
        if (!plain) {
            QLinearGradient shade(0, 0, 0, band->height());
            shade.setColorAt(0, QColor(230, 230, 230));
            shade.setColorAt(1, QColor(150, 150, 170));
            QPalette p = band->palette();
            p.setBrush(band->backgroundRole(), QBrush(shade));
            band->setPalette(p);
        }
        for (int flip = 0; flip < 2; ++flip) {
            SCOPED_TRACE(::testing::Message() << "plain " << plain << " flip " << flip);
            ASSERT_TRUE(test::settle());  // what the last grab or shade made Qt paint
            paints.clear();
            lamp()->setLit(!lamp()->isLit());
            text->setText(QString::number(flip + (plain ? 2 : 4)));  // the window's next paint
            ASSERT_TRUE(test::settle());
            EXPECT_TRUE(unpainted(*lamp()).isEmpty()) << "the lamp is painted whole";
            if (plain) {
                EXPECT_FALSE(paints.of(band).intersects(lampRect)) << "the band under the lamp";
                // (a grab of a shaded band differs from the window by a shade)
                EXPECT_EQ(staleBandPixels(), 0);
            } else {
                EXPECT_TRUE((QRegion(lampRect) - paints.of(band)).isEmpty())
                    << "the shaded band is drawn under the lamp";
            }
        }
    }
}

// A message comes in two receive events, so the receive lamp flips twice
// between two paints of the window: each paint after flips still shows the
// lamp changed (a lamp showing its state of that moment would look dead), and
// one flip a message shows the state itself. Once the line is quiet (a
// disconnect, a silent charger) it shows its own state again; set outright,
// it shows that.
TEST_F(StripPaintTest, TheReceiveLampChangesWithEveryMessage) {
    Tool* light = bar->tool(QStringLiteral("state"), QStringLiteral("Light2"));
    const auto centre = [this] {
        const test::PaintRecord::Pause grabbing(paints);
        const QImage picture = lamp()->grab().toImage();  // in device pixels
        return picture.pixelColor(picture.width() / 2, picture.height() / 2);
    };
    const QColor out = centre();
    for (const int flipsPerMessage : {2, 1, 3}) {
        SCOPED_TRACE(::testing::Message() << flipsPerMessage << " flips a message");
        std::vector<bool> shown;
        for (int message = 0; message < 3; ++message) {  // an odd number of messages
            for (int f = 0; f < flipsPerMessage; ++f) {
                light->flip();
            }
            text->setText(QString::number(message));  // the sample: the window paints
            ASSERT_TRUE(test::settle());
            shown.push_back(centre() != out);
            EXPECT_EQ(lamp()->isShownLit(), shown.back());
            if (message > 0) {
                EXPECT_NE(shown[message], shown[message - 1]) << "message " << message;
            }
        }
        if (flipsPerMessage % 2 == 1) {
            EXPECT_EQ(lamp()->isShownLit(), light->enabled()) << "its state of that moment";
        }
        // The line stays quiet: the lamp goes back to its own state
        // kLatestRepaintMs after the last message.
        SteppableTimer& settling = lamp()->settleTimer();
        EXPECT_EQ(settling.isActive(), lamp()->isShownLit() != light->enabled());
        if (settling.isActive()) {
            EXPECT_EQ(settling.interval(), LampWidget::kLatestRepaintMs);
            settling.step();
        }
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(lamp()->isShownLit(), light->enabled()) << "the quiet line shows its own state";
        EXPECT_EQ(centre() != out, light->enabled());
        light->setEnabled(false);
        text->setText(QStringLiteral("-"));
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(centre(), out);
    }
}

// The control spans the window but is drawn only in its strips: a text
// changing in the working area does not draw it again underneath.
TEST_F(StripPaintTest, TheWorkingAreasTextsDoNotRedrawTheControl) {
    const QRect textRect = test::PaintRecord::rectOf(*text);
    for (const char* value : {"2.00", "12.50", "3"}) {
        paints.clear();
        text->setText(QString::fromLatin1(value));
        ASSERT_TRUE(test::settle());
        EXPECT_TRUE(unpainted(*text).isEmpty()) << value;
        EXPECT_FALSE(paints.of(bar).intersects(textRect)) << value;
    }
}

}  // namespace
}  // namespace cellwatch
