// The window on a screen too small for its design: 1600 x 1000 pixels at
// 150 % scaling leave about 1067 x 667 for a design of 995 x 704. The window
// starts at the largest size that fits, frame included, and the layout
// engine places the controls for it as for any other size.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <cmath>

#include "app/alarm_list.h"
#include "app/summary_view.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

using ScaledScreenTest = WindowTest;

TEST_F(ScaledScreenTest, WindowStartsAtTheLargestSizeThatFitsWithItsStatusBandOnScreen) {
    open();
    test::settle();
    const QRect available = w->screen()->availableGeometry();
    const auto px = [&](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
    ASSERT_DOUBLE_EQ(w->twipsPerPixelY(), 15.0);
    const QSize design(px(kDesignClientWidth), px(kDesignClientHeight));
    ASSERT_LT(available.height(), design.height()) << "the screen is to be lower than the design";
    ASSERT_GT(available.width(), design.width());

    // The largest size that fits: as wide as designed, as high as the screen
    // (but for a pixel kept in hand for rounding at this scale).
    const QSize start = w->size();
    EXPECT_TRUE(available.contains(w->frameGeometry()));
    EXPECT_GE(w->frameGeometry().height(), available.height() - 1);
    EXPECT_EQ(start.width(), design.width());
    EXPECT_EQ(w->minimumSize(), start);
    QWidget* band = w->toolBar().statusBand();
    EXPECT_TRUE(band->isVisible());
    EXPECT_TRUE(available.contains(QRect(band->mapToGlobal(QPoint(0, 0)), band->size())));
    EXPECT_EQ(band->geometry().bottom(), w->toolBar().height() - 1);

    // The controls move and stretch by the negative growth.
    const int dy = start.height() - design.height();
    EXPECT_EQ(w->chart().height(), px(5925) + dy);
    EXPECT_EQ(w->helpPane().height(), px(3135) + dy);
    const int frameTops[] = {4080, 7320, 7320, 5760};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(w->frame(i)->y(), px(frameTops[i - 1]) + dy) << "Frame" << i;
        EXPECT_LE(w->frame(i)->geometry().bottom(), band->geometry().top()) << "Frame" << i;
    }
}

// A recording's window on the same screen: it fits, frame and status line
// included (what does not fit scrolls). The summary and the alarm list are in
// view without scrolling: the readout frames under the chart and the summary
// take turns on pages, each page, like the curve switches beside the chart,
// whole in view. Switching the range cursors on takes their panel's height
// from the chart, not from below the screen.
TEST_F(ScaledScreenTest, AViewerFitsTheScreenWithItsSummaryAndReadoutsShownWithoutScrolling) {
    openConnected(3);
    const QString journal = w->journal().path();
    disconnect();
    ViewerWindow* viewer = openViewer(journal);
    ASSERT_NE(viewer, nullptr);
    test::settle();
    const QRect available = viewer->screen()->availableGeometry();
    const auto onScreen = [&] {
        auto* status = viewer->findChild<QLabel*>(QStringLiteral("viewerStatus"));
        return available.contains(viewer->frameGeometry()) && status != nullptr &&
               status->isVisible() &&
               available.contains(QRect(status->mapToGlobal(QPoint(0, 0)), status->size()));
    };
    EXPECT_TRUE(onScreen());

    auto* body = viewer->findChild<QScrollArea*>(QStringLiteral("viewerBody"));
    ASSERT_NE(body, nullptr);
    const QRect view(body->viewport()->mapToGlobal(QPoint(0, 0)), body->viewport()->size());
    ASSERT_TRUE(available.contains(view));
    const auto inView = [&view](const QWidget* part) {
        return part->isVisible() &&
               view.contains(QRect(part->mapToGlobal(QPoint(0, 0)), part->size()));
    };
    QTabWidget& sheets = viewer->sheets();
    ASSERT_TRUE(sheets.isVisible());
    EXPECT_EQ(sheets.currentIndex(), 0);
    EXPECT_TRUE(inView(&viewer->summaryView()));
    EXPECT_TRUE(inView(&viewer->alarmList()));
    EXPECT_TRUE(inView(viewer->pane().frame(1)));
    EXPECT_TRUE(inView(&viewer->chart()));
    for (int page = 0; page < sheets.count(); ++page) {
        sheets.setCurrentIndex(page);
        test::settle();
        EXPECT_FALSE(body->verticalScrollBar()->isVisible()) << "page " << page;
        EXPECT_FALSE(body->horizontalScrollBar()->isVisible()) << "page " << page;
    }
    for (int frame : {2, 3, 4}) {
        QWidget* shown = viewer->pane().frame(frame);
        sheets.setCurrentIndex(sheets.indexOf(shown->parentWidget()));
        test::settle();
        EXPECT_TRUE(inView(shown)) << "Frame" << frame;
    }

    const int height = viewer->height();
    viewer->command(QStringLiteral("RangeCursors"))->trigger();
    test::settle();
    EXPECT_EQ(viewer->height(), height);
    EXPECT_TRUE(onScreen());
    viewer->close();
}

}  // namespace
}  // namespace cellwatch::windowtest
