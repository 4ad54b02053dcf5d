#include "chart/window_paint_hook.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QVBoxLayout>
#include <map>

namespace cellwatch {
namespace {

// Counts the paint passes of a window and the paints of each widget in it.
struct PaintLog : QObject {
    int passes = 0;
    std::map<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            ++passes;
        } else if (event->type() == QEvent::Paint) {
            ++paints[watched];
        }
        return false;
    }
};

class WindowPaintHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(text);
        layout->addWidget(owed);
        window.resize(200, 100);
        window.show();
        settle();
        qApp->installEventFilter(&log);
    }
    void TearDown() override { qApp->removeEventFilter(&log); }
    void settle() {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
        }
    }

    QWidget window;
    QLabel* text = new QLabel(QStringLiteral("1.00"));
    QLabel* owed = new QLabel(QStringLiteral("owed"));
    PaintLog log;
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
    settle();
    EXPECT_EQ(runs, 0) << "no paint, no run";
    EXPECT_TRUE(hook.armed());

    text->setText(QStringLiteral("2.00"));  // the window paints for this
    settle();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(log.passes, 1) << "the owed repaint made no pass of its own";
    EXPECT_EQ(log.paints[owed], 1);
    EXPECT_EQ(log.paints[text], 1);

    text->setText(QStringLiteral("3.00"));
    settle();
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
    settle();
    runs = 0;
    hook->arm();
    text->setText(QStringLiteral("2.00"));  // the old window paints
    settle();
    EXPECT_EQ(runs, 0);
    owed->setText(QStringLiteral("moved"));  // the new one paints
    settle();
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace cellwatch
