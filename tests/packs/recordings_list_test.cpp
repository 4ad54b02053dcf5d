// The Recordings list through the real widgets: what a charge and a
// discharge in one recording came to, a recording left out of its pack, the
// pack's health read without holding up the window, and the pack chart's
// legend clear of its points. (Its columns on a real screen:
// tests/window/recordings_columns_test.cpp.)
#include <gtest/gtest.h>

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

#include "app/analysis_texts.h"
#include "app/recordings_dialog.h"
#include "app/recordings_rows.h"
#include "chart/pack_history_chart.h"
#include "packs/pack_health.h"
#include "packs/pack_health_job.h"
#include "readout/pack_file.h"
#include "tests/support/installed_language.h"
#include "tests/support/journal_text.h"

namespace cellwatch {
namespace {

// Generous: only a guard against what never comes.
constexpr int kListGuardMs = 120'000;

class RecordingsListTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    // A journal started on `day` of December 2026: a charge to `chargeMah`,
    // then (when `dischargeMah` > 0) a discharge to it, the charger's
    // counter starting again.
    QString journal(int day, long chargeMah, long dischargeMah, const QString& pack) const {
        const QString dd = QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
        const QString start = QStringLiteral("2026-12-%1T09:00:00+01:00").arg(dd);
        const QByteArray text =
            dischargeMah > 0 ? testing::journalText(start, {{1, "+CHG+", 12, 2, 0},
                                                            {3, "+CHG+", 12, 2, chargeMah},
                                                            {4, "-DSC-", 12, -2, 0},
                                                            {6, "-DSC-", 12, -2, dischargeMah}})
                             : testing::journalText(
                                   start, {{1, "+CHG+", 12, 2, 0}, {3, "+CHG+", 12, 2, chargeMah}});
        const QString path = testing::writeFile(
            dir.filePath(QStringLiteral("cellwatch-202612%1-090000.csv").arg(dd)), text);
        if (!pack.isEmpty()) {
            EXPECT_TRUE(writePackInfo(path, {pack, QString()}));
        }
        return path;
    }

    static void waitUntilRead(RecordingsDialog& d) {
        QSignalSpy finished(&d, &RecordingsDialog::readingFinished);
        while (d.reading()) {
            ASSERT_TRUE(finished.wait(kListGuardMs)) << "the reading never ended";
        }
    }

    static QStringList column(const RecordingsDialog& d, int c) {
        QStringList texts;
        for (int row = 0; row < d.list().rowCount(); ++row) {
            texts << d.list().item(row, c)->text();
        }
        return texts;
    }
};

// Charge / discharge mAh and the efficiency for recordings with both; the
// column sorts by the efficiency, not by its text.
TEST_F(RecordingsListTest, ChargeThenDischargeShowsBothFiguresAndSortsByEfficiency) {
    journal(1, 900, 810, {});    // 90 %
    journal(2, 1000, 1000, {});  // 100 %
    journal(3, 2000, 1900, {});  // 95 %
    journal(4, 1500, 0, {});     // a charge alone

    RecordingsDialog d(dir.path());
    waitUntilRead(d);
    const int c = RecordingsDialog::kPhasesColumn;
    EXPECT_EQ(column(d, c), (QStringList{QString(), QStringLiteral("2000 / 1900 mAh, 95 %"),
                                         QStringLiteral("1000 / 1000 mAh, 100 %"),
                                         QStringLiteral("900 / 810 mAh, 90 %")}));
    EXPECT_EQ(d.list().horizontalHeaderItem(c)->text(), QStringLiteral("Charge / discharge"));
    d.list().sortItems(c, Qt::AscendingOrder);
    EXPECT_EQ(column(d, c), (QStringList{QString(), QStringLiteral("900 / 810 mAh, 90 %"),
                                         QStringLiteral("2000 / 1900 mAh, 95 %"),
                                         QStringLiteral("1000 / 1000 mAh, 100 %")}));
    // The Wh figures go in its tooltip.
    EXPECT_TRUE(d.list().item(1, c)->toolTip().contains(QStringLiteral(" Wh, ")))
        << d.list().item(1, c)->toolTip().toStdString();
}

// A list open while the language changes says its headers, buttons and
// kinds again in the new one.
TEST_F(RecordingsListTest, AnOpenListFollowsASwitchOfLanguage) {
    journal(1, 900, 810, {});
    RecordingsDialog d(dir.path());
    waitUntilRead(d);
    // Its title and headers: PseudoTranslationTest; here what the rows say.
    const std::pair<Language, const char*> cases[] = {
        {Language::Chinese, "混合"}, {Language::German, "gemischt"}, {Language::English, "mixed"}};
    for (const auto& [language, kind] : cases) {
        SCOPED_TRACE(languageCode(language).toStdString());
        const test::InstalledLanguage installed(language);
        EXPECT_EQ(column(d, kKindCol), QStringList{QString::fromUtf8(kind)});
    }
}

// The readings of the pack's health, each held until let go: what a
// reading of the dialog's job would take as long as it likes to do.
class HeldHealth {
public:
    PackHealth read(const QString& folder, const QString& name) {
        std::shared_future<void> go;
        {
            std::lock_guard lock(mutex_);
            Reading& r = reading(started_++);
            r.started.set_value(QThread::currentThread());
            go = r.go.get_future().share();
        }
        go.wait();
        return packHealthOfFolder(folder, name);
    }
    // Waits for reading `n` (0 = the first) to start; its thread.
    QThread* started(std::size_t n) {
        std::future<QThread*> f;
        {
            std::lock_guard lock(mutex_);
            f = reading(n).started.get_future();
        }
        return f.get();
    }
    void release(std::size_t n) {
        std::lock_guard lock(mutex_);
        Reading& r = reading(n);
        r.released = true;
        r.go.set_value();
    }
    // A test that stops part-way lets every reading go (they read a folder
    // that still exists: the dialog goes first).
    ~HeldHealth() {
        for (std::size_t n = 0; n < readings_.size(); ++n) {
            if (!readings_[n]->released) {
                release(n);
            }
        }
    }
    HeldHealth() = default;
    HeldHealth(const HeldHealth&) = delete;
    HeldHealth& operator=(const HeldHealth&) = delete;

private:
    struct Reading {
        std::promise<QThread*> started;
        std::promise<void> go;
        bool released = false;
    };
    Reading& reading(std::size_t n) {
        while (readings_.size() <= n) {
            readings_.push_back(std::make_unique<Reading>());
        }
        return *readings_[n];
    }
    std::mutex mutex_;
    std::size_t started_ = 0;
    std::vector<std::unique_ptr<Reading>> readings_;
};

// Waits (in the event loop) until `thread` has ended, as the thread that
// made it hears of it.
bool waitForEnd(QThread* thread, const std::function<void()>& letGo) {
    QEventLoop loop;
    QObject here;
    bool ended = false;
    QObject::connect(thread, &QThread::finished, &here, [&] {
        ended = true;
        loop.quit();
    });
    letGo();
    QTimer::singleShot(kListGuardMs, &loop, &QEventLoop::quit);
    loop.exec();
    return ended;
}

// Choosing a pack returns at once with "Reading…" while its health is read;
// the line comes when the reading ends. A newer choice wins over an older
// reading that ends after it.
TEST_F(RecordingsListTest, ThePacksHealthIsReadWithoutHoldingUpTheChoice) {
    journal(1, 1800, 1700, QStringLiteral("Pack A"));
    journal(2, 1900, 1750, QStringLiteral("Pack A"));
    journal(3, 900, 800, QStringLiteral("Pack B"));
    HeldHealth held;
    RecordingsDialog d(dir.path());
    waitUntilRead(d);
    d.healthJob().setReader(
        [&held](const QString& folder, const QString& name) { return held.read(folder, name); });
    const QString lineA =
        shown::packHealthLine(packHealthOfFolder(dir.path(), QStringLiteral("Pack A")));
    const QString lineB =
        shown::packHealthLine(packHealthOfFolder(dir.path(), QStringLiteral("Pack B")));
    ASSERT_NE(lineA, lineB);

    QSignalSpy shown(&d, &RecordingsDialog::healthShown);
    d.filterByPack(QStringLiteral("Pack A"));
    // Back while the reading is held: the list already shows the pack.
    held.started(0);
    EXPECT_EQ(d.packShown(), QStringLiteral("Pack A"));
    EXPECT_FALSE(d.healthText().isHidden());
    EXPECT_EQ(d.healthText().text(), QStringLiteral("Reading…"));
    EXPECT_TRUE(d.healthJob().busy());
    held.release(0);
    ASSERT_TRUE(shown.wait(kListGuardMs));
    EXPECT_EQ(d.healthText().text(), lineA);
    EXPECT_FALSE(d.healthJob().busy());

    // Pack B is chosen, then A again while B's reading is held, and B's
    // ends first: its line never shows, A's comes.
    d.filterByPack(QStringLiteral("Pack B"));
    QThread* readingB = held.started(1);
    EXPECT_EQ(d.healthText().text(), QStringLiteral("Reading…"));
    d.filterByPack(QString());
    d.filterByPack(QStringLiteral("Pack A"));
    held.started(2);
    // The dialog hears of a reading's end before this test does (it asked
    // first): once B's end is heard here, the dialog has dropped its result.
    ASSERT_TRUE(waitForEnd(readingB, [&] { held.release(1); }));
    EXPECT_EQ(d.healthText().text(), QStringLiteral("Reading…"));
    EXPECT_EQ(shown.size(), 1);
    held.release(2);
    ASSERT_TRUE(shown.wait(kListGuardMs));
    EXPECT_EQ(d.healthText().text(), lineA);
}

// A recording made at Connect with one row of a charge pulls the pack's line
// down: left out from the list's menu, its pack file says so, and the
// history and the health are the pack's without it; counted again, it is back.
TEST_F(RecordingsListTest, ARecordingLeftOutFromTheListLeavesThePacksHistory) {
    journal(1, 1800, 1700, QStringLiteral("Pack A"));
    const QString stray = journal(2, 5, 0, QStringLiteral("Pack A"));
    journal(3, 1900, 1750, QStringLiteral("Pack A"));
    RecordingsDialog d(dir.path());
    waitUntilRead(d);
    QSignalSpy shown(&d, &RecordingsDialog::healthShown);
    d.filterByPack(QStringLiteral("Pack A"));
    ASSERT_TRUE(shown.wait(kListGuardMs));
    const std::size_t all = d.history().size();
    int row = 0;
    while (row < d.list().rowCount() &&
           d.list().item(row, 0)->data(kRecordingPathRole).toString() != stray) {
        ++row;
    }
    ASSERT_LT(row, d.list().rowCount());

    for (const bool out : {true, false}) {
        SCOPED_TRACE(out ? "left out" : "counted again");
        d.list().selectRow(row);
        ASSERT_TRUE(d.leaveOutCommand().isEnabled());
        EXPECT_EQ(d.leaveOutCommand().isChecked(), !out);
        d.leaveOutCommand().trigger();
        EXPECT_EQ(readPackInfo(stray).leftOut, out);
        EXPECT_EQ(readPackInfo(stray).pack, QStringLiteral("Pack A"));
        EXPECT_EQ(d.history().size(), out ? all - 1 : all);
        for (const PackHistoryEntry& e : d.history()) {
            EXPECT_TRUE(!out || e.path != stray);
        }
        EXPECT_EQ(d.list().item(row, RecordingsDialog::kPackColumn)->toolTip().isEmpty(), !out);
        ASSERT_TRUE(shown.wait(kListGuardMs));  // the health is read again
    }
}

// However wide the chart, its legend shows whole and covers none of its points, also a
// point at the top left corner of the plot, where the largest figures of
// the first recording go.
TEST(PackHistoryLegend, TheLegendCoversNoPoint) {
    const QDateTime first(QDate(2026, 11, 1), QTime(9, 0));
    std::vector<PackHistoryPoint> points;
    for (int i = 0; i < 8; ++i) {
        const double fade = 1 - 0.04 * i;
        points.push_back({first.addDays(i), PackHistoryPoint::Kind::Charge, 2200 * fade,
                          24.0 * fade, 0.05 + 0.01 * i});
        points.push_back({first.addDays(i), PackHistoryPoint::Kind::Discharge, 2150 * fade,
                          22.0 * fade, 0.12 - 0.01 * i});
    }
    for (const QSize size : {QSize(420, 200), QSize(760, 260), QSize(1500, 400)}) {
        SCOPED_TRACE(size.width());
        PackHistoryChart chart;
        chart.resize(size);
        chart.show();
        chart.setPoints(points);
        chart.replot();
        const QRect legend = chart.legend->outerRect();
        ASSERT_TRUE(chart.legend->visible());
        ASSERT_FALSE(legend.isEmpty());
        // Whole, in as many rows as the width needs.
        EXPECT_TRUE(chart.rect().contains(legend)) << legend.width() << "x" << legend.height();
        EXPECT_FALSE(legend.intersects(chart.axisRect()->rect()));
        int checked = 0;
        for (int s = 0; s < PackHistoryChart::kHistorySeriesCount; ++s) {
            const QCPGraph* g = chart.series(static_cast<PackHistoryChart::Series>(s));
            for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it) {
                const QPointF at = g->coordsToPixels(it->key, it->value);
                EXPECT_FALSE(legend.contains(at.toPoint())) << s << " " << it->key;
                ++checked;
            }
        }
        EXPECT_EQ(checked, 4 * 8 + 2 * 8);  // the spread of each recording twice
    }
}

// The pack's health line shows each cell's resistance as the charger
// reported it (its journal's phase lines) beside the estimated one.
TEST_F(RecordingsListTest, ThePacksHealthShowsTheChargersCellResistance) {
    journal(1, 1800, 1700, QStringLiteral("Pack A"));
    const QString reported = journal(2, 1900, 1750, QStringLiteral("Pack A"));
    QFile file(reported);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\"# resistance mohm=3,9.5\"\r\n");
    file.close();
    RecordingsDialog d(dir.path());
    waitUntilRead(d);
    QSignalSpy shown(&d, &RecordingsDialog::healthShown);
    d.filterByPack(QStringLiteral("Pack A"));
    ASSERT_TRUE(shown.wait(kListGuardMs));
    EXPECT_TRUE(d.healthText().text().contains(
        QStringLiteral("cells 3.0, 9.5 mΩ reported by the charger, - mΩ estimated")))
        << d.healthText().text().toStdString();
}

}  // namespace
}  // namespace cellwatch
