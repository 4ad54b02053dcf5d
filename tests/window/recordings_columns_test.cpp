// The Recordings list on the test screen (1600 x 1000, and the same at 150 %
// scaling): every column in view as the dialog first shows, at its contents'
// width where the screen has room for them all.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

#include "analysis/recording_summary.h"
#include "app/recordings_dialog.h"
#include "app/recordings_rows.h"
#include "readout/pack_file.h"
#include "tests/support/installed_language.h"
#include "tests/support/journal_text.h"

namespace cellwatch {
namespace {

constexpr int kGuardMs = 120'000;  // only a guard against a reading that never ends

TEST(RecordingsColumns, EveryColumnIsInViewAsTheDialogFirstShows) {
    QTemporaryDir dir;
    const struct {
        const char* file;
        const char* pack;
        bool discharge;
    } journals[] = {
        {"cellwatch-20261201-090000.csv", "Race 4S 2200 #3", true},
        {"cellwatch-20261202-090000.csv", "Heli 6S 5000", false},
    };
    for (const auto& j : journals) {
        const QString path = testing::writeFile(
            dir.filePath(QString::fromUtf8(j.file)),
            j.discharge ? testing::journalText(QStringLiteral("2026-12-01T09:00:00+01:00"),
                                               {{1, "+CHG+", 12, 2, 0},
                                                {3, "+CHG+", 12, 2, 2180},
                                                {4, "-DSC-", 12, -2, 0},
                                                {6, "-DSC-", 12, -2, 1920}})
                        : testing::journalText(QStringLiteral("2026-12-02T09:00:00+01:00"),
                                               {{1, "+CHG+", 12, 2, 0}, {3, "+CHG+", 12, 2, 900}}));
        ASSERT_TRUE(writePackInfo(path, {QString::fromUtf8(j.pack), QString()}));
    }
    // An older one of more than a mebibyte, read while the dialog shows: the
    // columns are fitted again as the reading ends.
    QByteArray large = testing::journalText(QStringLiteral("2026-11-30T09:00:00+01:00"));
    for (int second = 1; large.size() <= RecordingsDialog::kReadAtOnceBytes; ++second) {
        large += testing::journalRow({second, "-DSC-", 12, -2, second / 2});
    }
    testing::writeFile(dir.filePath(QStringLiteral("cellwatch-20261130-090000.csv")), large);
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const bool fullScale = screen->devicePixelRatio() == 1.0;
    if (fullScale) {
        ASSERT_GE(screen->availableGeometry().width(), 1600);
    }
    // German headers are the longest.
    for (const Language language : {Language::English, Language::Chinese, Language::German}) {
        SCOPED_TRACE(languageCode(language).toStdString());
        const test::InstalledLanguage installed(language);
        RecordingsDialog d(dir.path());
        d.show();
        QSignalSpy finished(&d, &RecordingsDialog::readingFinished);
        while (d.reading()) {
            ASSERT_TRUE(finished.wait(kGuardMs));
        }
        EXPECT_LE(d.frameGeometry().width(), screen->availableGeometry().width());
        const QTableWidget& list = d.list();
        const QHeaderView* header = list.horizontalHeader();
        const int room = list.viewport()->width();
        // At 1600 pixels the dialog makes itself wide enough for them all.
        const bool roomForAll = recordingListWidth(list) <= list.width();
        if (fullScale) {
            EXPECT_TRUE(roomForAll) << recordingListWidth(list) << " > " << list.width();
        }
        // The start is read whole at any scale ("2026-12-07 1…" once).
        EXPECT_GE(header->sectionSize(RecordingsDialog::kStartedColumn),
                  static_cast<const QAbstractItemView&>(list).sizeHintForColumn(
                      RecordingsDialog::kStartedColumn));
        for (int col = 0; col < list.columnCount(); ++col) {
            SCOPED_TRACE(col);
            const int left = header->sectionViewportPosition(col);
            EXPECT_GE(left, 0);
            EXPECT_LE(left + header->sectionSize(col), room);
            EXPECT_GE(header->sectionSize(col), 24);
            if (roomForAll) {
                EXPECT_GE(header->sectionSize(col),
                          static_cast<const QAbstractItemView&>(list).sizeHintForColumn(col));
                EXPECT_GE(header->sectionSize(col), header->sectionSizeHint(col));
            }
        }
    }
}

// A capacity of a million or more is written out, as the summary writes it.
TEST(RecordingsColumns, CapacitiesAreWrittenOutAtAnySize) {
    const struct {
        double mah;
        const char* text;
    } cases[] = {{2180, "2180"},
                 {999999, "999999"},
                 {1000000, "1000000"},
                 {1039000, "1039000"},
                 {12345678.5, "12345678.5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QTableWidget list(1, kRecordingColumnCount);
        ScannedRecording scanned;
        scanned.journal.path = QStringLiteral("cellwatch-20261202-100000.csv");
        scanned.summary = RecordingSummaryValues{};
        scanned.summary->capacityMah = c.mah;
        fillRecordingRow(list, 0, scanned);
        EXPECT_EQ(list.item(0, kCapacityCol)->text().toStdString(), c.text);
    }
}

}  // namespace
}  // namespace cellwatch
