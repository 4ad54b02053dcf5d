#include "chart/window_paint_hook.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

#include "tests/support/settle.h"

namespace cellwatch {
namespace {

class WindowPaintHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(text);
        layout->addWidget(owed);
        window.resize(200, 100);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(test::settle());
        paints.clear();
    }

    QWidget window;
    QLabel* text = new QLabel(QStringLiteral("1.00"));
    QLabel* owed = new QLabel(QStringLiteral("owed"));
    test::PaintRecord paints;
};

// An armed hook runs before the window's next paint, and what it asks to be
// drawn is drawn in that same pass; it runs once per arming.
TEST_F(WindowPaintHookTest, AnOwedRepaintJoinsTheWindowsNextPaint) {
    int runs = 0;
    WindowPaintHook hook(owed, [&] {
        ++runs;
        owed->update();
    });
    hook.arm();
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(runs, 0) << "no paint, no run";
    EXPECT_TRUE(hook.armed());

    text->setText(QStringLiteral("2.00"));  // the window paints for this
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(hook.armed());
    ASSERT_TRUE(paints.painted(text));
    EXPECT_TRUE((QRegion(test::PaintRecord::rectOf(*owed)) - paints.of(owed)).isEmpty());
    EXPECT_EQ(paints.passesOf(owed), paints.passesOf(text))
        << "the owed repaint made no pass of its own";

    text->setText(QStringLiteral("3.00"));
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(runs, 1) << "once per arming";
}

// Moved to another window, the hook follows it there.
TEST_F(WindowPaintHookTest, FollowsTheWidgetToAnotherWindow) {
    int runs = 0;
    auto* hook = new WindowPaintHook(owed, [&] { ++runs; });  // owned by the widget
    hook->arm();
    QWidget other;
    other.resize(100, 50);
    owed->setParent(&other);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    ASSERT_TRUE(test::settle());
    runs = 0;
    hook->arm();
    text->setText(QStringLiteral("2.00"));  // the old window paints
    ASSERT_TRUE(test::settle());
    ASSERT_TRUE(paints.painted(text));
    EXPECT_EQ(runs, 0);
    owed->setText(QStringLiteral("moved"));  // the new one paints
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(runs, 1);
}

// A held timer never runs of itself; a step runs it once it is due, as the
// QTimer would have when its time came, and a stop or a run-out single shot
// leaves nothing due.
TEST(SteppableTimer, HeldItRunsOnlyWhenSteppedAndDue) {
    const struct {
        const char* what;
        bool singleShot;
        bool startBeforeHold;
        bool stopBeforeStep;
        std::vector<bool> stepsRun;  // what each step does
    } cases[] = {
        {"single shot", true, false, false, {true, false}},
        {"single shot started before the hold", true, true, false, {true, false}},
        {"stopped", true, false, true, {false}},
        {"repeating", false, false, false, {true, true, true}},
        {"repeating, stopped", false, true, true, {false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int runs = 0;
        SteppableTimer timer([&runs] { ++runs; }, c.singleShot);
        if (c.startBeforeHold) {
            timer.start(1);
        }
        timer.hold();
        if (!c.startBeforeHold) {
            timer.start(1);
        }
        EXPECT_EQ(timer.interval(), 1);
        ASSERT_TRUE(test::settle());  // long past the millisecond
        EXPECT_EQ(runs, 0) << "it waits for the step";
        if (c.stopBeforeStep) {
            timer.stop();
        }
        int expected = 0;
        for (const bool run : c.stepsRun) {
            EXPECT_EQ(timer.isActive(), run);
            EXPECT_EQ(timer.step(), run);
            expected += run ? 1 : 0;
        }
        EXPECT_EQ(runs, expected);
    }
    // Not held, it is the QTimer, and a step does nothing.
    int runs = 0;
    SteppableTimer timer([&runs] { ++runs; });
    timer.start(1);
    EXPECT_FALSE(timer.step());
    EXPECT_TRUE(QTest::qWaitFor([&runs] { return runs == 1; }));
    EXPECT_FALSE(timer.isActive());
}

}  // namespace
}  // namespace cellwatch
