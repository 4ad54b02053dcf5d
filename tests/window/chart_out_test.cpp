// Taking the recording out of the window, as the user meets it: Copy with
// the table shown puts its rows on the clipboard for a spreadsheet, and Save
// and Print draw the chart on white paper with the recording's caption.
// Through the real window, its commands, the clipboard and the files written.
#include <qcustomplot.h>

#include <QAction>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>

#include "app/chart_commands.h"
#include "app/tab_control.h"
#include "chart/data_table.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class ChartOutTest : public WindowTest {
protected:
    // A recording of `count` lithium rows with four cells, 3 s apart.
    void feedRows(int count) {
        w->recording().begin();
        for (int k = 0; k < count; ++k) {
            if (k > 0) {
                advance(3000);
            }
            Reading s = madeReading("LiIo/Po/Fe", "+CHG+", 25, 30, "12.5", "16.8", "1.5",
                                    100 * (k + 1), {"4.2", "4.21", "4.19", "4.2"});
            s.elapsedMs = static_cast<std::uint32_t>(1000 + 3000 * k);
            w->recording().AcceptSample(s);
        }
    }
};

// With "Real-time data" in front, Copy (the command and Ctrl+C in the
// table) puts the selected rows, or every row, on the clipboard as a
// spreadsheet pastes them: the header line, then the rows, between tabs.
// With the chart in front it is the chart's picture again.
TEST_F(ChartOutTest, CopyTakesTheTablesRowsWhileTheTableIsShown) {
    open();
    feedRows(4);
    ASSERT_EQ(rows(), 4);
    w->tabs().setCurrentPage(1);
    DataTableView& view = w->tableView();
    // The text grid rows `chosen` (1 the first) should give, after the header.
    const auto expected = [&](std::vector<int> chosen) {
        chosen.insert(chosen.begin(), 0);
        QString text;
        for (int row : chosen) {
            QStringList cells;
            for (int column = 1; column < kTableColumnCount; ++column) {
                cells << w->table().gridText(row, column);
            }
            text += cells.join(u'\t') + u'\n';
        }
        return text;
    };
    const struct {
        std::vector<int> selected;  // view rows, in the order clicked
        bool byKey;
        const char* said;
    } cases[] = {
        {{}, false, "Copied 4 rows of the table"},
        {{2, 0}, false, "Copied 2 rows of the table"},
        {{3}, true, nullptr},
        {{1, 2}, true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.selected.size() << " selected, key " << c.byKey);
        view.clearSelection();
        std::vector<int> grid;
        for (int row : c.selected) {
            view.selectionModel()->select(w->table().index(row, 1),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
            grid.push_back(row + 1);
        }
        std::sort(grid.begin(), grid.end());
        if (grid.empty()) {
            grid = {1, 2, 3, 4};
        }
        QApplication::clipboard()->clear();
        if (c.byKey) {
            view.setFocus();
            QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        } else {
            click("View1", "Copy");
            EXPECT_EQ(statusText(), QString::fromLatin1(c.said));
        }
        const QString text = QApplication::clipboard()->text();
        EXPECT_EQ(text.toStdString(), expected(grid).toStdString());
        EXPECT_TRUE(text.startsWith(QStringLiteral("Time\tType\t"))) << text.left(40).toStdString();
    }
    w->tabs().setCurrentPage(0);
    QApplication::clipboard()->clear();
    click("View1", "Copy");
    EXPECT_EQ(statusText(), QStringLiteral("Copied the chart"));
    EXPECT_EQ(QApplication::clipboard()->pixmap().size(), w->chart().plot()->size());
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

// Ghostscript's reading of a PDF: its text, or its first page as a picture.
QByteArray ghostscript(const QString& pdf, const QString& device, const QString& out) {
    QProcess gs;
    gs.start(QStringLiteral("gs"),
             {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
              QStringLiteral("-r40"), QStringLiteral("-sDEVICE=") + device,
              QStringLiteral("-sOutputFile=") + out, pdf});
    if (!gs.waitForFinished(60000) || gs.exitCode() != 0) {
        return {};
    }
    return readAll(out);
}

// Whether `image` is white paper with the chart's dark ink on it: its
// corners white, and in its lowest fifth (the caption) dark pixels.
bool lightWithCaption(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1)}) {
        if (qGray(image.pixel(corner)) < 240) {
            return false;
        }
    }
    for (int y = h * 4 / 5; y < h; ++y) {
        for (int x = 0; x < w / 2; ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                return true;
            }
        }
    }
    return false;
}

// Save and Print put the chart on white paper with the recording's caption
// (start, battery, capacity) under it; the chart on screen keeps its dark
// panel; Copy stays the screen's picture.
TEST_F(ChartOutTest, SavedAndPrintedChartsAreLightAndCarryTheCaption) {
    QTemporaryDir out;
    open();
    feedRows(3);
    const QImage screenBefore = w->chart().toPixmap().toImage();

    saveAnswer = out.filePath(QStringLiteral("chart.png"));
    click("View1", "Save");
    QImage png;
    ASSERT_TRUE(png.load(saveAnswer));
    EXPECT_TRUE(lightWithCaption(png));
    if (const QByteArray shots = qgetenv("CELLWATCH_SHOTS"); !shots.isEmpty()) {
        png.save(QString::fromLocal8Bit(shots) + QStringLiteral("/saved-chart.png"));
    }

    saveAnswer = out.filePath(QStringLiteral("chart.svg"));
    click("View1", "Save");
    const QByteArray svg = readAll(saveAnswer);
    EXPECT_TRUE(svg.contains(">Start 2024-03-09")) << svg.right(2000).toStdString();
    EXPECT_TRUE(svg.contains(">Capacity ")) << svg.right(2000).toStdString();

    // The screen is as it was.
    EXPECT_EQ(w->chart().toPixmap().toImage(), screenBefore);
    QApplication::clipboard()->clear();
    click("View1", "Copy");
    EXPECT_EQ(qGray(QApplication::clipboard()->image().pixel(0, 0)),
              qGray(screenBefore.pixel(0, 0)));

    // With the cells' curves shown, the key under the caption names each cell.
    EXPECT_FALSE(svg.contains(">C1</text>"));
    w->pane().setCellCurves(true);
    click("View1", "Save");
    EXPECT_TRUE(readAll(saveAnswer).contains(">C1</text>"));
    w->pane().setCellCurves(false);

    // View > "Save and print on white paper" off: the screen's colours,
    // kept in the settings.
    QAction* paper = w->toolBar().tool(Command::WhitePaper)->action();
    ASSERT_NE(paper, nullptr);
    EXPECT_TRUE(paper->isChecked());
    paper->trigger();
    EXPECT_FALSE(whitePaper(*settings));
    saveAnswer = out.filePath(QStringLiteral("dark.png"));
    click("View1", "Save");
    QImage dark;
    ASSERT_TRUE(dark.load(saveAnswer));
    EXPECT_EQ(dark.pixel(0, 0), screenBefore.pixel(0, 0));
    paper->trigger();
    EXPECT_TRUE(whitePaper(*settings));

    const QString saved = out.filePath(QStringLiteral("chart.pdf"));
    saveAnswer = saved;
    click("View1", "Save");
    printFile = out.filePath(QStringLiteral("printed.pdf"));
    printAnswer = true;
    click("file1", "Print");
    EXPECT_TRUE(failures.isEmpty()) << failureText();
    if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty()) {
        GTEST_SKIP() << "no Ghostscript here to read the PDFs";
    }
    for (const QString& pdf : {saved, printFile}) {
        SCOPED_TRACE(pdf.toStdString());
        const QByteArray text =
            ghostscript(pdf, QStringLiteral("txtwrite"), out.filePath(QStringLiteral("t.txt")));
        // Ghostscript's text has tabs between the words.
        EXPECT_TRUE(text.contains("Capacity") && text.contains("mAh") && text.contains("Start"))
            << text.toStdString();
        const QByteArray page =
            ghostscript(pdf, QStringLiteral("png16m"), out.filePath(QStringLiteral("p.png")));
        QImage picture;
        ASSERT_TRUE(picture.loadFromData(page, "PNG"));
        // A dark panel would cover most of the page.
        qint64 inked = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                inked += qGray(picture.pixel(x, y)) < 100 ? 1 : 0;
            }
        }
        EXPECT_LT(inked * 5, qint64(picture.width()) * picture.height());
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
