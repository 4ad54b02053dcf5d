#include "chart/data_table.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <string>

#include "protocol/reading_format.h"
#include "tests/protocol/decimal_text.h"
#include "tests/support/made_reading.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

using testing::d;

struct ReadingCase {
    const char* name;
    Reading reading;
    bool compact;  // stored as numbers rather than texts
};

Reading made(std::uint32_t ms, std::string_view type, std::string_view state, const char* volts,
             const char* amps, const char* capacity, int cells) {
    Reading r = testing::madeReading(type, state, 25, 31, "12.00", volts, amps, 0);
    r.elapsedMs = ms;
    r.capacity = d(capacity);
    for (int i = 0; i < cells; ++i) {
        r.cells[static_cast<std::size_t>(i)] = d("4.18") + Decimal::fromHundredths(i);
    }
    return r;
}

std::vector<ReadingCase> readingCases() {
    std::vector<ReadingCase> cases = {
        {"charge", made(65'000, "LiIo/Po/Fe", "+CHG+", "4.2", "1", "12", 1), true},
        {"discharge", made(1000, "Ni-MH", "-DSC-", "7.21", "-1.5", "850", 0), true},
        {"zeros", made(0, "Pb", "+CHG+", "0", "0", "0", 0), true},
        {"large capacity", made(90'061'000, "Ni-Cd", "-DSC-", "1.2", "-20", "99999", 0), true},
        {"12 cells", made(3'599'499, "LiIo/Po/Fe", "+CHG+", "50", "10", "5000", 12), true},
        {"odd type", made(499, "Unknown", "+CHG+", "2", "0.5", "1", 0), true},
        {"other type text", made(500, "Li-HV ", "?", "2", "0.5", "1", 0), true},
        // The "##0.00" fields show rounded values and stay compact.
        {"rounded fields", made(1000, "Pb", "-DSC-", "4.2049", "-0.005", "3", 0), true},
        // A cell or a plain field with more than two decimals is kept as text.
        {"three-decimal cell", made(1000, "LiIo/Po/Fe", "+CHG+", "4.1", "1", "1", 0), false},
        {"fractional temperature", made(2000, "Pb", "+CHG+", "4.1", "1", "1", 0), true},
    };
    cases[8].reading.cells[0] = d("4.123");
    cases[9].reading.extTemperature = d("25.5");
    return cases;
}

QString fieldText(const Reading& r, int field) {
    return QString::fromStdString(ReadingFormat::fieldText(r, field));
}

// Each reading goes in three times: as a reading and as the tab-separated
// texts of its fields (once with, once without the last tab).
TEST(DataTableModel, RowsReadBackAsTheReadingsFieldTexts) {
    DataTableModel table;
    std::size_t textRows = 0;
    for (const ReadingCase& c : readingCases()) {
        QString line;
        for (int field = 0; field < kRowFieldCount; ++field) {
            line += fieldText(c.reading, field) + QLatin1Char('\t');
        }
        table.store().append(c.reading);
        table.appendTabText(line);
        table.appendTabText(line.chopped(1));
        for (int row = table.gridRowCount() - 3; row < table.gridRowCount(); ++row) {
            EXPECT_EQ(table.gridText(row, 0), QString());
            for (int field = 0; field < kRowFieldCount; ++field) {
                EXPECT_EQ(table.gridText(row, field + 1), fieldText(c.reading, field))
                    << c.name << ", row " << row << ", field " << field;
            }
        }
        textRows += c.compact ? 0 : 3;
        EXPECT_EQ(table.store().textRowCount(), textRows) << c.name;
    }
    EXPECT_EQ(table.dataRowCount(), 3 * readingCases().size());
}

TEST(DataTableModel, TextsThatCannotBeStoredCompactlyAreKeptExactly) {
    const QString good = QStringLiteral(
        "0:00:01\tPb\t+CHG+\t25\t31\t12.00\t4.20\t1.00\t12\t4."
        "20\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0");
    const struct {
        int field;
        const char* text;
    } cases[] = {
        {0, "00:00:01"}, {0, "1 s"}, {3, "25.0"},  {4, "-0"},      {6, "4.2"},
        {7, "1.005"},    {8, ""},    {9, "4.200"}, {10, "4.1234"}, {8, "99999999999"},
    };
    DataTableModel table;
    for (const auto& c : cases) {
        QStringList fields = good.split(QLatin1Char('\t'));
        fields[c.field] = QString::fromUtf8(c.text);
        table.appendTabText(fields.join(QLatin1Char('\t')));
        for (int field = 0; field < kRowFieldCount; ++field) {
            EXPECT_EQ(table.gridText(table.gridRowCount() - 1, field + 1), fields[field]) << c.text;
        }
    }
    EXPECT_EQ(table.store().textRowCount(), std::size(cases));

    table.appendTabText(QStringLiteral("0:00:05\tPb"));  // short: the rest stays empty
    EXPECT_EQ(table.gridText(table.gridRowCount() - 1, 2), QStringLiteral("Pb"));
    EXPECT_EQ(table.gridText(table.gridRowCount() - 1, 22), QString());
}

// A tab inside a field (a recording file that is not tab-separated can hold
// one) shows as a blank whether the row is kept compactly or as texts.
TEST(DataTableModel, ATabInAFieldShowsAsABlankHoweverTheRowIsKept) {
    std::array<std::string, kRowFieldCount> fields = {
        "0:00:01", "Li\tPo", "+CHG+", "25", "31", "12.00", "4.20", "1.00", "12", "4.20", "0",
        "0",       "0",      "0",     "0",  "0",  "0",     "0",    "0",    "0",  "0",    "0"};
    DataTableModel table;
    for (const char* volts : {"4.20", "4.2"}) {  // compact, then kept as texts
        fields[kFieldVoltage] = volts;
        std::array<std::string_view, kRowFieldCount> texts;
        std::copy(fields.begin(), fields.end(), texts.begin());
        table.store().appendTexts(texts);
        EXPECT_EQ(table.gridText(table.gridRowCount() - 1, kFieldBatteryType + 1),
                  QStringLiteral("Li Po"))
            << volts;
    }
    EXPECT_EQ(table.store().textRowCount(), 1u);
}

TEST(DataTableModel, RowsComeAndGoThroughTheModelSignals) {
    const std::vector<ReadingCase> cases = readingCases();
    DataTableModel table;
    std::vector<int> inserted;
    int resets = 0;
    QObject::connect(&table, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int) { inserted.push_back(first); });
    QObject::connect(&table, &QAbstractItemModel::modelReset, [&] { ++resets; });
    for (const ReadingCase& c : cases) {
        table.store().append(c.reading);
    }
    EXPECT_EQ(inserted.size(), cases.size());
    EXPECT_EQ(inserted.back(), static_cast<int>(cases.size()) - 1);
    EXPECT_EQ(resets, 0);

    table.setGridRowCount(9);  // keeps rows 1..8, before the text row
    ASSERT_EQ(table.store().textRowCount(), 0u);
    table.store().append(cases[8].reading);  // a text row after them
    table.store().append(cases[9].reading);
    for (int row = 1; row <= 10; ++row) {
        EXPECT_EQ(table.gridText(row, 10),
                  fieldText(cases[static_cast<std::size_t>(row - 1)].reading, kFieldPower));
    }
    EXPECT_EQ(table.store().textRowCount(), 1u);

    table.setGridRowCount(1);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.store().textRowCount(), 0u);
    table.store().append(cases[1].reading);
    EXPECT_EQ(table.data(table.index(0, 8)).toString(), QStringLiteral("-1.50"));
}

class DataTableViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.setModel(&table);
        view.resize(600, 300);
        view.show();
        test::settle();
    }
    void appendRows(int count) {
        for (int i = 0; i < count; ++i) {
            table.store().append(readingCases()[0].reading);
        }
        test::settle();
    }

    DataTableModel table;
    DataTableView view;
};

TEST_F(DataTableViewTest, FollowsNewRowsOnlyWhileAtTheBottom) {
    QScrollBar* bar = view.verticalScrollBar();
    appendRows(100);
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);  // the user scrolls up
    appendRows(5);
    EXPECT_EQ(bar->value(), 10);

    bar->setValue(bar->maximum());  // and back down
    appendRows(5);
    EXPECT_EQ(bar->value(), bar->maximum());
    const QRect last = view.visualRect(table.index(table.rowCount() - 1, 1));
    EXPECT_TRUE(view.viewport()->rect().contains(last.center()));

    // Hidden (another tab in front), it owes the scroll and pays it when
    // shown again: the newest row is in view.
    view.hide();
    appendRows(40);
    appendRows(40);
    view.show();
    test::settle();
    EXPECT_EQ(bar->value(), bar->maximum());
    const QRect newest = view.visualRect(table.index(table.rowCount() - 1, 1));
    EXPECT_TRUE(view.viewport()->rect().contains(newest.center()));

    // Scrolled up before hiding, it stays where the user left it.
    bar->setValue(10);
    view.hide();
    appendRows(5);
    view.show();
    test::settle();
    EXPECT_EQ(bar->value(), 10);
}

TEST_F(DataTableViewTest, ColumnLayoutSurvivesSetUp) {
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(view.isColumnHidden(0));
        const int quantity = view.columnWidth(1);
        const int cell = view.columnWidth(11);
        EXPECT_NEAR(static_cast<double>(cell) / quantity, 35.0 / 75.0, 0.01);
        const QFontMetrics header(view.horizontalHeader()->font());
        for (int column = 1; column < kTableColumnCount; ++column) {
            EXPECT_EQ(view.columnWidth(column), column <= 10 ? quantity : cell) << column;
            EXPECT_LT(header.horizontalAdvance(DataTableModel::headerText(column)),
                      view.columnWidth(column))
                << column;
        }
        EXPECT_LT(view.fontMetrics().horizontalAdvance(QStringLiteral("4.123")), cell);
        table.setUpTable();  // a model reset rebuilds the header's sections
    }
}

// The quick test of a number's text agrees with parsing and formatting it
// again, for every field kind, on the program's own texts and on near misses.
TEST(DataTableNumbers, QuickTextTestAgreesWithFormatting) {
    std::vector<std::string> texts;
    for (std::int64_t h = -25'000; h <= 25'000; h += 7) {
        const Decimal v = Decimal::fromHundredths(h);
        texts.push_back(v.format(kFormat2));
        texts.push_back(v.plainText());
    }
    for (const char* odd :
         {"",      "-",          ".",           "1.",          ".5",          "01",     "-0",
          "-0.00", "0.0",        "1.10",        "1.234",       "+1",          "1e3",    " 1",
          "1 ",    "2147483647", "21474836.47", "21474836.48", "99999999.99", "12.3.4", "--1",
          "1,5",   "00.00",      "-.5"}) {
        texts.emplace_back(odd);
    }
    for (const int field : {kFieldVoltage, kFieldCurrent, kFieldCapacity, kFieldCell1,
                            kFieldExtTemperature, kFieldPower}) {
        for (const std::string& text : texts) {
            std::int32_t quick = 0;
            std::int32_t slow = 0;
            const bool q = RowStore::storeNumberQuickly(text, field, quick);
            const bool s = RowStore::storeNumberByFormatting(text, field, slow);
            ASSERT_EQ(q, s) << "field " << field << " text \"" << text << "\"";
            if (q) {
                ASSERT_EQ(quick, slow) << text;
            }
        }
    }
}

}  // namespace
}  // namespace cellwatch
