// Taking the recording out: the cross-line cursor's point search, the table's
// CSV file, and the chart as picture files and printout.
#include <gtest/gtest.h>
#include <qcustomplot.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "chart/chart_export.h"
#include "chart/chart_view.h"
#include "readout/cursor_search.h"
#include "readout/row_store.h"
#include "readout/table_export.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

using charttest::kSecond;

// --- the point under the cursor --------------------------------------------------------

// On, between, left and right of the points the window's cursor tests
// show; here what they cannot aim at.
TEST(CursorSearch, NamedCases) {
    ChartView chart;
    for (int k = 0; k < 10; ++k) {  // 10, 13, ..., 37 s
        chart.addPoint(kSeriesVoltage, (10 + 3 * k) * kSecond, 12.0);
    }
    for (int k = 0; k < 3; ++k) {  // the time origin moved: 1, 4, 7 s
        chart.addPoint(kSeriesVoltage, (1 + 3 * k) * kSecond, 12.0);
    }
    const double x5 = chart.pointX(kSeriesVoltage, 5);
    const double x6 = chart.pointX(kSeriesVoltage, 6);
    const struct {
        const char* name;
        double seconds;
        std::optional<std::size_t> found;
    } cases[] = {
        {"on the older points' last", 37, 9},
        {"right of every point", 38, std::nullopt},
        {"before the older points: in the newer ones", 5, 11},
        {"on the newer points' first", 1, 10},
        {"on the newer points' last", 7, 12},
        {"between the two", 8, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findPointAtOrBefore(chart, kSeriesVoltage, c.seconds * kSecond), c.found)
            << c.name;
    }
    EXPECT_EQ(findPointAtOrBefore(chart, kSeriesVoltage, x6 - 1e-9), 5) << "just before 6";
    // Another series' points are not searched.
    EXPECT_EQ(findPointAtOrBefore(chart, kSeriesCurrent, x5), std::nullopt);
    chart.clearSeries(kSeriesVoltage);
    EXPECT_EQ(findPointAtOrBefore(chart, kSeriesVoltage, x5), std::nullopt) << "empty";
    for (double seconds : {1, 2, 2, 2, 3}) {
        chart.addPoint(kSeriesVoltage, seconds * kSecond, 12.0);
    }
    EXPECT_EQ(findPointAtOrBefore(chart, kSeriesVoltage, 2 * kSecond), 1)
        << "a repeated X: the first";
    EXPECT_EQ(findPointAtOrBefore(chart, kSeriesVoltage, 2.5 * kSecond), 3)
        << "and after: the last";
}

// --- the table as a CSV file -------------------------------------------------------------

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kHeader =
    "Time,Type,'+CHG/DIS-,Ext.Temp(\xE2\x84\x83),In.Temp(\xE2\x84\x83),In.Volt(V),Bat.Volt(V),"
    "Curr(A),Cap(mAh),Power(W),C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12\r\n";

// An empty table gives the header row alone, replacing the older file; rows
// follow it with CR LF endings and quoted where needed; a text a spreadsheet
// would take as a formula (+CHG+) is written as text ('+CHG+).
TEST(TableExport, WritesBomHeaderAndRowsWithCrLfAndQuoting) {
    QTemporaryDir dir;
    RowStore table;
    const QString file = dir.filePath(QStringLiteral("table.csv"));
    writeFile(file, QByteArray(100000, 'x'));
    EXPECT_TRUE(exportTableCsv(table, file));
    EXPECT_EQ(readAll(file), kBom + kHeader);

    table.appendTabText(
        QStringLiteral("0:00:01\tLiIo/Po/Fe\t+CHG+\t25\t31\t12.50\t16.80\t1.50\t120\t"
                       "25.20\t4.2\t4.2\t4.2\t4.2\t0\t0\t0\t0\t0\t0\t0\t0"));
    table.appendTabText(QString::fromUtf8("0:00:03\tPack, \"spare\"\ttwo\nlines\t25℃\t"));
    table.appendTabText(QStringLiteral("0:00:05\t\"\t,\t\r"));

    EXPECT_TRUE(exportTableCsv(table, file));

    const QByteArray expected =
        kBom + kHeader +
        "0:00:01,LiIo/Po/Fe,'+CHG+,25,31,12.50,16.80,1.50,120,25.20,4.2,4.2,4.2,4.2,0,0,0,0,0,0,0,"
        "0\r\n"
        "0:00:03,\"Pack, \"\"spare\"\"\",\"two\nlines\",25\xE2\x84\x83,,,,,,,,,,,,,,,,,,\r\n"
        "0:00:05,\"\"\"\",\",\",\"'\r\",,,,,,,,,,,,,,,,,,\r\n";
    EXPECT_EQ(readAll(file), expected);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("table.csv")});
}

// A span of rows: the header row and those rows alone, a span reaching past
// the table cut to the rows there are.
TEST(TableExport, WritesTheHeaderAndASpanOfRows) {
    QTemporaryDir dir;
    RowStore table;
    for (int k = 1; k <= 5; ++k) {
        table.appendTabText(QStringLiteral("0:00:0%1\tx").arg(k));
    }
    const auto line = [](int k) {
        return QStringLiteral("0:00:0%1,x,,,,,,,,,,,,,,,,,,,,\r\n").arg(k).toUtf8();
    };
    const struct {
        int first, last;
        std::vector<int> rows;
    } cases[] = {
        {2, 4, {2, 3, 4}}, {3, 3, {3}}, {0, 2, {1, 2}}, {4, 99, {4, 5}}, {4, 3, {}}, {7, 9, {}},
    };
    const QString file = dir.filePath(QStringLiteral("span.csv"));
    for (const auto& c : cases) {
        ASSERT_TRUE(exportTableRowsCsv(table, file, c.first, c.last));
        QByteArray want = kBom + kHeader;
        for (int k : c.rows) {
            want += line(k);
        }
        EXPECT_EQ(readAll(file), want) << c.first << "-" << c.last;
    }
}

TEST(TableExport, CancellingLeavesNoFileAndAnOlderFileUntouched) {
    RowStore table;
    constexpr int kRows = 5000;
    for (int i = 0; i < kRows; ++i) {
        table.appendTabText(QStringLiteral("0:00:%1\tNi-MH\t+CHG+\t25\t30\t12.00\t%2.00\t1.00\t%3")
                                .arg(i % 60, 2, 10, QLatin1Char('0'))
                                .arg(i % 50)
                                .arg(i));
    }
    for (int cancelAt : {1, 2, 3}) {  // the first report, or a later one
        for (bool older : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "cancel at report " << cancelAt
                                              << (older ? ", older file" : ", no file"));
            QTemporaryDir dir;
            const QString file = dir.filePath(QStringLiteral("cancelled.csv"));
            if (older) {
                writeFile(file, "older export\r\n");
            }
            int reports = 0;
            const bool done = exportTableCsv(table, file, [&](std::size_t, std::size_t total) {
                EXPECT_EQ(total, static_cast<std::size_t>(kRows));
                return ++reports < cancelAt;
            });
            EXPECT_FALSE(done);
            EXPECT_EQ(reports, cancelAt);
            EXPECT_EQ(entries(dir.path()),
                      older ? QStringList{QStringLiteral("cancelled.csv")} : QStringList{});
            if (older) {
                EXPECT_EQ(readAll(file), QByteArray("older export\r\n"));
            }
        }
    }

    // Not cancelled: the last report is all rows of all rows.
    QTemporaryDir dir;
    std::size_t lastDone = 0;
    std::size_t lastTotal = 0;
    EXPECT_TRUE(exportTableCsv(table, dir.filePath(QStringLiteral("full.csv")),
                               [&](std::size_t d, std::size_t t) {
                                   lastDone = d;
                                   lastTotal = t;
                                   return true;
                               }));
    EXPECT_EQ(lastDone, static_cast<std::size_t>(kRows));
    EXPECT_EQ(lastTotal, static_cast<std::size_t>(kRows));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("full.csv"))).count("\r\n"), kRows + 1);
}

// --- the chart as a picture and on paper ----------------------------------------------------

// The page size a PDF gives for its (first) page, in points.
QSizeF pdfPageSize(const QByteArray& pdf) {
    static const QRegularExpression box(
        QStringLiteral(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])"));
    const auto m = box.match(QString::fromLatin1(pdf));
    if (!m.hasMatch()) {
        return {};
    }
    return {m.captured(3).toDouble() - m.captured(1).toDouble(),
            m.captured(4).toDouble() - m.captured(2).toDouble()};
}

class ChartExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int k = 0; k < 20; ++k) {
            chart.addPoint(kSeriesVoltage, k * 5 * kSecond, 12 + k * 0.05);
            chart.addPoint(kSeriesCurrent, k * 5 * kSecond, 1.5);
        }
        chart.setAxisRange(ChartAxis::Bottom, 0, 173 * kSecond);
        chart.addTitleLine(QStringLiteral("LiIo/Po/Fe/+CHG+"));
        charttest::showChart(chart, {640, 360});
    }

    QTemporaryDir dir;
    ChartView chart;
};

// Saving over an older file replaces it.
TEST_F(ChartExportTest, SavesEachFormatByItsSuffixAtTheChartsSize) {
    const struct {
        const char* file;
        QByteArray start;  // the format's magic bytes
        const char* imageFormat;
    } cases[] = {
        {"chart.png", "\x89PNG", "PNG"},    {"chart.jpg", "\xFF\xD8", "JPEG"},
        {"chart.JPEG", "\xFF\xD8", "JPEG"}, {"chart.bmp", "BM", "BMP"},
        {"chart", "\x89PNG", "PNG"},  // no known suffix: PNG
        {"chart.pdf", "%PDF", nullptr},     {"chart.svg", {}, nullptr},
    };
    QStringList written;
    writeFile(dir.filePath(QStringLiteral("chart.png")), "not a picture");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString file = dir.filePath(QString::fromLatin1(c.file));
        saveChartPicture(chart, file);
        written << QString::fromLatin1(c.file);
        const QByteArray bytes = readAll(file);
        ASSERT_TRUE(bytes.startsWith(c.start));
        if (c.imageFormat) {
            QImage image;
            ASSERT_TRUE(image.loadFromData(bytes, c.imageFormat));
            EXPECT_EQ(image.size(), QSize(640, 360));
        }
    }
    // The PDF page and the SVG view box have the chart's proportions.
    const QSizeF page = pdfPageSize(readAll(dir.filePath(QStringLiteral("chart.pdf"))));
    ASSERT_FALSE(page.isEmpty());
    EXPECT_NEAR(page.width() / page.height(), 640.0 / 360.0, 0.01);
    const QByteArray svg = readAll(dir.filePath(QStringLiteral("chart.svg")));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 640 360\""));

    // Nothing but the pictures is left in the folder.
    written.sort();
    QStringList found = entries(dir.path());
    found.sort();
    EXPECT_EQ(found, written);
}

// A saved drawing is as wide as the chart on screen in its own units, so
// its text must have the on-screen pixel size to keep its size relative to
// the chart: axis titles, tick labels and the chart title alike.
TEST_F(ChartExportTest, SvgTextHasItsOnScreenSize) {
    const QString file = dir.filePath(QStringLiteral("chart.svg"));
    saveChartPicture(chart, file);
    const QString svg = QString::fromUtf8(readAll(file));
    const auto onScreen = [&](const QFont& font) {
        return font.pixelSize() > 0 ? font.pixelSize()
                                    : font.pointSizeF() * chart.plot()->logicalDpiY() / 72.0;
    };
    const auto inSvg = [&](const QString& text) {
        const QRegularExpression element(QStringLiteral("<text[^>]*font-size=\"([\\d.]+)\"[^>]*>") +
                                         QRegularExpression::escape(text) +
                                         QStringLiteral("</text>"));
        const auto m = element.match(svg);
        return m.hasMatch() ? m.captured(1).toDouble() : -1.0;
    };
    const auto* title = qobject_cast<QCPTextElement*>(chart.plot()->plotLayout()->element(0, 0));
    ASSERT_NE(title, nullptr);
    const struct {
        const char* text;
        QFont font;
    } cases[] = {
        {"Voltage(V)", chart.axis(ChartAxis::Left)->labelFont()},
        {"Capacity(mAh)", chart.axis(ChartAxis::Capacity)->labelFont()},
        {"0:01:00", chart.axis(ChartAxis::Bottom)->tickLabelFont()},
        {"LiIo/Po/Fe/+CHG+", title->font()},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(inSvg(QString::fromLatin1(c.text)), onScreen(c.font), 0.5) << c.text;
    }
}

TEST_F(ChartExportTest, PrintsOneLandscapePage) {
    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageOrientation(QPageLayout::Portrait);
    printChart(chart, printer);

    const QByteArray pdf = readAll(file);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), 1);
    const QSizeF page = pdfPageSize(pdf);
    ASSERT_FALSE(page.isEmpty());
    EXPECT_GT(page.width(), page.height());
}

}  // namespace
}  // namespace cellwatch
