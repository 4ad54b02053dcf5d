// A charger of two channels in the real window: the strip of cards above
// the chart, a card's click choosing what the table and chart show, the
// other channels drawn over the chart, and the alarms naming their channel.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <string>

#include "app/alarm_band.h"
#include "app/channel_card.h"
#include "app/channel_choice.h"
#include "app/channel_strip.h"
#include "chart/channel_overlays.h"
#include "chart/envelope_graph.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class ChannelsWindowTest : public WindowTest {
protected:
    ChannelStrip& strip() const { return w->channels().strip(); }
    QAbstractItemModel& shown() const { return *w->tableView().model(); }
    QString shownVoltage(int row) const {
        return shown().data(shown().index(row, kFieldVoltage + 1)).toString();
    }
    // The points of the first overlay's voltage.
    std::size_t overlayPoints() const {
        return dynamic_cast<EnvelopeGraph&>(*w->channels().overlays().graph(0, 0)).points().size();
    }
    void clickCard(int fromZero) const {
        QTest::mouseClick(strip().card(fromZero), Qt::LeftButton);
        test::settle();
    }
};

TEST_F(ChannelsWindowTest, OneChannelShowsNoStripAndKeepsTheTablesOwnModel) {
    open();
    EXPECT_FALSE(strip().isVisible());
    EXPECT_EQ(w->tableView().model(), &w->table());
    EXPECT_FALSE(w->channels().allChannelsAction()->isChecked());
}

// A click on a card shows that channel in the table, chart and readouts;
// the other channel's rows then go to its own table only.
TEST_F(ChannelsWindowTest, ACardsClickShowsItsChannelEverywhere) {
    openPair();
    ASSERT_TRUE(strip().isVisible());
    ASSERT_EQ(strip().count(), 2);
    EXPECT_EQ(strip().chosen(), 0);
    feed("1,11.10,1.50,10\n2,7.40,0.80,5\n");
    feed("1,11.20,1.50,20\n2,7.50,0.80,6\n");
    feed("2,7.60,0.80,7\n");
    ASSERT_EQ(shown().rowCount(), 2);
    EXPECT_EQ(shownVoltage(1), w->session().rows(1).gridText(2, kFieldVoltage + 1));

    clickCard(1);
    EXPECT_EQ(w->channels().chosen(), 2);
    EXPECT_EQ(strip().chosen(), 1);
    ASSERT_EQ(shown().rowCount(), 3);
    EXPECT_TRUE(shownVoltage(2).contains(QStringLiteral("7.6"))) << shownVoltage(2).toStdString();
    EXPECT_EQ(points(), 3u);
    EXPECT_DOUBLE_EQ(w->chart().pointY(kSeriesVoltage, 2), 7.6);

    struct Step {
        const char* lines;
        int tableRows;  // the table shows channel 2's
        std::size_t chartPoints;
    };
    const Step steps[] = {{"1,11.30,1.50,30\n", 3, 3}, {"2,7.70,0.80,8\n", 4, 4}};
    for (const Step& s : steps) {
        feed(s.lines);
        EXPECT_EQ(shown().rowCount(), s.tableRows) << s.lines;
        EXPECT_EQ(points(), s.chartPoints) << s.lines;
    }

    clickCard(0);
    EXPECT_EQ(shown().rowCount(), 3);  // channel 1's rows again, through its own model
    EXPECT_EQ(shownVoltage(0), w->session().rows(1).gridText(1, kFieldVoltage + 1));
    EXPECT_EQ(points(), 3u);
}

// A charger that turns out to have one channel while the second is shown:
// the window goes back to channel 1 and its own table, the strip hidden.
TEST_F(ChannelsWindowTest, ALostChannelWhileShownFallsBackToTheFirst) {
    openPair();
    w->channels().setAllChannels(true);
    feed("1,11.10,1.50,10\n2,7.40,0.80,5\n");
    clickCard(1);
    feed("n=1\n1,11.20,1.50,20\n");
    EXPECT_EQ(w->channels().chosen(), 1);
    EXPECT_FALSE(strip().isVisible());
    EXPECT_EQ(shown().rowCount(), 2);
    EXPECT_EQ(points(), 2u);
    EXPECT_EQ(w->channels().overlays().count(), 0);
    feed("n=2\n2,7.50,0.80,6\n");
    EXPECT_EQ(strip().count(), 2);
    EXPECT_EQ(w->channels().overlays().count(), 1);
    EXPECT_EQ(shown().rowCount(), 2);
}

// View > All channels draws the channels not shown over the chart, follows
// their rows and the channel chosen, and is kept for the next start.
TEST_F(ChannelsWindowTest, AllChannelsOverlaysTheOthersAndIsKept) {
    openPair();
    feed("1,11.10,1.50,10\n2,7.40,0.80,5\n");
    feed("1,11.20,1.50,20\n2,7.50,0.80,6\n");
    QAction* all = w->channels().allChannelsAction();
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->text(), QStringLiteral("All channels"));
    all->trigger();
    ChannelOverlays& overlays = w->channels().overlays();
    ASSERT_EQ(overlays.count(), 1);
    EXPECT_EQ(overlays.number(0), 2);
    EXPECT_EQ(overlayPoints(), 2);
    feed("2,7.60,0.80,7\n");
    EXPECT_EQ(overlayPoints(), 3);

    clickCard(1);
    ASSERT_EQ(overlays.count(), 1);
    EXPECT_EQ(overlays.number(0), 1);
    EXPECT_EQ(overlayPoints(), 2);

    all->trigger();
    EXPECT_EQ(overlays.count(), 0);
    all->trigger();
    openPair();  // a new start: the choice kept
    EXPECT_TRUE(w->channels().allChannelsAction()->isChecked());
    feed("1,11.10,1.50,10\n2,7.40,0.80,5\n");
    EXPECT_EQ(w->channels().overlays().count(), 1);
}

// An alarm names its channel in the band, in either language, and marks
// that channel's card until acknowledged; a lost line is told once.
TEST_F(ChannelsWindowTest, AnAlarmNamesItsChannelAndMarksItsCard) {
    struct Case {
        const char* language;
        const char* prefix;
    };
    for (const Case& c : {Case{"ENG", "channel 2: "}, Case{"CHT", "通道 2："}}) {
        openPair(false, QString::fromLatin1(c.language));
        feed("1,11.10,1.50,10\n2,7.40,0.80,5\n");
        feed("1,11.20,1.50,20\n2,7.50,0.80,6,4.40\n");  // channel 2's cells too high
        const QStringList listed = w->alarms().band().raisedAlarms();
        ASSERT_EQ(listed.size(), 1) << c.language;
        EXPECT_TRUE(listed.front().startsWith(QString::fromUtf8(c.prefix)))
            << listed.front().toStdString();
        EXPECT_FALSE(strip().card(0)->alarmed());
        EXPECT_TRUE(strip().card(1)->alarmed());
        w->alarms().band().acknowledgeButton()->click();
        EXPECT_FALSE(strip().card(1)->alarmed());
        w->session().sourceEvents().lost(QStringLiteral("gone"));
        test::settle();
        EXPECT_EQ(w->alarms().band().raisedAlarms().size(), 1) << c.language;
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
