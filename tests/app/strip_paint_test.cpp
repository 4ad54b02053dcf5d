#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <map>

#include "app/toolbar.h"
#include "tests/support/backing_store.h"

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
        window.resize(600, 400);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        settle();
        qApp->installEventFilter(&paints);
    }
    void TearDown() override { qApp->removeEventFilter(&paints); }
    static void settle() {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
        }
    }
    LampWidget* lamp() const {
        return static_cast<LampWidget*>(
            bar->tool(QStringLiteral("state"), QStringLiteral("Light2"))->widget());
    }
    // Pixels of the status band where the window's backing store differs from
    // a fresh drawing of the band with its lamps.
    int staleBandPixels() {
        qApp->removeEventFilter(&paints);
        const int stale = test::stalePixels(*bar->statusBand());
        qApp->installEventFilter(&paints);
        return stale;
    }

    struct PaintCount : QObject {
        std::map<QObject*, int> of;
        bool eventFilter(QObject* watched, QEvent* event) override {
            of[watched] += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } paints;
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
    for (const bool plain : {true, false}) {
        if (!plain) {
            QLinearGradient shade(0, 0, 0, band->height());
            shade.setColorAt(0, QColor(230, 230, 230));
            shade.setColorAt(1, QColor(150, 150, 170));
            QPalette p = band->palette();
            p.setBrush(band->backgroundRole(), QBrush(shade));
            band->setPalette(p);
            settle();
        }
        for (int flip = 0; flip < 2; ++flip) {
            paints.of.clear();
            lamp()->setLit(!lamp()->isLit());
            text->setText(QString::number(flip + (plain ? 2 : 4)));  // the window's next paint
            settle();
            EXPECT_EQ(paints.of[lamp()], 1) << "plain " << plain << " flip " << flip;
            EXPECT_EQ(paints.of[band], plain ? 0 : 1) << "plain " << plain << " flip " << flip;
            if (plain) {  // (a grab of a shaded band differs from the window by a shade)
                EXPECT_EQ(staleBandPixels(), 0) << "flip " << flip;
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
        qApp->removeEventFilter(&paints);
        const QImage picture = lamp()->grab().toImage();  // in device pixels
        const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
        qApp->installEventFilter(&paints);
        return c;
    };
    const QColor out = centre();
    for (const int flipsPerMessage : {2, 1, 3}) {
        std::vector<bool> shown;
        for (int message = 0; message < 3; ++message) {  // an odd number of messages
            for (int f = 0; f < flipsPerMessage; ++f) {
                light->flip();
            }
            text->setText(QString::number(message));  // the sample: the window paints
            settle();
            shown.push_back(centre() != out);
            EXPECT_EQ(lamp()->isShownLit(), shown.back());
            if (message > 0) {
                EXPECT_NE(shown[message], shown[message - 1])
                    << flipsPerMessage << " flips, message " << message;
            }
        }
        if (flipsPerMessage % 2 == 1) {
            EXPECT_EQ(lamp()->isShownLit(), light->enabled()) << "its state of that moment";
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return lamp()->isShownLit() == light->enabled(); }))
            << flipsPerMessage << " flips: the quiet line shows the lamp's own state";
        EXPECT_EQ(centre() != out, light->enabled()) << flipsPerMessage;
        light->setEnabled(false);
        text->setText(QStringLiteral("-"));
        settle();
        EXPECT_EQ(centre(), out) << flipsPerMessage;
    }
}

// The control spans the window but is drawn only in its strips: a text
// changing in the working area does not draw it again underneath.
TEST_F(StripPaintTest, TheWorkingAreasTextsDoNotRedrawTheControl) {
    for (const char* value : {"2.00", "12.50", "3"}) {
        paints.of.clear();
        text->setText(QString::fromLatin1(value));
        settle();
        EXPECT_EQ(paints.of[text], 1) << value;
        EXPECT_EQ(paints.of[bar], 0) << value;
    }
}

}  // namespace
}  // namespace cellwatch
