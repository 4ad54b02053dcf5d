// A charger of two channels in the real window, its second channel shown:
// the cursors, the cells pane, the summary, the exports and each channel's
// pack read that channel, and follow the choice back to the first.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <cmath>
#include <string>

#include "analysis/range_stats.h"
#include "app/alarm_band.h"
#include "app/channel_card.h"
#include "app/channel_choice.h"
#include "app/channel_strip.h"
#include "app/pack_dialog.h"
#include "app/range_panel.h"
#include "app/recording_pane.h"
#include "app/summary_view.h"
#include "app/summary_window.h"
#include "app/tab_control.h"
#include "chart/cell_pane.h"
#include "chart/chart_export.h"
#include "chart/range_cursors.h"
#include "readout/pack_file.h"
#include "readout/readout_view.h"
#include "readout/recording_file.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class ChannelViewsTest : public WindowTest {
protected:
    // Channel 1: two rows at 11.1 and 11.2 V; channel 2: four rows at 7.4
    // to 7.7 V, its cells at 4.10 V; channel 2 shown.
    void openPairOnSecond() {
        openPair(true);
        feed("1,11.10,1.50,10\n2,7.40,0.80,5,4.10\n");
        feed("1,11.20,1.50,20\n2,7.50,0.80,6,4.10\n");
        feed("2,7.60,0.80,7,4.10\n");
        feed("2,7.70,0.80,8,4.10\n");
        choose(2);
    }
    void choose(int channel) {
        QTest::mouseClick(w->channels().strip().card(channel - 1), Qt::LeftButton);
        test::settle();
    }
    // The chart's pixel of point `point` (0 = the first row).
    int pixelOf(std::size_t point) const {
        return static_cast<int>(
            std::ceil(w->chart()
                          .axis(ChartAxis::Bottom)
                          ->coordToPixel(w->chart().pointX(kSeriesVoltage, point))));
    }
    QString readoutText(int index) const { return w->readout(index)->text().trimmed(); }
    QStringList exported() {
        const QString file = dir.filePath(QStringLiteral("shown.csv"));
        w->exportTableTo(file);
        return QString::fromUtf8(readAll(file)).split(u'\n', Qt::SkipEmptyParts);
    }
    QString offered;  // the pack a dialog offered
};

// The cross line reads the row under it from the channel shown.
TEST_F(ChannelViewsTest, CrossLineReadsTheShownChannel) {
    openPairOnSecond();
    w->pane().setCrossLine(true);
    struct Case {
        std::size_t point;
        const char* volts;
    };
    for (const Case& c : {Case{1, "7.50"}, Case{2, "7.60"}, Case{0, "7.40"}}) {
        w->pane().followMouse(pixelOf(c.point));
        EXPECT_EQ(readoutText(readouts::kVoltage), QString::fromLatin1(c.volts)) << c.point;
    }
    w->pane().showMoment(4);  // the last row, which channel 1 lacks
    EXPECT_EQ(readoutText(readouts::kVoltage), QStringLiteral("7.70"));
}

// The range cursors keep their times across a switch and give the figures
// (the cells' too) of the channel shown.
TEST_F(ChannelViewsTest, RangeCursorsAndCellsReadTheShownChannel) {
    openPairOnSecond();
    click("View1", "CellCurves");
    ASSERT_TRUE(w->pane().cellCurves());
    EXPECT_EQ(w->pane().cellPane().curves().size(), 4u);
    click("View1", "RangeCursors");
    RangeCursors& cursors = w->range().cursors();
    cursors.setX(RangeCursors::A, w->chart().pointX(kSeriesVoltage, 0));
    cursors.setX(RangeCursors::B, w->chart().pointX(kSeriesVoltage, 3));
    test::settle();
    ASSERT_TRUE(w->range().statistics());
    EXPECT_EQ(w->range().statistics()->rowB, 3u);
    EXPECT_EQ(w->rangePanel().valueText(0, RangeQuantity::Voltage, RangeFigure::AtB),
              QStringLiteral("7.70"));
    ASSERT_EQ(w->rangePanel().cellSpans().size(), 3u);
    EXPECT_NEAR(w->rangePanel().cellSpans()[0].end, 4.10, 1e-6);

    // A row of the channel shown comes into the cells pane; one of the other
    // channel does not.
    feed("2,7.80,0.80,9,4.10\n1,11.30,1.50,30\n");
    EXPECT_EQ(w->pane().cellPane().curves().size(), 5u);

    const QString file = dir.filePath(QStringLiteral("range.csv"));
    w->chartCommands().exportRange(file);
    EXPECT_TRUE(QString::fromUtf8(readAll(file)).contains(QStringLiteral("7.7")));

    choose(1);  // the cursors stay where they stood, over channel 1's rows
    ASSERT_TRUE(w->range().active());
    EXPECT_EQ(w->rangePanel().valueText(0, RangeQuantity::Voltage, RangeFigure::AtA),
              QStringLiteral("11.10"));
    EXPECT_EQ(w->pane().cellPane().curves().size(), 3u);
    EXPECT_NEAR(w->rangePanel().cellSpans()[0].end, 3.80, 1e-6);
}

// The summary, Export, Copy and the caption of Save and Print tell of the
// channel shown.
TEST_F(ChannelViewsTest, SummaryExportCopyAndCaptionTellOfTheShownChannel) {
    openPairOnSecond();
    click("View1", "Summary");
    ASSERT_NE(w->summaryWindow(), nullptr);
    struct Case {
        int channel;
        std::int64_t rows;
        const char* lastVolts;
        const char* capacity;
    };
    for (const Case& c :
         {Case{2, 4, "7.7", "Capacity 8 mAh"}, Case{1, 2, "11.2", "Capacity 20 mAh"},
          Case{2, 4, "7.7", "Capacity 8 mAh"}}) {
        choose(c.channel);
        EXPECT_EQ(w->summaryWindow()->view().summary().rows, c.rows) << c.channel;
        EXPECT_EQ(w->liveSummary().rows, c.rows) << c.channel;
        const QStringList lines = exported();
        ASSERT_EQ(lines.size(), c.rows + 1) << c.channel;
        EXPECT_TRUE(lines.back().contains(QString::fromLatin1(c.lastVolts))) << c.channel;
        EXPECT_TRUE(w->chartCommands().pictureLook().caption.join(u'\n').contains(
            QString::fromLatin1(c.capacity)))
            << c.channel;
        w->tabs().setCurrentPage(1);
        w->chartCommands().copy();
        const QStringList copied =
            QGuiApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(copied.size(), c.rows + 1) << c.channel;
        w->tabs().setCurrentPage(0);
    }
    // Rows that come go to the summary of their own channel only.
    feed("1,11.30,1.50,30\n2,7.80,0.80,9\n2,7.90,0.80,10\n");
    EXPECT_EQ(w->liveSummary().rows, 6);
    choose(1);
    EXPECT_EQ(w->liveSummary().rows, 3);
}

// Each channel's journals are filed under its own pack, chosen while it
// shows; the pack of channel 1 is the one-channel pack.
TEST_F(ChannelViewsTest, EachChannelHasItsOwnPack) {
    openPairOnSecond();
    QStringList titles;
    const auto answer = [this, &titles](const QString& name) {
        onDialog = [name, &titles](QDialog& dialog) {
            titles << dialog.windowTitle();
            auto& asked = dynamic_cast<PackDialog&>(dialog);
            asked.nameBox().setEditText(name);
            asked.accept();
        };
    };
    answer(QStringLiteral("Second"));
    click("View1", "Pack");
    choose(1);
    answer(QStringLiteral("First"));
    click("View1", "Pack");
    ASSERT_EQ(titles.size(), 2);
    EXPECT_TRUE(titles[0].endsWith(QStringLiteral("Channel 2"))) << titles[0].toStdString();
    EXPECT_TRUE(titles[1].endsWith(QStringLiteral("Channel 1"))) << titles[1].toStdString();

    struct Case {
        int channel;
        const char* pack;
    };
    for (const Case& c : {Case{1, "First"}, Case{2, "Second"}}) {
        const Journal* journal = w->session().journal(c.channel);
        ASSERT_NE(journal, nullptr) << c.channel;
        EXPECT_EQ(readPackInfo(journal->path()).pack, QString::fromLatin1(c.pack)) << c.channel;
        choose(c.channel);
        EXPECT_EQ(w->chartCommands().pictureLook().caption.join(u'\n').contains(
                      QStringLiteral("Pack ") + QString::fromLatin1(c.pack)),
                  true)
            << c.channel;
    }
    // Channel 1's choice is the one a charger of one channel has.
    open();
    onDialog = [this](QDialog& dialog) {
        offered = dynamic_cast<PackDialog&>(dialog).info().pack;
        EXPECT_FALSE(dialog.windowTitle().contains(QStringLiteral("Channel")));
        dialog.reject();
    };
    click("View1", "Pack");
    EXPECT_EQ(offered, QStringLiteral("First"));
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

// A channel's pack limits its own cells only: a tight pack on channel 2
// alarms there, while channel 1 (no pack) takes the same cells.
TEST_F(ChannelViewsTest, AChannelsPackLimitsItsOwnCells) {
    openPairOnSecond();
    onDialog = [](QDialog& dialog) {
        auto& asked = dynamic_cast<PackDialog&>(dialog);
        PackInfo tight;
        tight.pack = QStringLiteral("Tight");
        tight.chemistry = PackChemistry::LiPo;
        tight.cells = 3;
        tight.cellHighV = 4.05;
        asked.setInfo(tight);
        asked.accept();
    };
    click("View1", "Pack");
    feed("1,11.40,1.50,30,4.10\n2,7.80,0.80,9,4.10\n");
    EXPECT_FALSE(w->channels().strip().card(0)->alarmed());
    EXPECT_TRUE(w->channels().strip().card(1)->alarmed());
    const QStringList raised = w->alarms().band().raisedAlarms();
    ASSERT_EQ(raised.size(), 1);
    EXPECT_TRUE(raised.front().startsWith(QStringLiteral("channel 2: ")))
        << raised.front().toStdString();
}

// A charger that reports no external temperature leaves its legend value
// blank, live and for a row shown again.
TEST_F(ChannelViewsTest, UnreportedExternalTemperatureLeavesTheLegendBlank) {
    openPairOnSecond();
    EXPECT_EQ(readoutText(readouts::kLegendExternal), QString());
    EXPECT_EQ(readoutText(readouts::kLegendVoltage), QStringLiteral("7.70"));
    feed("2,7.80,0.80,9\n");
    EXPECT_EQ(readoutText(readouts::kLegendExternal), QString());
    feed("idle,2\n");
    EXPECT_EQ(readoutText(readouts::kLegendExternal), QString());
}

// A charger that reports each cell's resistance: the live summary shows the
// shown channel's beside the estimate, and each channel's journal keeps the
// charge's median when the recording ends, after its last row.
TEST_F(ChannelViewsTest, TheChargersCellResistanceShowsInTheSummaryAndStaysInTheJournal) {
    openPair(true);
    feed("1,11.10,1.50,10,4.10,3.5\n2,7.40,0.80,5,4.10,6\n");
    feed("1,11.20,1.50,20,4.10,3.7\n2,7.50,0.80,6,4.10,6.2\n");
    feed("1,11.20,1.50,30,4.10,3.6\n");
    click("View1", "Summary");
    ASSERT_NE(w->summaryWindow(), nullptr);
    const SummaryView& view = w->summaryWindow()->view();
    const QString key = QStringLiteral("charger resistance");
    EXPECT_EQ(view.value(key), QStringLiteral("cells 3.6, 3.6, 3.6 mΩ"));
    choose(2);
    EXPECT_EQ(view.value(key), QStringLiteral("cells 6.2, 6.2, 6.2 mΩ"));

    const QString journals[] = {w->session().journal(1)->path(), w->session().journal(2)->path()};
    disconnect();
    const struct {
        std::size_t rows;
        std::vector<double> cells;
    } want[] = {{3, {3.6, 3.6, 3.6}}, {2, {6, 6, 6}}};  // the lower median of each
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k + 1);
        RecordingFile file;
        ASSERT_TRUE(file.read(journals[k]));
        ASSERT_EQ(file.resistanceNotes().size(), 1u);
        EXPECT_EQ(file.resistanceNotes()[0].afterRows, want[k].rows);
        EXPECT_EQ(file.resistanceNotes()[0].cellMilliohms, want[k].cells);
    }
}

// A charger with words of its own and cells of three decimals (as an
// iCharger's): its charging rows, kept whole or as texts, are one charge in
// the summary, as the driver mapped them.
TEST_F(ChannelViewsTest, AnotherMakersChargingRowsAreOneChargePhase) {
    open();
    w->session().setJournalReplays(true);
    w->session().setCharger(testing::pairDriverEntry());
    w->beginReplay(QStringLiteral("pair.cwcap"));
    test::settle();
    for (const char* cell : {"3.70", "3.71", "3.715", "3.725"}) {
        feed(std::string("1,11.10,1.50,10,") + cell + ",,charge\n");
    }
    click("View1", "Summary");
    ASSERT_NE(w->summaryWindow(), nullptr);
    const SummaryView& view = w->summaryWindow()->view();
    EXPECT_TRUE(view.value(QStringLiteral("phase 1")).startsWith(QStringLiteral("charge from")))
        << view.value(QStringLiteral("phase 1")).toStdString();
    EXPECT_EQ(view.value(QStringLiteral("phase 2")), QString());
}

}  // namespace
}  // namespace cellwatch::windowtest
