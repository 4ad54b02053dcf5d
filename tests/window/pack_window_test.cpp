// Packs in the windows: View > Pack… names the pack of the present and
// following journals (kept in the settings); a viewer edits its
// recording's pack afterwards and shows it in its title and summary.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

#include "app/pack_dialog.h"
#include "app/summary_view.h"
#include "app/summary_window.h"
#include "readout/pack_file.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class PackWindowTest : public WindowTest {
protected:
    // Answers the next pack dialog with `pack` (OK), noting what it offered.
    void answerPack(const PackInfo& pack) {
        onDialog = [this, pack](QDialog& dialog) {
            auto& asked = dynamic_cast<PackDialog&>(dialog);
            offered = asked.info();
            asked.nameBox().setEditText(pack.pack);
            asked.noteBox().setPlainText(pack.note);
            asked.accept();
        };
    }
    // Answers the next pack dialog with every field of `pack` (OK).
    void answerWhole(const PackInfo& pack) {
        onDialog = [this, pack](QDialog& dialog) {
            auto& asked = dynamic_cast<PackDialog&>(dialog);
            offered = asked.info();
            asked.setInfo(pack);
            asked.accept();
        };
    }
    PackInfo offered;
};

TEST_F(PackWindowTest, ChosenPackGoesWithThePresentAndEveryFollowingJournal) {
    openConnected(2);
    const QString first = w->journal().path();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_FALSE(QFile::exists(packFilePath(first)));  // no pack chosen yet

    answerPack({QStringLiteral(" Pack A "), QStringLiteral("new cells")});
    click("View1", "Pack");
    EXPECT_EQ(offered, PackInfo{});
    // The present journal at once.
    EXPECT_EQ(readPackInfo(first),
              (PackInfo{QStringLiteral("Pack A"), QStringLiteral("new cells")}));

    pause();
    recordRows(3, 4);
    const QString second = w->journal().path();
    ASSERT_NE(second, first);
    EXPECT_EQ(readPackInfo(second).pack, QStringLiteral("Pack A"));

    // Changed: the present one takes the new pack, the earlier keeps its own.
    answerPack({QStringLiteral("Pack B"), QString()});
    click("View1", "Pack");
    EXPECT_EQ(offered.pack, QStringLiteral("Pack A"));
    EXPECT_EQ(readPackInfo(second), (PackInfo{QStringLiteral("Pack B"), QString()}));
    EXPECT_EQ(readPackInfo(first).pack, QStringLiteral("Pack A"));
    // The live summary names it too.
    click("View1", "Summary");
    ASSERT_NE(w->summaryWindow(), nullptr);
    EXPECT_EQ(w->summaryWindow()->view().summary().pack, QStringLiteral("Pack B"));
    EXPECT_EQ(w->summaryWindow()->view().summary().rows, 2);
    disconnect();
    EXPECT_TRUE(failures.isEmpty()) << failureText();

    // Kept until changed: a new run of the window offers it again.
    open();
    answerPack({QString(), QString()});
    click("View1", "Pack");
    EXPECT_EQ(offered.pack, QStringLiteral("Pack B"));
    // Cancelled: nothing changes.
    onDialog = [](QDialog& dialog) { dialog.reject(); };
    connectTo(slave());
    recordRows(1, 1);
    EXPECT_FALSE(QFile::exists(packFilePath(w->journal().path())));
}

// What the pack is goes with the present and every following journal and is
// kept in the settings; "left out of the pack's history" with the present
// journal only.
TEST_F(PackWindowTest, WhatThePackIsGoesWithEveryJournalLeftOutWithThePresentOnly) {
    openConnected(2);
    const QString first = w->journal().path();
    PackInfo pack{QStringLiteral("HV 6S"), QStringLiteral("connect test")};
    pack.chemistry = PackChemistry::LiHV;
    pack.cells = 6;
    pack.capacityMah = 5000;
    pack.cellHighV = 4.3;
    pack.cellLowV = 3.2;
    pack.leftOut = true;
    answerWhole(pack);
    click("View1", "Pack");
    EXPECT_EQ(readPackInfo(first), pack);

    pause();
    recordRows(3, 4);
    const QString second = w->journal().path();
    ASSERT_NE(second, first);
    PackInfo following = pack;
    following.leftOut = false;
    EXPECT_EQ(readPackInfo(second), following);
    EXPECT_EQ(readPackInfo(first), pack);
    disconnect();

    // A new run offers it again, every field but the present one's "left out".
    open();
    onDialog = [this](QDialog& dialog) {
        offered = dynamic_cast<PackDialog&>(dialog).info();
        dialog.reject();
    };
    click("View1", "Pack");
    EXPECT_EQ(offered, following);
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

// A pack the folder knows as six cells, chosen for a charge of three: the
// status band says so as the recording's first row comes, once.
TEST_F(PackWindowTest, ARecordingOfAnotherCellCountThanItsPackIsSaidAtOnce) {
    open();
    const QString earlier =
        w->journal().folder() + QStringLiteral("/cellwatch-20261101-100000.csv");
    ASSERT_TRUE(QDir().mkpath(w->journal().folder()));
    QFile(earlier).open(QIODevice::WriteOnly);
    PackInfo sixCells{QStringLiteral("Race 6S"), QString()};
    sixCells.chemistry = PackChemistry::LiPo;
    sixCells.cells = 6;
    ASSERT_TRUE(writePackInfo(earlier, sixCells));
    answerPack({QStringLiteral("Race 6S"), QString()});
    click("View1", "Pack");

    connectTo(slave());
    recordRows(1, 3);
    Tool* status = tool("state", "state_text");
    const QString said = QStringLiteral("This recording has 3 cells; pack \"Race 6S\" has 6");
    int times = 0;
    for (int i = 0; i < status->itemCount(); ++i) {
        times += status->item(i).contains(said) ? 1 : 0;
    }
    QStringList all;
    for (int i = 0; i < status->itemCount(); ++i) {
        all << status->item(i);
    }
    EXPECT_EQ(times, 1) << all.join(u'|').toStdString();
    EXPECT_EQ(readPackInfo(w->journal().path()).cells, 6);  // the journal is the pack's
}

TEST_F(PackWindowTest, ViewerEditsThePackAfterwardsAndShowsIt) {
    openConnected(3);
    answerPack({QStringLiteral("Pack A"), QStringLiteral("first")});
    click("View1", "Pack");
    disconnect();
    const QString file = w->journal().path();

    ViewerWindow* viewer = w->openRecording(file);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(),
              QFileInfo(file).fileName() + QString::fromUtf8(" — pack Pack A"));
    EXPECT_EQ(viewer->summaryView().value(QStringLiteral("pack")), QStringLiteral("Pack A"));
    EXPECT_EQ(viewer->summaryView().value(QStringLiteral("note")), QStringLiteral("first"));

    answerPack({QStringLiteral("Pack C"), QStringLiteral("cell 3 weak")});
    viewer->packCommand()->trigger();
    EXPECT_EQ(offered.pack, QStringLiteral("Pack A"));
    EXPECT_EQ(readPackInfo(file),
              (PackInfo{QStringLiteral("Pack C"), QStringLiteral("cell 3 weak")}));
    EXPECT_EQ(viewer->windowTitle(),
              QFileInfo(file).fileName() + QString::fromUtf8(" — pack Pack C"));
    EXPECT_EQ(viewer->summaryView().value(QStringLiteral("note")), QStringLiteral("cell 3 weak"));

    // What the pack is goes into the file whole, and the next Pack… starts
    // from all of it, so changing the note alone keeps the rest.
    const PackInfo whole{QStringLiteral("Pack C"),
                         QStringLiteral("cell 3 weak"),
                         PackChemistry::LiHV,
                         4,
                         2200,
                         4.35,
                         3.1,
                         true};
    answerWhole(whole);
    viewer->packCommand()->trigger();
    EXPECT_EQ(readPackInfo(file), whole);
    answerPack({QStringLiteral("Pack C"), QStringLiteral("cell 3 weaker")});
    viewer->packCommand()->trigger();
    EXPECT_EQ(offered, whole);
    PackInfo renoted = whole;
    renoted.note = QStringLiteral("cell 3 weaker");
    EXPECT_EQ(readPackInfo(file), renoted);

    // In Chinese the title and the command speak Chinese.
    click("Lang1", "CHT");
    QCoreApplication::processEvents();  // the widgets hear of it
    EXPECT_EQ(viewer->packCommand()->text(), QString::fromUtf8("电池组…"));
    EXPECT_TRUE(viewer->windowTitle().endsWith(QString::fromUtf8(" — 电池组 Pack C")));

    // No pack: the file goes, the title is the file's name alone.
    answerWhole(PackInfo{});
    viewer->packCommand()->trigger();
    EXPECT_FALSE(QFile::exists(packFilePath(file)));
    EXPECT_EQ(viewer->windowTitle(), QFileInfo(file).fileName());
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

}  // namespace
}  // namespace cellwatch::windowtest
