// Switching the language at run time: menu items added after the tool bar,
// the idle chart title and the buttons of the dialogs follow at once, both
// ways.
#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <memory>

#include "app/language.h"
#include "app/recordings_dialog.h"
#include "app/settings.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

QString zh(const char* text) {
    return QString::fromUtf8(text);
}

class CaptionsTest : public WindowTest {
protected:
    QAction* viewAction(Command command) const { return w->toolBar().tool(command)->action(); }

    // Runs `act`, which shows a modal dialog or message box; notes the
    // captions of its OK, Cancel, Yes and No buttons (those it has), then
    // presses Cancel or No.
    QStringList modalButtons(const std::function<void()>& act) const {
        struct Seen {
            QStringList texts;
            bool done = false;
            int looks = 0;
        };
        auto seen = std::make_shared<Seen>();
        auto look = std::make_shared<std::function<void()>>();
        // The look queues itself again through a weak pointer: no cycle, so
        // nothing is left behind once the dialog has been seen.
        *look = [seen, again = std::weak_ptr<std::function<void()>>(look)] {
            if (seen->done) {
                return;
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                if (++seen->looks < 10'000) {
                    if (const auto next = again.lock()) {
                        QTimer::singleShot(0, *next);
                    }
                }
                return;
            }
            seen->done = true;
            auto* box = modal->findChild<QDialogButtonBox*>();
            if (box == nullptr) {
                seen->texts << QStringLiteral("<no buttons>");
                modal->close();
                return;
            }
            QAbstractButton* reject = nullptr;
            for (QDialogButtonBox::StandardButton which :
                 {QDialogButtonBox::Ok, QDialogButtonBox::Cancel, QDialogButtonBox::Yes,
                  QDialogButtonBox::No}) {
                if (QAbstractButton* b = box->button(which)) {
                    seen->texts << b->text();
                    if (which == QDialogButtonBox::Cancel || which == QDialogButtonBox::No) {
                        reject = b;
                    }
                }
            }
            if (reject != nullptr) {
                reject->click();
            } else {
                modal->close();
            }
        };
        QTimer::singleShot(0, *look);
        act();
        seen->done = true;  // a look still queued ends there
        return seen->texts;
    }

    // A two-row journal in the window's journal folder.
    QString writeJournal() const {
        QDir().mkpath(journals());
        return writeFile(QDir(journals()).filePath(QStringLiteral("cellwatch-20240309-140000.csv")),
                         journalText(QStringLiteral("2024-03-09T14:00:00+01:00"),
                                     {{1}, {3, "+CHG+", 12, 2, 5}}));
    }
};

QStringList idleTitle(bool chinese) {
    return {chinese ? zh("空闲") : QStringLiteral("Idle")};
}

// The View menu's network item, added after the tool bar, follows each
// switch both ways.
TEST_F(CaptionsTest, NetworkItemFollowsEverySwitch) {
    open(QStringLiteral("CHT"));
    QAction* network = viewAction(Command::NetworkList);
    QAction* watch = viewAction(Command::WatchCharger);
    ASSERT_NE(network, nullptr);
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(network->text(), zh("网络上的充电器…"));
    EXPECT_EQ(watch->text(), zh("查看充电器…"));
    click("Lang1", "ENG");
    EXPECT_EQ(network->text(), QStringLiteral("Chargers on the network…"));
    EXPECT_EQ(watch->text(), QStringLiteral("Watch a charger…"));
    click("Lang1", "CHT");
    EXPECT_EQ(network->text(), zh("网络上的充电器…"));
    EXPECT_EQ(watch->text(), zh("查看充电器…"));
}

// The Language menu is the table of languages: one entry per language in
// the table's order, named by its code and captioned with its own name in
// every language. Choosing one installs it, stores its code and moves the
// check to it alone; the tool bar's Language opens the same menu.
TEST_F(CaptionsTest, LanguageMenuIsTheTableAndEachChoiceIsInstalledAndStored) {
    open(QStringLiteral("ENG"));
    QMenu* menu = w->toolBar().bandMenu(QStringLiteral("Lang1"));
    ASSERT_NE(menu, nullptr);
    auto* button = w->findChild<QToolButton*>(QStringLiteral("Tools.Language"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->menu(), menu);
    const auto shown = [menu] {
        QStringList entries;
        for (QAction* action : menu->actions()) {
            entries << action->objectName() + u'=' + action->text() +
                           (action->isChecked() ? QStringLiteral(" *") : QString());
        }
        return entries;
    };
    for (const LanguageEntry& chosen : languages()) {
        SCOPED_TRACE(chosen.code);
        click("Lang1", chosen.code);
        EXPECT_EQ(readLanguageCode(*store), QString::fromLatin1(chosen.code));
        EXPECT_EQ(installedLanguage(), chosen.language());
        QStringList expected;
        for (const LanguageEntry& entry : languages()) {
            expected << QStringLiteral("Lang1.%1=%2%3")
                            .arg(QString::fromLatin1(entry.code), QString::fromUtf8(entry.caption),
                                 entry.code == chosen.code ? QStringLiteral(" *") : QString());
        }
        EXPECT_EQ(shown(), expected);
    }
}

// A connected window waiting for its first sample shows the idle title and
// follows a switch; once a sample named the chart, a switch leaves it.
TEST_F(CaptionsTest, IdleTitleOfANewRecordingFollowsButASampleTitleStays) {
    open(QStringLiteral("CHT"));
    connectTo(slave());
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    EXPECT_EQ(w->chart().titleLines(), idleTitle(true));
    click("Lang1", "ENG");
    EXPECT_EQ(w->chart().titleLines(), idleTitle(false));
    click("Lang1", "CHT");
    EXPECT_EQ(w->chart().titleLines(), idleTitle(true));

    advance(1000);
    record(charging(1));
    const QStringList sampleTitle = w->chart().titleLines();
    ASSERT_NE(sampleTitle, idleTitle(true));
    for (const char* code : {"ENG", "CHT"}) {
        click("Lang1", code);
        EXPECT_EQ(w->chart().titleLines(), sampleTitle) << code;
    }
}

// The dialogs opened after a switch: Pack…, the alarm rules and the
// Recordings dialog's question before deleting give their buttons the
// program's own captions in the language chosen.
TEST_F(CaptionsTest, DialogButtonsSpeakTheLanguageChosen) {
    const QString journal = writeJournal();
    open(QStringLiteral("ENG"));
    for (const char* code : {"CHT", "ENG"}) {
        SCOPED_TRACE(code);
        click("Lang1", code);
        const bool chinese = QString::fromLatin1(code) == QLatin1String("CHT");
        const QStringList okCancel =
            chinese ? QStringList{zh("确定"), zh("取消")}
                    : QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")};
        const QStringList yesNo = chinese
                                      ? QStringList{zh("是"), zh("否")}
                                      : QStringList{QStringLiteral("Yes"), QStringLiteral("No")};

        // Pack…
        QStringList shown;
        onDialog = [&shown](QDialog& dialog) {
            auto* box = dialog.findChild<QDialogButtonBox*>();
            ASSERT_NE(box, nullptr);
            shown = {box->button(QDialogButtonBox::Ok)->text(),
                     box->button(QDialogButtonBox::Cancel)->text()};
        };
        click("View1", "Pack");
        EXPECT_EQ(shown, okCancel) << "pack";

        // View > Alarm rules…
        QAction* rules = viewAction(Command::AlarmRules);
        ASSERT_NE(rules, nullptr);
        EXPECT_EQ(modalButtons([rules] { rules->trigger(); }), okCancel) << "alarm rules";

        // File > Recordings…, Delete: the question is answered No.
        QStringList asked;
        onDialog = [this, &asked](QDialog& dialog) {
            auto* recordings = qobject_cast<RecordingsDialog*>(&dialog);
            ASSERT_NE(recordings, nullptr);
            ASSERT_EQ(recordings->list().rowCount(), 1);
            recordings->list().selectRow(0);
            asked = modalButtons([recordings] { recordings->deleteSelected(); });
        };
        click("file1", "Records");
        EXPECT_EQ(asked, yesNo) << "recordings";
        EXPECT_TRUE(QFile::exists(journal));
    }
    onDialog = nullptr;
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

}  // namespace
}  // namespace cellwatch::windowtest
