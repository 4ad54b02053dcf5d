// What the window's commands tell the user and how they are reached: each
// says in the status band what it did, and their keys work wherever the
// focus is in the window.
#include <qcustomplot.h>

#include <QAction>
#include <QClipboard>
#include <QDir>

#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

using CommandFeedbackTest = WindowTest;

// A charging sample as the decoders hand it over.
StatusSample charge() {
    StatusSample s;
    s.batteryType = "LiIo/Po/Fe";
    s.state = "+CHG+";
    s.extTemperature = Decimal::fromInt(25);
    s.intTemperature = Decimal::fromInt(30);
    s.inputVoltage = Decimal::fromInt(12);
    s.voltage = Decimal::fromHundredths(1680);
    s.current = Decimal::fromHundredths(150);
    s.capacity = Decimal::fromInt(120);
    s.power = "25.200";
    return s;
}

// Each command says in the status band what it did, in the window's
// language; a cancelled one says nothing.
TEST_F(CommandFeedbackTest, CommandsSayWhatTheyDidInTheStatusBand) {
    QTemporaryDir out;
    const QString table = out.filePath(QStringLiteral("table.csv"));
    const QString picture = out.filePath(QStringLiteral("chart.png"));
    const QString tableShown = QDir::toNativeSeparators(table);
    const QString pictureShown = QDir::toNativeSeparators(picture);
    const struct {
        const char* language;
        int rows;
        QStringList said;  // after Export, Save, Copy and Print
    } cases[] = {
        {"ENG",
         1204,
         {QStringLiteral("Exported 1,204 rows to ") + tableShown,
          QStringLiteral("Saved the chart to ") + pictureShown, QStringLiteral("Copied the chart"),
          QStringLiteral("Printed the chart")}},
        {"ENG", 1, {QStringLiteral("Exported 1 row to ") + tableShown}},
        {"CHT",
         1204,
         {QString::fromUtf8("已导出 1,204 行到 ") + tableShown,
          QString::fromUtf8("已将图表保存到 ") + pictureShown, QString::fromUtf8("已复制图表"),
          QString::fromUtf8("已打印图表")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.language << " " << c.rows);
        open(QString::fromLatin1(c.language));
        w->recording().begin();
        for (int k = 1; k <= c.rows; ++k) {
            advance(1000);
            StatusSample sample = charge();
            sample.elapsedMs = static_cast<std::uint32_t>(1000 * k);
            w->recording().AcceptSample(sample);
        }
        ASSERT_EQ(rows(), c.rows);
        Tool* status = tool("state", "state_text");
        QStringList said;
        saveAnswer = table;
        click("file1", "Export");
        said << status->text();
        if (c.said.size() > 1) {
            saveAnswer = picture;
            click("View1", "Save");
            said << status->text();
            click("View1", "Copy");
            said << status->text();
            printFile = out.filePath(QStringLiteral("printed.pdf"));
            printAnswer = true;
            click("file1", "Print");
            said << status->text();
        }
        EXPECT_EQ(said, c.said);

        const int messages = status->itemCount();
        saveAnswer.clear();
        printAnswer = false;
        for (auto [band, name] :
             {std::pair{"file1", "Export"}, {"View1", "Save"}, {"file1", "Print"}}) {
            click(band, name);
        }
        EXPECT_EQ(status->itemCount(), messages);
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

// --- keyboard shortcuts -----------------------------------------------------------------------

TEST_F(CommandFeedbackTest, MenuCommandsHaveTheirShortcuts) {
    open();
    const struct {
        const char* band;
        const char* tool;
        QKeySequence key;
    } cases[] = {
        {"file1", "Export", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"file1", "Print", QKeySequence(QKeySequence::Print)},
        {"View1", "Save", QKeySequence(QKeySequence::Save)},
        {"View1", "Copy", QKeySequence(QKeySequence::Copy)},
        {"Tools", "Refresh", QKeySequence(Qt::Key_F5)},
        {"file1", "Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto& c : cases) {
        QAction* action = tool(c.band, c.tool)->action();
        ASSERT_NE(action, nullptr) << c.tool;
        EXPECT_EQ(action->shortcut(), c.key) << c.tool;
        EXPECT_FALSE(c.key.isEmpty()) << c.tool;
        // Held by the window itself, so it works while the menu is closed.
        EXPECT_TRUE(w->actions().contains(action)) << c.tool;
    }

    // Pressed anywhere in the window, the port box's text field included,
    // the keys run their commands.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QWidget* portBox = tool("Tools", "com")->comboBox();
    saveAnswer.clear();
    printAnswer = false;
    for (QWidget* focus : {static_cast<QWidget*>(w.get()), portBox}) {
        SCOPED_TRACE(focus == portBox ? "in the port box" : "in the window");
        focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == focus; }))
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                            : "no focus");
        saveAsks.clear();
        printAsks.clear();
        QTest::keyClick(focus, Qt::Key_E, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_P, Qt::ControlModifier);
        ASSERT_EQ(saveAsks.size(), 2u);
        EXPECT_EQ(saveAsks[0].title, QStringLiteral("Export"));
        EXPECT_EQ(saveAsks[1].title, QStringLiteral("Save"));
        EXPECT_EQ(printAsks.size(), 1u);
        QApplication::clipboard()->clear();
        QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->pixmap().size(), w->chart().plot()->size());
        const int scans = ports.asked;
        QTest::keyClick(focus, Qt::Key_F5);
        EXPECT_EQ(ports.asked, scans + 1);
    }
    EXPECT_EQ(tool("Tools", "com")->text(), QStringLiteral("COM 3"));  // typed nothing
    QTest::keyClick(portBox, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w->isVisible());
}

}  // namespace
}  // namespace cellwatch::windowtest
