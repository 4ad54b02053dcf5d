#include "app/toolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>

#include "app/captions.h"

namespace cellwatch {
namespace {

class ToolBarTest : public ::testing::Test {
protected:
    ToolBarControl bar{15.0};
    Tool* get(const char* band, const char* name) {
        Tool* t = bar.tool(QString::fromLatin1(band), QString::fromLatin1(name));
        EXPECT_NE(t, nullptr) << band << "." << name;
        return t;
    }
};

TEST_F(ToolBarTest, ClicksCarryTheToolAndLeaveTheCheckedStateToTheCommand) {
    QSignalSpy clicks(&bar, &ToolBarControl::toolClicked);
    Tool* fileExport = get("file1", "Export");
    Tool* barExport = get("Tools", "Export");
    fileExport->action()->trigger();
    barExport->action()->trigger();
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks[0][0].value<Tool*>(), fileExport);
    EXPECT_EQ(clicks[1][0].value<Tool*>()->name(), QStringLiteral("Export"));

    Tool* cross = get("Tools", "CrossLine");
    cross->action()->trigger();
    EXPECT_FALSE(cross->checked());
    EXPECT_FALSE(cross->action()->isChecked());
    cross->setChecked(true);
    EXPECT_TRUE(cross->action()->isChecked());
}

// The receive lamp flips on every receive event; its flips reach the screen
// with the window's next paint (the sample's texts), never in a pass of their
// own, and within kLatestRepaintMs when the window paints nothing else. What
// is painted is the lamp's state of that moment, lit or not.
TEST(LampWidget, FlipsArePaintedWithTheWindowOrSoonAfter) {
    QWidget window;
    auto* lamp = new LampWidget(QColor(40, 220, 60), &window);
    auto* text = new QLabel(QStringLiteral("1.00"), &window);
    text->move(40, 0);
    window.resize(120, 30);
    window.show();
    const auto settle = [] {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
        }
    };
    settle();
    struct Log : QObject {
        int passes = 0;
        int lampPaints = 0;
        QObject* lamp = nullptr;
        bool eventFilter(QObject* watched, QEvent* event) override {
            passes += event->type() == QEvent::UpdateRequest ? 1 : 0;
            lampPaints += event->type() == QEvent::Paint && watched == lamp ? 1 : 0;
            return false;
        }
    } log;
    log.lamp = lamp;
    const auto centre = [&] {  // a rendering of its own, not counted
        qApp->removeEventFilter(&log);
        const QColor c = lamp->grab().toImage().pixelColor(9, 9);
        qApp->installEventFilter(&log);
        return c;
    };
    const QColor unlit = centre();

    for (int flip = 0; flip < 3; ++flip) {  // a message in three receive events
        lamp->setLit(!lamp->isLit());
        settle();
    }
    EXPECT_EQ(log.passes, 0) << "flips alone wait for the window";
    text->setText(QStringLiteral("2.00"));  // the sample
    settle();
    EXPECT_EQ(log.passes, 1);
    EXPECT_EQ(log.lampPaints, 1);
    EXPECT_TRUE(lamp->isLit());
    EXPECT_NE(centre(), unlit);

    lamp->setLit(false);  // bytes that make no sample
    QElapsedTimer waited;
    waited.start();
    while (log.lampPaints < 2 && waited.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(log.lampPaints, 2);
    EXPECT_GE(waited.elapsed(), LampWidget::kLatestRepaintMs - 20);
    EXPECT_LT(waited.elapsed(), LampWidget::kLatestRepaintMs + 500);
    EXPECT_EQ(centre(), unlit);
    qApp->removeEventFilter(&log);
}

TEST_F(ToolBarTest, WidthsAreInTwips) {
    Tool* stateText = get("state", "state_text");
    stateText->setWidth(7500);
    EXPECT_EQ(stateText->comboBox()->width(), 500);
    Tool* language = get("Tools", "Language");
    language->setWidth(800);
    EXPECT_GE(language->widget()->minimumWidth(), language->widget()->sizeHint().width());
}

TEST_F(ToolBarTest, StatusListHoldsOneToFiftyMessagesNewestShown) {
    Tool* status = get("state", "state_text");
    PostStatusMessage(*status, QStringLiteral("first"));
    PostStatusMessage(*status, QStringLiteral("second"));
    EXPECT_EQ(status->itemCount(), 2);
    EXPECT_EQ(status->text(), QStringLiteral("second"));
    for (int i = 3; i <= 50; ++i) {
        PostStatusMessage(*status, QStringLiteral("message %1").arg(i));
    }
    EXPECT_EQ(status->itemCount(), 50);
    PostStatusMessage(*status, QStringLiteral("fifty-first"));
    EXPECT_EQ(status->itemCount(), 1);
    EXPECT_EQ(status->item(0), QStringLiteral("fifty-first"));
    EXPECT_EQ(status->text(), QStringLiteral("fifty-first"));
}

}  // namespace
}  // namespace cellwatch
