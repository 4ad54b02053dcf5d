#include "app/toolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "app/captions.h"
#include "app/commands.h"
#include "app/settings.h"
#include "app/status_list.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

class ToolBarTest : public ::testing::Test {
protected:
    ToolBarControl bar{15.0};
    Tool* get(const char* band, const char* name) {
        Tool* t = bar.tool(QString::fromLatin1(band), QString::fromLatin1(name));
        EXPECT_NE(t, nullptr) << band << "." << name;
        return t;
    }
};

TEST_F(ToolBarTest, ClicksCarryTheToolAndLeaveTheCheckedStateToTheCommand) {
    QSignalSpy clicks(&bar, &ToolBarControl::toolClicked);
    Tool* fileExport = get("file1", "Export");
    Tool* barExport = get("Tools", "Export");
    fileExport->action()->trigger();
    barExport->action()->trigger();
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks[0][0].value<Tool*>(), fileExport);
    EXPECT_EQ(clicks[1][0].value<Tool*>()->name(), QStringLiteral("Export"));

    Tool* cross = get("Tools", "CrossLine");
    cross->action()->trigger();
    EXPECT_FALSE(cross->checked());
    EXPECT_FALSE(cross->action()->isChecked());
    cross->setChecked(true);
    EXPECT_TRUE(cross->action()->isChecked());
}

// The receive lamp flips on every receive event; its flips reach the screen
// with the window's next paint (the sample's texts), never in a pass of their
// own, and kLatestRepaintMs later when the window paints nothing else. What
// is painted is the lamp's state of that moment, lit or not.
TEST(LampWidget, FlipsArePaintedWithTheWindowOrSoonAfter) {
    QWidget window;
    auto* lamp = new LampWidget(QColor(40, 220, 60), &window);
    lamp->repaintTimer().hold();  // "later" is when the test steps it
    lamp->settleTimer().hold();
    auto* text = new QLabel(QStringLiteral("1.00"), &window);
    text->move(40, 0);
    window.resize(120, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(test::settle());
    test::PaintRecord paints;
    const auto centre = [&] {  // a rendering of its own, not recorded
        const test::PaintRecord::Pause grabbing(paints);
        const QImage picture = lamp->grab().toImage();  // in device pixels
        return picture.pixelColor(picture.width() / 2, picture.height() / 2);
    };
    const QColor unlit = centre();

    for (int flip = 0; flip < 3; ++flip) {  // a message in three receive events
        lamp->setLit(!lamp->isLit());
        ASSERT_TRUE(test::settle());
    }
    EXPECT_FALSE(paints.painted(lamp)) << "flips alone wait for the window";
    EXPECT_TRUE(lamp->repaintTimer().isActive());
    text->setText(QStringLiteral("2.00"));  // the sample
    ASSERT_TRUE(test::settle());
    ASSERT_TRUE(paints.painted(lamp));
    EXPECT_EQ(paints.passesOf(lamp), paints.passesOf(text)) << "no pass of its own";
    EXPECT_FALSE(lamp->repaintTimer().isActive()) << "nothing is owed any more";
    EXPECT_TRUE(lamp->isLit());
    EXPECT_NE(centre(), unlit);

    paints.clear();
    lamp->setLit(false);  // bytes that make no sample
    ASSERT_TRUE(test::settle());
    EXPECT_FALSE(paints.painted(lamp)) << "not before kLatestRepaintMs";
    ASSERT_TRUE(lamp->repaintTimer().isActive());
    EXPECT_EQ(lamp->repaintTimer().interval(), LampWidget::kLatestRepaintMs);
    lamp->repaintTimer().step();  // kLatestRepaintMs have passed
    ASSERT_TRUE(test::settle());
    EXPECT_TRUE(paints.painted(lamp));
    EXPECT_EQ(centre(), unlit);
}

TEST_F(ToolBarTest, WidthsAreInTwips) {
    Tool* stateText = get("state", "state_text");
    stateText->setWidth(7500);
    EXPECT_EQ(stateText->comboBox()->width(), 500);
    Tool* language = get("Tools", "Language");
    language->setWidth(800);
    EXPECT_GE(language->widget()->minimumWidth(), language->widget()->sizeHint().width());
}

// The status list holds one to fifty messages, the newest shown alone in
// the band; each keeps the time it was posted.
TEST_F(ToolBarTest, StatusListHoldsOneToFiftyMessagesNewestShownEachWithItsTime) {
    Tool* status = get("state", "state_text");
    PostStatusMessage(*status, QStringLiteral("first"), QTime(14, 3, 12));
    PostStatusMessage(*status, QStringLiteral("second"), QTime(14, 3, 15));
    EXPECT_EQ(status->itemCount(), 2);
    EXPECT_EQ(status->text(), QStringLiteral("second"));
    EXPECT_EQ(status->comboBox()->itemData(0, kStatusTimeRole).toTime(), QTime(14, 3, 12));
    EXPECT_EQ(status->comboBox()->itemData(1, kStatusTimeRole).toTime(), QTime(14, 3, 15));
    for (int i = 3; i <= 50; ++i) {
        PostStatusMessage(*status, QStringLiteral("message %1").arg(i));
    }
    EXPECT_EQ(status->itemCount(), 50);
    PostStatusMessage(*status, QStringLiteral("fifty-first"));
    EXPECT_EQ(status->itemCount(), 1);
    EXPECT_EQ(status->item(0), QStringLiteral("fifty-first"));
    EXPECT_EQ(status->text(), QStringLiteral("fifty-first"));
}

// Every command of the catalogue is a tool of the control with the entry's
// checkable state, clicks on it (menu entry or button) come back as the same
// command, every key is one command's only, and the caption tables know it.
TEST_F(ToolBarTest, EveryCommandOfTheCatalogueIsAToolThatAnswersToItsName) {
    std::vector<QKeySequence> keys;
    for (const CommandEntry& e : commandCatalogue()) {
        SCOPED_TRACE(e.tool);
        EXPECT_FALSE(commandCaption(e.id).isEmpty());
        if (qstrcmp(e.band, "Viewer") == 0 || e.id == Command::Language) {
            continue;  // a viewer's own; one tool per language (captions_test)
        }
        Tool* t = bar.tool(e.id);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t, get(e.band, e.tool));
        EXPECT_EQ(t->kind(), ToolKind::Command);
        EXPECT_EQ(t->action()->isCheckable(), e.checkable);
        EXPECT_EQ(commandOf(t->band(), t->name()), e.id);
        if (e.onToolBar) {
            Tool* button = get("Tools", e.tool);
            EXPECT_EQ(commandOf(button->band(), button->name()), e.id);
        }
        const QKeySequence key = commandKey(e.id);
        if (!key.isEmpty()) {
            EXPECT_EQ(std::count(keys.begin(), keys.end(), key), 0) << key.toString().toStdString();
            keys.push_back(key);
        }
    }
    EXPECT_EQ(keys.size(), 7u);  // Open, Export, Print, Exit, Save, Copy, Refresh
    // The tools that are no commands stay out of the catalogue.
    for (StatusTool which :
         {StatusTool::Port, StatusTool::Language, StatusTool::PortLamp, StatusTool::ReceiveLamp,
          StatusTool::LinkState, StatusTool::Message, StatusTool::Model}) {
        Tool* t = bar.tool(which);
        ASSERT_NE(t, nullptr);
        EXPECT_FALSE(commandOf(t->band(), t->name()).has_value()) << t->name().toStdString();
    }
}

// The two readings of the stored language: every text follows the exact
// "CHT"; the link's text takes any letter case of it.
TEST(LanguageTest, OneRuleForTheTextsAndTheLinkTextsOwn) {
    struct Case {
        const char* stored;
        bool chinese;
        bool anyCase;
    };
    const Case cases[] = {{"CHT", true, true},   {"cht", false, true}, {"Cht", false, true},
                          {"ENG", false, false}, {"", false, false},   {"CHT ", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        QTemporaryDir dir;
        FileSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
        writeLanguageCode(store, QString::fromLatin1(c.stored));
        const Settings settings(store);
        EXPECT_EQ(chineseChosen(settings), c.chinese);
        EXPECT_EQ(chineseChosenAnyCase(settings), c.anyCase);
    }
}

}  // namespace
}  // namespace cellwatch
