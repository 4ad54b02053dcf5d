// The alarms' and the analysis' texts as a window shows them, through the
// program's own translations: English as the journal and the report write
// it, Chinese as the window has always shown it, German with every figure
// carried over.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <functional>

#include "app/alarm_texts.h"
#include "app/analysis_texts.h"
#include "app/broker_notice_texts.h"
#include "app/commands.h"
#include "app/language.h"
#include "app/watch_notice_texts.h"

namespace cellwatch {
namespace {

// The numbers of a text in order ("4.26", "3", "0:00:58").
QStringList numbers(const QString& text) {
    static const QRegularExpression number(QStringLiteral("[0-9]+(:[0-9]{2}:[0-9]{2}|\\.[0-9]+)?"));
    QStringList found;
    for (const QRegularExpressionMatch& m : number.globalMatch(text)) {
        found << m.captured();
    }
    return found;
}

// The same, in any order: a translation may put them in another.
QStringList sortedNumbers(const QString& text) {
    QStringList found = numbers(text);
    found.sort();
    return found;
}

class ShownTexts : public ::testing::Test {
protected:
    void TearDown() override { installLanguage(Language::English); }
};

struct AlarmCase {
    alarms::Kind kind;
    const char* line;
    const char* chinese;
};

const AlarmCase kAlarms[] = {
    {alarms::Kind::CellHigh, "Cell 3 at 4.26 V (limit 4.25 V)", "电芯 3 为 4.26 V（上限 4.25 V）"},
    {alarms::Kind::CellLow, "Cell 4 at 2.99 V (limit 3.00 V)", "电芯 4 为 2.99 V（下限 3.00 V）"},
    {alarms::Kind::CellSpread,
     "Cells 0.11 V apart: cell 2 at 4.11 V, cell 1 at 4.00 V (limit 0.10 V)",
     "电芯压差 0.11 V：电芯 2 为 4.11 V，电芯 1 为 4.00 V（上限 0.10 V）"},
    {alarms::Kind::Temperature,
     "External temperature 51 °C (limit 50 °C); internal temperature 71 °C (limit 70 °C)",
     "外部温度 51 °C（上限 50 °C）；内部温度 71 °C（上限 70 °C）"},
    {alarms::Kind::Temperature, "External temperature -5 °C (limit -10 °C)",
     "外部温度 -5 °C（上限 -10 °C）"},
    {alarms::Kind::Temperature, "Internal temperature 71 °C (limit 70 °C)",
     "内部温度 71 °C（上限 70 °C）"},
    {alarms::Kind::InputLow, "Input at 10.99 V (limit 11.00 V)",
     "输入电压 10.99 V（下限 11.00 V）"},
    {alarms::Kind::Finished,
     "The discharge finished after 0:01:15 (no charging or discharging for 10 s)",
     "放电已结束，用时 0:01:15（10 秒无充放电）"},
    {alarms::Kind::Stalled,
     "No new row for 30 s while the charge was running (last row at 1:00:00)",
     "充电进行中 30 秒没有新数据（最后一行在 1:00:00）"},
    {alarms::Kind::Lost, "Link lost during the charge, last row at 0:00:58: the device went away",
     "充电中连接中断，最后一行在 0:00:58：the device went away"},
    {alarms::Kind::Lost, "Link lost during the discharge, last row at 0:00:58",
     "放电中连接中断，最后一行在 0:00:58"},
};

TEST_F(ShownTexts, AlarmsInEachLanguage) {
    for (const AlarmCase& c : kAlarms) {
        SCOPED_TRACE(c.line);
        const QString line = QString::fromUtf8(c.line);
        installLanguage(Language::English);
        EXPECT_EQ(alarmText(c.kind, line), line);
        ASSERT_TRUE(installLanguage(Language::Chinese));
        EXPECT_EQ(alarmText(c.kind, line), QString::fromUtf8(c.chinese));
        ASSERT_TRUE(installLanguage(Language::German));
        const QString german = alarmText(c.kind, line);
        EXPECT_NE(german, line);
        EXPECT_EQ(numbers(german), numbers(line)) << german.toStdString();
    }
    // A line in no form the monitor writes is shown as it is.
    const QString odd = QStringLiteral("Cell 3 is on fire");
    EXPECT_EQ(alarmText(alarms::Kind::CellHigh, odd), odd);
}

// A window's broker notices read as the log's lines in English.
TEST_F(ShownTexts, BrokerNoticesInEachLanguage) {
    using Kind = net::BrokerNotice::Kind;
    const QString broker = QStringLiteral("broker.local:1883");
    const net::BrokerFailure failure{net::BrokerFailure::Kind::KeepAlive};
    const QString why = net::brokerFailureLine(failure);
    const net::BrokerNotice cases[] = {
        {Kind::Connected, broker},
        {Kind::Silent, broker, {}, 30, 17},
        {Kind::Lost, broker, why, 4, 0, 0, 0, 0, failure},
        {Kind::Unreachable, broker, why, 8, 0, 0, 0, 0, failure},
        {Kind::NotTaking, broker, {}, 0, 21},
        {Kind::TakingAgain, broker, {}, 0, 0, 120},
        {Kind::TakingAgain, broker, {}, 0, 0, 120, 3},
        {Kind::Oversized, broker, {}, 0, 0, 9, 12, 65536},
    };
    for (const net::BrokerNotice& n : cases) {
        const QString line = net::brokerNoticeLine(n);
        SCOPED_TRACE(line.toStdString());
        installLanguage(Language::English);
        EXPECT_EQ(brokerNoticeText(n), line);
        for (const Language language : {Language::Chinese, Language::German}) {
            ASSERT_TRUE(installLanguage(language));
            const QString shown = brokerNoticeText(n);
            EXPECT_NE(shown, line);
            EXPECT_EQ(sortedNumbers(shown), sortedNumbers(line)) << shown.toStdString();
            // Why, in the language too.
            EXPECT_TRUE(shown.contains(broker) &&
                        (n.why.isEmpty() || shown.contains(brokerFailureText(n.failure))));
        }
    }
}

// A watch's notices read as the log's lines in English; the link lost reads
// in Chinese as the watch window has always shown it.
TEST_F(ShownTexts, WatchNoticesInEachLanguage) {
    using Kind = net::WatchNotice::Kind;
    const net::BrokerFailure failure{net::BrokerFailure::Kind::KeepAlive};
    const QString why = net::brokerFailureLine(failure);
    const auto notice = [](Kind kind, auto&& set) {
        net::WatchNotice n{kind};
        set(n);
        return n;
    };
    const auto plain = [](net::WatchNotice&) {};
    const struct {
        net::WatchNotice notice;
        const char* chinese;  // "" where any translation with the figures will do
    } cases[] = {
        {notice(Kind::Offline, plain), "充电器已离线"},
        {notice(Kind::BeganAnew, plain), "充电器已重新连接"},
        {notice(Kind::LineLost, plain), ""},
        {notice(Kind::BrokerGone,
                [&](net::WatchNotice& n) {
                    n.why = why;
                    n.failure = failure;
                    n.wasConnected = true;
                }),
         "与服务器的连接已中断"},
        {notice(Kind::BrokerGone,
                [&](net::WatchNotice& n) {
                    n.why = why;
                    n.failure = failure;
                }),
         "无法连接服务器"},
        {notice(Kind::NoStart, plain), ""},
        {notice(Kind::NoRecord, [](net::WatchNotice& n) { n.count = 37; }), ""},
        {notice(Kind::RecordNoDate, plain), ""},
        {notice(Kind::NoResume, plain), ""},
        {notice(Kind::OtherKey, plain), ""},
        {notice(Kind::NeedsKey, plain), ""},
        {notice(Kind::StaleRun,
                [](net::WatchNotice& n) {
                    n.sent = QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7));
                    n.count = 95;
                }),
         ""},
        {notice(Kind::Unverified,
                [](net::WatchNotice& n) {
                    n.topic = QStringLiteral("cellwatch/bench1/");
                    n.count = 4;
                    n.total = 12;
                }),
         ""},
    };
    for (const auto& c : cases) {
        const QString line = net::watchNoticeLine(c.notice);
        SCOPED_TRACE(line.toStdString());
        installLanguage(Language::English);
        EXPECT_EQ(watchNoticeText(c.notice), line);
        ASSERT_TRUE(installLanguage(Language::Chinese));
        const QString chinese = watchNoticeText(c.notice);
        if (*c.chinese != 0) {
            EXPECT_EQ(chinese, QString::fromUtf8(c.chinese));
        }
        ASSERT_TRUE(installLanguage(Language::German));
        const QString german = watchNoticeText(c.notice);
        for (const QString& shown : {chinese, german}) {
            EXPECT_NE(shown, line);
            if (*c.chinese == 0) {
                EXPECT_EQ(sortedNumbers(shown), sortedNumbers(line)) << shown.toStdString();
                EXPECT_TRUE(c.notice.topic.isEmpty() || shown.contains(c.notice.topic));
            }
        }
    }
}

Phase chargePhase(int restarts) {
    Phase p;
    p.kind = RowState::Charge;
    p.startSeconds = 0;
    p.durationS = 1800;
    p.capacityMah = 2000;
    p.counterRestarts = restarts;
    p.energyWh = 24;
    p.currentMeanA = 4;
    p.currentPeakA = 4;
    return p;
}

// The window's lines read as the report's in English, and as the window has
// always shown them in Chinese.
TEST_F(ShownTexts, AnalysisInEachLanguage) {
    PackHealth health;
    CapacityPoint last;
    last.kind = RowState::Discharge;
    last.capacityMah = 1900;
    last.percentOfNominal = 95;
    last.percentOfFirst = 98;
    health.capacity = {last};
    health.equivalentCycles = 12.5;
    health.resistanceChangePercent = 4;
    health.finding = CellFinding{3, RowState::Discharge, 5, 6, 42};
    PhaseTotals totals;
    totals.efficiencyWh = 0.825;
    totals.efficiencyMah = 0.9;
    const struct {
        const char* name;
        std::function<QString()> shown;
        QString english;  // "" where the report has no line of it
        const char* englishShown;
        const char* chinese;
    } cases[] = {
        {"phase", [] { return shown::phaseDescription(chargePhase(2)); },
         phaseDescription(chargePhase(2)), "",
         "充电，自 0:00:00 起，历时 0:30:00，2000 mAh（计数器重新开始了 2 次），24.000 Wh，平均 "
         "+4.00 A，最大 +4.00 A"},
        {"efficiency", [&totals] { return shown::efficiencyDescription(totals); },
         efficiencyDescription(totals), "", "能量的 82.5 %，容量的 90.0 %"},
        {"pack health", [&health] { return shown::packHealthLine(health); }, QString(),
         "last full discharge 1900 mAh (95.0 % of nominal, 98.0 % of the first); 12.5 equivalent "
         "cycles; resistance +4.0 %; cell 3: lowest at the end of 5 of the last 6 discharges, 42 "
         "mV under the mean",
         "最近一次完整放电 1900 mAh（标称的 95.0 %，首次的 98.0 %）；等效循环 12.5 次；内阻变化 "
         "+4.0 %；电芯 3：最近 6 次放电中有 5 次结束时最低，比平均低 42 mV"},
        {"reported resistance",
         [] {
             return shown::reportedResistanceText({24.5, {1.2, std::nullopt, 1.4}});
         },
         QString(), "pack 24.5 mΩ; cells 1.2, -, 1.4 mΩ", "电池组 24.5 mΩ；电芯 1.2、-、1.4 mΩ"},
        {"no full run",
         [] {
             PackHealth none;
             none.equivalentCycles = std::nan("");  // no nominal capacity
             return shown::packHealthLine(none);
         },
         QString(), "no full charge or discharge yet", "还没有完整的充电或放电"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        installLanguage(Language::English);
        const QString english = c.shown();
        EXPECT_EQ(english, c.english.isEmpty() ? QString::fromUtf8(c.englishShown) : c.english);
        ASSERT_TRUE(installLanguage(Language::Chinese));
        EXPECT_EQ(c.shown(), QString::fromUtf8(c.chinese));
        ASSERT_TRUE(installLanguage(Language::German));
        const QString german = c.shown();
        EXPECT_NE(german, english);
        EXPECT_EQ(numbers(german), numbers(english)) << german.toStdString();
    }
}

// Every language of the table: its code comes back to it and its
// translations are compiled into the program; a code of none is English and
// no command. (Each one's entry in the Language menu, chosen, installed and
// stored: CaptionsTest.LanguageMenuIsTheTableAndEachChoiceIsInstalledAndStored.)
TEST_F(ShownTexts, EveryLanguageIsInstalledAndOffered) {
    for (const LanguageEntry& entry : languages()) {
        SCOPED_TRACE(entry.code);
        EXPECT_EQ(languageCode(languageOf(QString::fromLatin1(entry.code))),
                  QString::fromLatin1(entry.code));
        EXPECT_TRUE(installLanguage(entry.language()));
    }
    EXPECT_TRUE(languageOf(QStringLiteral("XYZ")) == Language::English);
    EXPECT_EQ(commandOf(QStringLiteral("Lang1"), QStringLiteral("XYZ")), std::nullopt);
}

}  // namespace
}  // namespace cellwatch
