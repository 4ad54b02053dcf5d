// The pack dialog's fields: what a pack is (chemistry, cells, capacity, its
// own limits) and whether a recording is left out, kept whole through the
// dialog and its pack file; a known name bringing what the pack is; limits
// that cannot be kept refused with a message.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>

#include "app/pack_dialog.h"
#include "packs/pack_health.h"
#include "readout/pack_file.h"
#include "tests/support/installed_language.h"
#include "tests/support/journal_text.h"

namespace cellwatch {
namespace {

PackInfo packOf(const char* name, PackChemistry chemistry, int cells, double mah, double high,
                double low, bool leftOut, const char* note = "") {
    PackInfo p{QString::fromUtf8(name), QString::fromUtf8(note)};
    p.chemistry = chemistry;
    p.cells = cells;
    p.capacityMah = mah;
    p.cellHighV = high;
    p.cellLowV = low;
    p.leftOut = leftOut;
    return p;
}

TEST(PackFields, EveryFieldIsKeptThroughTheDialogAndItsPackFile) {
    QTemporaryDir dir;
    const PackInfo cases[] = {
        {},
        packOf("Race 4S", PackChemistry::LiPo, 4, 2200, 4.2, 3.3, false, "new cells"),
        packOf("Race 4S", PackChemistry::LiPo, 4, 2200, 0, 0, true),
        packOf("HV 6S", PackChemistry::LiHV, 6, 5000, 4.35, 0, false),
        packOf("Rx", PackChemistry::LiFe, 2, 1100, 0, 2.8, false),
        packOf("Tx", PackChemistry::NiMH, 8, 2500, 1.55, 0.95, false, "eneloop"),
        packOf("Starter", PackChemistry::Pb, 6, 7000, 2.4, 1.8, true),
        packOf("Torch", PackChemistry::LiIon, 3, 3400, 4.125, 2.925, false),
        packOf("", PackChemistry::NiCd, 12, 1000000, 0, 0, false),
        packOf("Unknown kind", PackChemistry::Unknown, 0, 0, 4.1, 3.1, false),
    };
    const QString journal = dir.filePath(QStringLiteral("cellwatch-20261201-090000.csv"));
    for (const bool chinese : {false, true}) {
        const test::InstalledLanguage installed(chinese ? Language::Chinese : Language::English);
        for (const PackInfo& given : cases) {
            SCOPED_TRACE(QStringLiteral("%1 %2 chinese=%3")
                             .arg(given.pack, chemistryName(given.chemistry))
                             .arg(chinese)
                             .toStdString());
            // Given at the start, and set afterwards over another pack.
            PackDialog started(given, {}, true);
            EXPECT_EQ(started.info(), given);
            EXPECT_TRUE(started.problem().isEmpty()) << started.problem().toStdString();
            PackDialog set(cases[1], {}, false);
            set.setInfo(given);
            EXPECT_EQ(set.info(), given);
            // Saved and read back.
            ASSERT_TRUE(writePackInfo(journal, started.info()));
            EXPECT_EQ(readPackInfo(journal), given);
            PackDialog reopened(readPackInfo(journal), {}, true);
            EXPECT_EQ(reopened.info(), given);
        }
    }
}

// Each limit box shows its chemistry's limit while it is empty, following
// the chemistry as it changes.
TEST(PackFields, EmptyLimitsShowTheChemistrysDefaults) {
    const struct {
        PackChemistry chemistry;
        const char* high;
        const char* low;
    } cases[] = {
        {PackChemistry::LiPo, "4.25 (the LiPo default)", "3.00 (the LiPo default)"},
        {PackChemistry::LiHV, "4.40 (the LiHV default)", "3.00 (the LiHV default)"},
        {PackChemistry::LiFe, "3.70 (the LiFe default)", "2.50 (the LiFe default)"},
        {PackChemistry::Pb, "2.45 (the Pb default)", "1.75 (the Pb default)"},
        {PackChemistry::Unknown, "(as in the alarm settings)", "(as in the alarm settings)"},
    };
    PackDialog dialog({QStringLiteral("P"), QString()}, {}, false);
    for (const auto& c : cases) {
        SCOPED_TRACE(chemistryName(c.chemistry).toStdString());
        dialog.chemistryBox().setCurrentIndex(
            dialog.chemistryBox().findData(static_cast<int>(c.chemistry)));
        EXPECT_EQ(dialog.cellHighBox().placeholderText(), QString::fromUtf8(c.high));
        EXPECT_EQ(dialog.cellLowBox().placeholderText(), QString::fromUtf8(c.low));
        EXPECT_EQ(dialog.info().chemistry, c.chemistry);
        EXPECT_EQ(dialog.info().cellHighV, 0);
    }
    const test::InstalledLanguage installed(Language::Chinese);
    PackDialog chinese(packOf("P", PackChemistry::LiFe, 0, 0, 0, 0, false), {}, false);
    EXPECT_EQ(chinese.cellHighBox().placeholderText(), QString::fromUtf8("3.70（LiFe 默认）"));
}

// A name the folder knows, chosen from the list or typed, brings what that
// pack is (from its newest recordings' pack files); a new name leaves the
// boxes as they are; the note stays the user's.
TEST(PackFields, AKnownNameFillsInWhatThePackIs) {
    QTemporaryDir dir;
    const auto journal = [&](const char* file, const PackInfo& pack) {
        const QString path = testing::writeFile(
            dir.filePath(QString::fromUtf8(file)),
            testing::journalText(QStringLiteral("2026-12-01T09:00:00+01:00"), {{1}}));
        ASSERT_TRUE(writePackInfo(path, pack));
    };
    // The older file says 3 cells; the newer one 4 and the limits.
    journal("cellwatch-20261101-090000.csv",
            packOf("Race 4S", PackChemistry::LiPo, 3, 1800, 0, 0, false, "old"));
    journal("cellwatch-20261201-090000.csv",
            packOf("Race 4S", PackChemistry::LiPo, 4, 2200, 4.2, 3.4, false, "newer"));
    journal("cellwatch-20261202-090000.csv",
            packOf("Rx LiFe", PackChemistry::LiFe, 2, 1100, 0, 0, false));
    const QString folder = dir.path();
    const PackDialog::PackLookup lookup = [folder](const QString& name) {
        return packDefinitionOfFolder(folder, name);
    };
    const PackInfo race = packOf("Race 4S", PackChemistry::LiPo, 4, 2200, 4.2, 3.4, false, "mine");
    const PackInfo rx = packOf("Rx LiFe", PackChemistry::LiFe, 2, 1100, 0, 0, false, "mine");
    PackInfo fresh = rx;
    fresh.pack = QStringLiteral("Brand new");

    const struct {
        const char* name;
        std::function<void(QComboBox&)> choose;
        PackInfo expected;
    } cases[] = {
        {"chosen from the list",
         [](QComboBox& box) { box.setCurrentIndex(box.findText(QStringLiteral("Race 4S"))); },
         race},
        {"typed", [](QComboBox& box) { box.setEditText(QStringLiteral("Race 4S")); }, race},
        {"typed with blanks", [](QComboBox& box) { box.setEditText(QStringLiteral(" Rx LiFe ")); },
         rx},
        // After Rx LiFe, a new name keeps Rx LiFe's figures to be changed.
        {"a new name",
         [](QComboBox& box) {
             box.setEditText(QStringLiteral("Rx LiFe"));
             box.setEditText(QStringLiteral("Brand new"));
         },
         fresh},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackDialog dialog(packOf("", PackChemistry::NiMH, 8, 500, 1.5, 1.0, false, "mine"),
                          {QStringLiteral("Race 4S"), QStringLiteral("Rx LiFe")}, false, nullptr,
                          lookup);
        dialog.nameBox().setCurrentIndex(-1);
        c.choose(dialog.nameBox());
        EXPECT_EQ(dialog.info(), c.expected);
    }
    // The pack the dialog starts with is kept as given, not looked up.
    const PackInfo given = packOf("Race 4S", PackChemistry::LiPo, 5, 0, 0, 0, true);
    EXPECT_EQ(PackDialog(given, {QStringLiteral("Race 4S")}, true, nullptr, lookup).info(), given);
    EXPECT_EQ(packDefinitionOfFolder(folder, QStringLiteral("Nobody")), std::nullopt);
}

// Limits that cannot be kept are refused by OK with a message saying why;
// the dialog stays open with what was typed. Those that can be kept close it.
TEST(PackFields, BadLimitsAreRefusedWithAMessage) {
    const struct {
        PackChemistry chemistry;
        const char* high;
        const char* low;
        const char* says;  // "" when kept
        double keptHigh;
        double keptLow;
    } cases[] = {
        {PackChemistry::LiPo, "abc", "",
         "Cell high is no number: give 0.5 to 5 V, or leave it empty", 0, 0},
        {PackChemistry::LiPo, "", "3..1",
         "Cell low is no number: give 0.5 to 5 V, or leave it empty", 0, 0},
        {PackChemistry::LiPo, "6", "", "Cell high must be from 0.5 to 5 V (empty: the chemistry's)",
         0, 0},
        {PackChemistry::LiPo, "", "0.3",
         "Cell low must be from 0.5 to 5 V (empty: the chemistry's)", 0, 0},
        {PackChemistry::LiPo, "nan", "",
         "Cell high is no number: give 0.5 to 5 V, or leave it empty", 0, 0},
        {PackChemistry::LiPo, "3.5", "3.6", "Cell low (3.60 V) must be below cell high (3.50 V)", 0,
         0},
        {PackChemistry::LiPo, "4.2", "4.2", "Cell low (4.20 V) must be below cell high (4.20 V)", 0,
         0},
        // Against the chemistry's high when the pack has none of its own.
        {PackChemistry::LiFe, "", "3.8", "Cell low (3.80 V) must be below cell high (3.70 V)", 0,
         0},
        {PackChemistry::LiPo, "4,2", "3.3 V", "", 4.2, 3.3},
        {PackChemistry::LiPo, " 5 ", "0.5", "", 5.0, 0.5},
        {PackChemistry::Unknown, "", "3.9", "", 0, 3.9},
        {PackChemistry::LiPo, "0", "", "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.high) + " / " + c.low);
        PackDialog dialog(packOf("P", c.chemistry, 4, 0, 0, 0, false), {}, false);
        dialog.show();
        dialog.cellHighBox().setText(QString::fromUtf8(c.high));
        dialog.cellLowBox().setText(QString::fromUtf8(c.low));
        dialog.accept();
        if (*c.says != '\0') {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            EXPECT_FALSE(dialog.problemText().isHidden());
            EXPECT_EQ(dialog.problemText().text(), QString::fromUtf8(c.says));
            EXPECT_EQ(dialog.cellHighBox().text(), QString::fromUtf8(c.high));
        } else {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(dialog.problemText().isHidden());
            EXPECT_DOUBLE_EQ(dialog.info().cellHighV, c.keptHigh);
            EXPECT_DOUBLE_EQ(dialog.info().cellLowV, c.keptLow);
        }
    }
    // In Chinese the message is Chinese; a switch of language while the
    // dialog is open says it again in the new one.
    const test::InstalledLanguage installed(Language::Chinese);
    PackDialog chinese(packOf("P", PackChemistry::LiPo, 4, 0, 0, 0, false), {}, true);
    chinese.show();
    chinese.cellLowBox().setText(QStringLiteral("4.3"));
    chinese.accept();
    EXPECT_EQ(chinese.problemText().text(),
              QString::fromUtf8("电芯欠压（4.30 V）必须低于电芯过压（4.25 V）"));
    EXPECT_EQ(chinese.leftOutBox().text(), QString::fromUtf8("不计入此电池组的历史"));
    test::InstalledLanguage::install(Language::German);
    EXPECT_EQ(chinese.problemText().text(),
              QString::fromUtf8("Zellspannung niedrig (4.30 V) muss unter Zellspannung hoch "
                                "(4.25 V) liegen"));
    EXPECT_EQ(chinese.windowTitle(), QStringLiteral("Akkupack"));
    EXPECT_EQ(chinese.cellsBox().specialValueText(), QStringLiteral("unbekannt"));
}

}  // namespace
}  // namespace cellwatch
