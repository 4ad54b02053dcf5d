// A recording's window beside its summary: the list of the alarms it kept
// (a chosen one moves the cross line and the readouts there), and the
// phases, efficiency and resistance under the summary, in the viewer and in
// the live Summary window, of recordings whose figures are known by
// construction.
#include <qcustomplot.h>
#include <QAction>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

#include "analysis/summary_format.h"
#include "app/alarm_list.h"
#include "app/alarm_settings_dialog.h"
#include "app/language.h"
#include "app/live_summary.h"
#include "app/recording_pane.h"
#include "app/summary_view.h"
#include "app/summary_window.h"
#include "chart/chart_zoom.h"
#include "tests/support/installed_language.h"
#include "tests/support/journal_text.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

struct KeptAlarm {
    int afterSecond;  // the row it follows
    const char* kind;
    const char* text;
    const char* chinese;  // as the window shows it in Chinese
};

// In the order of the file.
const KeptAlarm kKept[] = {
    {600, "cell-high", "Cell 2 at 4.26 V (limit 4.25 V)", "电芯 2 为 4.26 V（上限 4.25 V）"},
    {1830, "temperature", "External temperature 46 °C (limit 45 °C)",
     "外部温度 46 °C（上限 45 °C）"},
    {2500, "cell-low", "Cell 2 at 2.99 V (limit 3.00 V)", "电芯 2 为 2.99 V（下限 3.00 V）"},
};
// Their kinds as the Chinese list names them.
const char* const kChineseKinds[] = {"单节电压过高", "温度过高", "放电单节电压过低"};

// A row a second for 0:58:01: a charge at 12.00 V and +4.00 A for 0:30:00
// (the counter from 0 to 2000 mAh, 24 Wh), a rest at 11.50 V for 0:00:59,
// a discharge at 11.00 V and -4.00 A for 0:27:00 (the counter from 0 again
// to 1800 mAh, 19.8 Wh). Each step of the current, 4 A, moves the pack by
// 0.50 V and cell 2 by 0.10 V: 125 mΩ and 25 mΩ; cells 1 and 3 stay put.
QByteArray chargeRestDischarge(bool alarms) {
    QByteArray bytes = testing::journalText(QStringLiteral("2026-12-07T09:00:00+01:00"));
    const auto keep = [&](int second) {
        for (const KeptAlarm& a : kKept) {
            if (alarms && a.afterSecond == second) {
                bytes += QByteArray("# alarm ") + a.kind + ": " + a.text + "\r\n";
            }
        }
    };
    for (int t = 0; t <= 1800; ++t) {
        bytes += testing::journalRow({t, "+CHG+", 12.0, 4.0, std::lround(4000.0 * t / 3600), 4.20});
        keep(t);
    }
    for (int t = 1801; t <= 1860; ++t) {
        bytes += testing::journalRow({t, "IDLE", 11.5, 0.0, 2000, 4.10});
        keep(t);
    }
    for (int t = 1861; t <= 3481; ++t) {
        bytes += testing::journalRow(
            {t, "-DSC-", 11.0, -4.0, std::lround(4000.0 * (t - 1861) / 3600), 4.00});
        keep(t);
    }
    return bytes;
}

class ViewerAlarmsTest : public WindowTest {
protected:
    // Whatever a test chose, the next starts in English.
    void TearDown() override { installLanguage(Language::English); }

    // Opens the journal with `language` chosen, as the program has it
    // installed from its start on.
    ViewerWindow& openJournal(bool alarms, const char* language = "ENG") {
        writeLanguageCode(*store, QString::fromLatin1(language));
        viewer.reset();
        test::InstalledLanguage::install(languageOf(QString::fromLatin1(language)));
        viewer = std::make_unique<ViewerWindow>(startSettings(), hooks(), ticks, wall);
        viewer->show();
        const QString path = testing::writeFile(dir.filePath(QStringLiteral("cycle.csv")),
                                                chargeRestDischarge(alarms));
        EXPECT_TRUE(viewer->open(path));
        viewer->chart().plot()->replot();
        return *viewer;
    }

    QTableWidget& list() const { return viewer->alarmList().table(); }
    QString cell(int line, int column) const {
        const QTableWidgetItem* item = list().item(line, column);
        return item ? item->text() : QString();
    }
    void clickLine(int line) const {
        QTableWidgetItem* item = list().item(line, 0);
        ASSERT_NE(item, nullptr);
        list().scrollToItem(item);
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().visualItemRect(item).center());
    }
    // The pixel column of the chart's cross, if it shows.
    std::optional<double> crossPixel() const {
        QCustomPlot* plot = viewer->chart().plot();
        for (int i = 0; i < plot->itemCount(); ++i) {
            auto* line = qobject_cast<QCPItemStraightLine*>(plot->item(i));
            if (line && line->visible() && line->point1->type() == QCPItemPosition::ptAbsolute &&
                line->point1->coords().x() == line->point2->coords().x()) {
                return line->point1->pixelPosition().x();
            }
        }
        return std::nullopt;
    }
    double pixelOfSecond(double seconds) const {
        return viewer->chart().axis(ChartAxis::Bottom)->coordToPixel(seconds * kSecond);
    }

    std::unique_ptr<ViewerWindow> viewer;
    const test::InstalledLanguage english_{Language::English};  // again after each test
};

// A recording without alarms says so, and choosing that line does nothing.
TEST_F(ViewerAlarmsTest, TheListHasEachKeptAlarmInOrderInEitherLanguage) {
    for (const bool chinese : {false, true}) {
        SCOPED_TRACE(chinese);
        openJournal(false, chinese ? "CHT" : "ENG");
        ASSERT_EQ(list().rowCount(), 1);
        EXPECT_EQ(cell(0, 0), QString::fromUtf8(chinese ? "无报警" : "No alarms"));
        clickLine(0);
        EXPECT_FALSE(viewer->pane().crossLine());

        openJournal(true, chinese ? "CHT" : "ENG");
        ASSERT_EQ(list().rowCount(), 3);
        EXPECT_EQ(list().horizontalHeaderItem(0)->text(),
                  QString::fromUtf8(chinese ? "时间" : "Time"));
        const char* times[] = {"0:10:00", "0:30:30", "0:41:40"};
        for (int line = 0; line < 3; ++line) {
            const KeptAlarm& kept = kKept[line];
            const QString english = QString::fromUtf8(kept.text);
            const QString chineseText = QString::fromUtf8(kept.chinese);
            EXPECT_EQ(cell(line, 0), QString::fromLatin1(times[line]));
            EXPECT_EQ(cell(line, 1), chinese ? QString::fromUtf8(kChineseKinds[line])
                                             : QString::fromLatin1(kept.kind));
            EXPECT_EQ(cell(line, 2), chinese ? chineseText : english);
        }
    }
    // The open viewer follows a switch of language.
    settings->setLanguageCode(QStringLiteral("ENG"));
    test::InstalledLanguage::install(Language::English);
    EXPECT_EQ(cell(2, 2), QString::fromUtf8(kKept[2].text));
    EXPECT_EQ(cell(2, 1), QStringLiteral("cell-low"));
}

TEST_F(ViewerAlarmsTest, ChoosingAnAlarmHoldsTheCrossLineAndReadoutsOnItsRow) {
    openJournal(true);
    ASSERT_FALSE(viewer->pane().crossLine());
    // Each alarm follows the row of its second: grid row second + 1. The
    // last is chosen with Return; the first with the view zoomed away from
    // it, which brings it into view.
    struct Choice {
        int line;
        bool byReturn;
        bool zoomedAway;
    };
    for (const Choice& c :
         {Choice{1, false, false}, Choice{2, true, false}, Choice{0, false, true}}) {
        SCOPED_TRACE(c.line);
        const int second = kKept[c.line].afterSecond;
        if (c.zoomedAway) {
            viewer->pane().zoom().zoomTime(0.05, 3000 * kSecond);
            ASSERT_FALSE(
                viewer->chart().axis(ChartAxis::Bottom)->range().contains(second * kSecond));
        }
        if (c.byReturn) {
            list().setCurrentCell(c.line, 0);
            QTest::keyClick(&list(), Qt::Key_Return);
        } else {
            clickLine(c.line);
        }
        EXPECT_TRUE(viewer->pane().crossLine());
        EXPECT_TRUE(viewer->command(QStringLiteral("CrossLine"))->isChecked());
        EXPECT_TRUE(viewer->cursorHold());
        const int row = second + 1;
        EXPECT_EQ(viewer->readout(readouts::kElapsed)->text(), durationText(second));
        EXPECT_EQ(viewer->readout(readouts::kElapsed)->text(), viewer->table().gridText(row, 1));
        EXPECT_EQ(viewer->readout(readouts::kVoltage)->text(),
                  viewer->table().gridText(row, kVoltageColumn));
        ASSERT_TRUE(viewer->chart().axis(ChartAxis::Bottom)->range().contains(second * kSecond));
        const auto cross = crossPixel();
        ASSERT_TRUE(cross.has_value());
        EXPECT_NEAR(*cross, pixelOfSecond(second), 1.0);
    }
    // The voltage readout of the charge (12.00 V), the rest (11.50 V) and
    // the discharge (11.00 V) differ: the rows are not confused.
    clickLine(1);
    const QString rest = viewer->readout(readouts::kVoltage)->text();
    clickLine(2);
    EXPECT_NE(viewer->readout(readouts::kVoltage)->text(), rest);
}

struct PhaseTexts {
    const char* language;
    const char* kind;
    const char* charge;
    const char* rest;
    const char* discharge;
    const char* efficiency;
    const char* resistance;
};

TEST_F(ViewerAlarmsTest, TheSummaryGivesEachPhaseTheEfficiencyAndTheResistance) {
    const PhaseTexts cases[] = {
        {"ENG", "mixed",
         "charge from 0:00:00 for 0:30:00, 2000 mAh, 24.000 Wh, mean +4.00 A, largest +4.00 A",
         "rest from 0:30:01 for 0:00:59, 0 mAh, 0.000 Wh, mean 0.00 A, largest 0.00 A",
         "discharge from 0:31:01 for 0:27:00, 1800 mAh, 19.800 Wh, mean -4.00 A, largest -4.00 A",
         "82.5 % of the energy, 90.0 % of the capacity",
         "125.0 ± 2.8 mΩ, the median of 2 steps; cells ?, 25 ± 3, ? mΩ"},
        {"CHT", "混合",
         "充电，自 0:00:00 起，历时 0:30:00，2000 mAh，24.000 Wh，平均 +4.00 A，最大 +4.00 A",
         "静置，自 0:30:01 起，历时 0:00:59，0 mAh，0.000 Wh，平均 0.00 A，最大 0.00 A",
         "放电，自 0:31:01 起，历时 0:27:00，1800 mAh，19.800 Wh，平均 -4.00 A，最大 -4.00 A",
         "能量的 82.5 %，容量的 90.0 %",
         "125.0 ± 2.8 mΩ（2 次阶跃的中位数）；电芯 ?、25 ± 3、? mΩ"},
    };
    for (const PhaseTexts& c : cases) {
        SCOPED_TRACE(c.language);
        const SummaryView& summary = openJournal(true, c.language).summaryView();
        // The whole-recording lines stay as they were.
        EXPECT_EQ(summary.value(QStringLiteral("kind")), QString::fromUtf8(c.kind));
        EXPECT_EQ(summary.value(QStringLiteral("rows")), QStringLiteral("3482"));
        EXPECT_EQ(summary.value(QStringLiteral("phase 1")), QString::fromUtf8(c.charge));
        EXPECT_EQ(summary.value(QStringLiteral("phase 2")), QString::fromUtf8(c.rest));
        EXPECT_EQ(summary.value(QStringLiteral("phase 3")), QString::fromUtf8(c.discharge));
        EXPECT_EQ(summary.value(QStringLiteral("phase 4")), QString());
        EXPECT_EQ(summary.value(QStringLiteral("efficiency")), QString::fromUtf8(c.efficiency));
        EXPECT_EQ(summary.value(QStringLiteral("resistance")), QString::fromUtf8(c.resistance));
        // On screen, as the labels show them.
        const auto* shown = summary.findChild<QLabel*>(QStringLiteral("summary_efficiency"));
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->text(), QString::fromUtf8(c.efficiency));
    }
}

// The live Summary window: four rows of a charge at 12.00 V and +2.00 A
// (the counter 0 to 300 mAh, 0.020 Wh over 3 s), then four of a discharge
// at 11.00 V and -2.00 A (0 to 180 mAh, 0.018 Wh). The step of 4 A moves
// the pack by 1.00 V and each cell by 0.10 V: 250 mΩ and 25 mΩ.
emu::ChargerReading chargeThenDischarge(int k) {
    emu::ChargerReading r = charging(k);
    const bool charge = k <= 4;
    r.mode = charge ? emu::Mode::Charge : emu::Mode::Discharge;
    r.voltage = Decimal::fromHundredths(charge ? 1200 : 1100);
    r.current = Decimal::fromHundredths(charge ? 200 : -200);
    r.capacity = Decimal::fromInt(charge ? 100 * (k - 1) : 60 * (k - 5));
    for (std::size_t cell = 0; cell < 3; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(charge ? 400 : 390);
    }
    return r;
}

TEST_F(ViewerAlarmsTest, TheLiveSummaryCutsPhasesAsRowsComeAndFindsTheResistanceAtMostOnceASecond) {
    openConnected();
    click("View1", "Summary");
    SummaryWindow* window = w->summaryWindow();
    ASSERT_NE(window, nullptr);
    auto* live = w->findChild<LiveSummary*>();
    ASSERT_NE(live, nullptr);
    live->resistanceTimer().hold();
    const SummaryView& view = window->view();

    recordRows(1, 8, chargeThenDischarge);
    ASSERT_EQ(rows(), 8);
    EXPECT_TRUE(view.value(QStringLiteral("phase 1"))
                    .endsWith(QStringLiteral("for 0:00:03, 300 mAh, 0.020 Wh, mean +2.00 A, "
                                             "largest +2.00 A")))
        << view.value(QStringLiteral("phase 1")).toStdString();
    EXPECT_TRUE(view.value(QStringLiteral("phase 2"))
                    .endsWith(QStringLiteral("for 0:00:03, 180 mAh, 0.018 Wh, mean -2.00 A, "
                                             "largest -2.00 A")))
        << view.value(QStringLiteral("phase 2")).toStdString();
    EXPECT_EQ(view.value(QStringLiteral("efficiency")),
              QStringLiteral("91.7 % of the energy, 60.0 % of the capacity"));

    // The resistance waits for its timer, which the rows started.
    EXPECT_EQ(view.value(QStringLiteral("resistance")), QString());
    ASSERT_TRUE(live->resistanceTimer().isActive());
    ASSERT_TRUE(live->resistanceTimer().step());
    EXPECT_EQ(view.value(QStringLiteral("resistance")),
              QString::fromUtf8("250.0 ± 3.1 mΩ, from 1 step; cells 25 ± 3, 25 ± 3, 25 ± 3 mΩ"));

    // A new recording starts them again.
    pause();
    EXPECT_EQ(view.value(QStringLiteral("phase 1")), QString());
    EXPECT_EQ(view.value(QStringLiteral("resistance")), QString());
    EXPECT_EQ(view.value(QStringLiteral("efficiency")), QString());
}

// The lines under a summary from phases and estimates made by hand: the
// median and its uncertainty, cells shown, uncertain or absent, estimates
// none of which is to be shown, the counter's notes and a long list of
// phases cut short.
ResistanceEstimate estimate(double ohms, double uncertainty, std::vector<int> shownCells,
                            std::vector<int> uncertainCells) {
    ResistanceEstimate e;
    e.ohms = ohms;
    e.uncertaintyOhms = uncertainty;
    e.shown = uncertainty / ohms <= 0.25;
    for (const int c : shownCells) {
        e.cells[static_cast<std::size_t>(c)] = {true, ohms / 4, uncertainty / 4, true};
    }
    for (const int c : uncertainCells) {
        e.cells[static_cast<std::size_t>(c)] = {true, ohms / 4, ohms / 2, false};
    }
    return e;
}

TEST(SummaryAnalysisLines, SayWhatTheEstimatesAndPhasesAllowInEitherLanguage) {
    struct Case {
        const char* name;
        std::vector<ResistanceEstimate> estimates;
        const char* english;
        const char* chinese;
    };
    const Case cases[] = {
        {"none", {}, "", ""},
        {"none to be shown",
         {estimate(0.1, 0.05, {}, {}), estimate(0.1, 0.03, {}, {})},
         "uncertain (2 steps, none within 25 %)",
         "不确定（2 次阶跃，无一在 25 % 以内）"},
        // The median of 0.100, 0.120 and 0.200 (0.400 is over 25 % uncertain
        // and left out); its uncertainty the median of 5, 6 and 30 mΩ. Cell 1
        // is shown in one estimate, cell 2 in none, cell 3 is absent.
        {"median",
         {estimate(0.1, 0.005, {0}, {1, 3}), estimate(0.2, 0.03, {}, {1, 3}),
          estimate(0.12, 0.006, {}, {1, 3}), estimate(0.4, 0.2, {}, {1})},
         "120.0 ± 6.0 mΩ, the median of 3 steps; cells 25 ± 1, ?, -, ? mΩ",
         "120.0 ± 6.0 mΩ（3 次阶跃的中位数）；电芯 25 ± 1、?、-、? mΩ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool chinese : {false, true}) {
            const test::InstalledLanguage installed(chinese ? Language::Chinese
                                                            : Language::English);
            std::vector<SummaryLine> lines = analysisLines({}, c.estimates);
            const QString expected = QString::fromUtf8(chinese ? c.chinese : c.english);
            ASSERT_EQ(lines.size(), expected.isEmpty() ? 0U : 1U);
            if (!expected.isEmpty()) {
                EXPECT_EQ(lines[0].key, QStringLiteral("resistance"));
                EXPECT_EQ(lines[0].value, expected);
            }
        }
    }

    // Fourteen phases: twelve shown, the first with its counter's restart.
    RecordingPhases phases;
    for (int k = 0; k < 14; ++k) {
        Phase p;
        p.kind = k % 2 == 0 ? RowState::Charge : RowState::Discharge;
        p.capacityMah = 1000;
        p.counterRestarts = k == 0 ? 1 : 0;
        phases.phases.push_back(p);
    }
    const std::vector<SummaryLine> english = analysisLines(phases, {});
    ASSERT_EQ(english.size(), static_cast<std::size_t>(kShownPhases) + 1);
    EXPECT_TRUE(english[0].value.contains(QStringLiteral("1000 mAh (the counter restarted once)")));
    EXPECT_FALSE(english[1].value.contains(QStringLiteral("counter")));
    EXPECT_EQ(english.back().key, QStringLiteral("more phases"));
    EXPECT_EQ(english.back().value, QStringLiteral("2 more (cellwatch-report lists every one)"));
    const test::InstalledLanguage installed(Language::Chinese);
    const std::vector<SummaryLine> chinese = analysisLines(phases, {});
    EXPECT_TRUE(chinese[0].value.contains(QString::fromUtf8("1000 mAh（计数器重新开始了一次）")));
    EXPECT_EQ(chinese[0].name, QString::fromUtf8("阶段 1"));
}

// The charger's own resistance figures stand after the estimate, in either
// language; a reading without them takes the line away.
TEST(SummaryReportedResistance, FollowsTheEstimateInEitherLanguage) {
    Reading r;
    r.cellCount = 5;
    r.packResistance = Decimal::fromHundredths(2450);
    r.cellResistance[0] = Decimal::fromHundredths(120);
    r.cellResistance[2] = Decimal::fromHundredths(135);  // cell 2 without; 4 and 5 too
    r.cellResistance[6] = Decimal::fromHundredths(999);  // past the cell count
    SummaryView view;
    view.setResistance({estimate(0.1, 0.005, {}, {1, 3})});
    struct Case {
        bool chinese;
        const char* text;
    };
    for (const Case& c : {Case{false, "pack 24.5 mΩ; cells 1.2, -, 1.4 mΩ"},
                          Case{true, "电池组 24.5 mΩ；电芯 1.2、-、1.4 mΩ"}}) {
        const test::InstalledLanguage installed(c.chinese ? Language::Chinese : Language::English);
        view.setReportedResistance(reportedResistance(r));
        EXPECT_EQ(view.value(QStringLiteral("charger resistance")), QString::fromUtf8(c.text));
        const QStringList lines = view.text().split(u'\n');
        const auto at = [&](const char* start) {
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (lines[i].contains(QString::fromUtf8(start))) {
                    return i;
                }
            }
            return qsizetype(-1);
        };
        EXPECT_GT(at(c.text), at(c.chinese ? "内阻:" : "resistance:"));
    }
    installLanguage(Language::English);
    view.setReportedResistance(reportedResistance(Reading{}));
    EXPECT_TRUE(view.value(QStringLiteral("charger resistance")).isEmpty());
}

}  // namespace
}  // namespace cellwatch::windowtest
