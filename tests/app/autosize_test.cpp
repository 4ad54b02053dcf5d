#include "app/autosize.h"

#include <gtest/gtest.h>

#include "app/size_limits.h"

namespace cellwatch {
namespace {

struct FakeControl final : LayoutControl {
    FakeControl(const char* t, double l, double tp, double w, double h)
        : tagText(QString::fromLatin1(t)), x(l), y(tp), wd(w), ht(h) {}
    QString tag() const override { return tagText; }
    double left() const override { return x; }
    double top() const override { return y; }
    double width() const override { return wd; }
    double height() const override { return ht; }
    void setLeft(double v) override { x = v; }
    void setTop(double v) override { y = v; }
    void setWidth(double v) override { wd = v; }
    void setHeight(double v) override { ht = v; }
    void setVisible(bool v) override {
        visible = v;
        ++visibilityChanges;
    }
    QString tagText;
    double x, y, wd, ht;
    bool visible = false;
    int visibilityChanges = 0;
};

struct FakeWindow final : LayoutWindow {
    bool isMinimized() const override { return minimized; }
    double outerWidth() const override { return w; }
    double outerHeight() const override { return h; }
    std::vector<LayoutControl*> controls() const override { return list; }
    bool minimized = false;
    double w = 14925, h = 10560;
    std::vector<LayoutControl*> list;
};

// Some of the main window's tagged controls at their design geometry.
struct DesignWindow {
    FakeControl ie{"STRETCHV", 0, 1080, 2505, 3135};
    FakeControl chart{"STRETCHALL", 120, 360, 12255, 5925};
    FakeControl frame1{"MOVEV", 0, 4080, 2535, 1890};
    FakeControl frame2{"STRETCHHMOVEV", 10635, 7320, 4335, 2850};
    FakeControl odd{"KEEP", 1, 2, 3, 4};
    FakeWindow window;
    LayoutState state;
    DesignWindow() { window.list = {&ie, &chart, &frame1, &frame2, &odd}; }
    std::vector<FakeControl*> all() { return {&ie, &chart, &frame1, &frame2, &odd}; }
};

struct Geometry {
    double left, top, width, height;
};
void expectGeometry(const FakeControl& c, Geometry g, const char* what) {
    EXPECT_DOUBLE_EQ(c.x, g.left) << what;
    EXPECT_DOUBLE_EQ(c.y, g.top) << what;
    EXPECT_DOUBLE_EQ(c.wd, g.width) << what;
    EXPECT_DOUBLE_EQ(c.ht, g.height) << what;
}

TEST(AutoSize, EveryWordWritesItsProperties) {
    struct Case {
        const char* tag;
        Geometry expected;  // from 100,200,300,400 in a 1000x1000 window grown by 10 x 20
        bool takesPart = true;
    };
    const Case cases[] = {
        {"STRETCHH", {100, 200, 310, 400}},      {"STRETCHV", {100, 200, 300, 420}},
        {"STRETCHALL", {100, 200, 310, 420}},    {"MOVEH", {110, 200, 300, 400}},
        {"MOVEV", {100, 220, 300, 400}},         {"MOVEALL", {110, 220, 300, 400}},
        {"STRETCHVMOVEH", {110, 200, 300, 420}}, {"STRETCHHMOVEV", {100, 220, 310, 400}},
        {"stretchall", {100, 200, 300, 400}},  // words are compared exactly
        {"KEEP", {100, 200, 300, 400}},        // another tag: shown, never moved
        {"", {100, 200, 300, 400}, false},     // untagged: left wholly alone
    };
    for (const auto& c : cases) {
        FakeControl control(c.tag, 100, 200, 300, 400);
        FakeWindow w;
        w.w = 1000;
        w.h = 1000;
        w.list = {&control};
        LayoutState state;
        AutoSizeControls(state, w);
        EXPECT_EQ(state.count, c.takesPart ? 1 : 0) << c.tag;
        w.w = 1010;
        w.h = 1020;
        AutoSizeControls(state, w);
        expectGeometry(control, c.expected, c.tag);
        EXPECT_EQ(control.visible, c.takesPart) << c.tag;
        EXPECT_EQ(control.visibilityChanges == 0, !c.takesPart) << c.tag;
    }
}

TEST(AutoSize, MinimizedWindowIsLeftAloneAndEveryPassShowsTheControls) {
    DesignWindow d;
    d.window.minimized = true;
    AutoSizeControls(d.state, d.window);
    EXPECT_EQ(d.state.count, 0);  // nothing captured while minimized
    d.window.minimized = false;
    AutoSizeControls(d.state, d.window);
    for (FakeControl* c : d.all()) {
        c->visible = false;  // other code hid it
    }
    d.window.w += 15;
    AutoSizeControls(d.state, d.window);
    for (FakeControl* c : d.all()) {
        EXPECT_TRUE(c->visible) << c->tagText.toStdString();
    }
    d.window.minimized = true;
    d.window.w += 1000;
    AutoSizeControls(d.state, d.window);
    EXPECT_DOUBLE_EQ(d.chart.wd, 12270);
}

TEST(AutoSize, RecordsAreNeverRefreshed) {
    DesignWindow d;
    AutoSizeControls(d.state, d.window);
    d.frame1.y = 999;  // moved by other code
    d.window.h += 30;
    AutoSizeControls(d.state, d.window);
    EXPECT_DOUBLE_EQ(d.frame1.y, 4110);
}

TEST(SizeLimits, TruncatingDivisionsOfWholeTwips) {
    SizeLimits l = computeSizeLimits(14925, 10560, 28800, 16200, 15, 15);
    EXPECT_EQ(l.minTrackWidth, 995);
    EXPECT_EQ(l.minTrackHeight, 704);
    EXPECT_EQ(l.maxTrackWidth, 1920);
    EXPECT_EQ(l.maxTrackHeight, 1080);
    l = computeSizeLimits(14939.6, 10560.4, 28800, 16200, 15, 15);  // 14940 / 15 and 10560 / 15
    EXPECT_EQ(l.minTrackWidth, 996);
    EXPECT_EQ(l.minTrackHeight, 704);
    l = computeSizeLimits(14925, 10560, 28800, 16200, 11.25, 11.25);  // 128 dpi: 11.25 -> 11
    EXPECT_EQ(l.minTrackWidth, 1356);
}

}  // namespace
}  // namespace cellwatch
