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

// Each command says in the status band what it did, in the window's language.
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
            StatusSample sample = chargeSample();
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
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

// --- keyboard shortcuts -----------------------------------------------------------------------

TEST_F(CommandFeedbackTest, MenuShortcutsWorkWhereverTheFocusIs) {
    open();
    // Pressed anywhere in the window, the port box's text field included,
    // the keys run their commands, also while the menus are closed.
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
