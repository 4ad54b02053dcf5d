// File > Import…'s dialog through the real widgets: its file dialog's
// filters, and a run of several files with the result list and progress.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "app/import_dialog.h"
#include "tests/support/journal_text.h"
#include "tests/support/window_test_support.h"

namespace cellwatch {
namespace {

QString fixture(const char* name) {
    return QStringLiteral(CELLWATCH_IMPORT_DATA "/") + QLatin1String(name);
}

TEST(ImportDialogTest, TheFileDialogOffersEachKindOfLog) {
    QTemporaryDir dir;
    ImportDialog dialog(dir.path(), QStringLiteral("1.10.0"));
    const std::unique_ptr<QFileDialog> files = dialog.makeFileDialog();
    EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFiles);
    const QStringList filters = files->nameFilters();
    for (const char* kind :
         {"ToolkitRC SD-card logs (*.xls *.XLS)", "OpenFormat logs (*.txt *.log)",
          "Cellwatch tables and journals (*.csv *.CSV *.txt)"}) {
        EXPECT_TRUE(filters.contains(QLatin1String(kind))) << kind;
    }
    // What is chosen in it is what the dialog imports.
    files->setDirectory(QStringLiteral(CELLWATCH_IMPORT_DATA));
    files->selectFile(QStringLiteral("2024-09-16_21-23-32.xls"));
    static_cast<QDialog&>(*files).accept();  // as its Open button does
    dialog.setFiles(files->selectedFiles());
    EXPECT_EQ(dialog.files(), QStringList{fixture("2024-09-16_21-23-32.xls")});
    EXPECT_TRUE(dialog.importButton().isEnabled());
}

TEST(ImportDialogTest, SeveralFilesAreImportedSkippedOrRefusedEachWithItsLine) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recordings"));
    const QString damaged =
        testing::writeFile(dir.filePath(QStringLiteral("damaged.xls")), "==Items==\n==Data==\n");
    ImportDialog dialog(folder, QStringLiteral("1.10.0"));
    dialog.setFiles(
        {fixture("2024-09-16_21-23-32.xls"), damaged, fixture("2024-09-16_21-23-32.xls")});
    dialog.packBox().setCurrentText(QStringLiteral("Race 4S"));
    QSignalSpy finished(&dialog, &ImportDialog::finished);
    dialog.importButton().click();
    EXPECT_FALSE(dialog.importButton().isEnabled()) << "one run at a time";
    ASSERT_TRUE(finished.wait(30'000));
    EXPECT_EQ(dialog.progress().value(), 3);
    EXPECT_EQ(dialog.progress().maximum(), 3);
    ASSERT_EQ(dialog.results().count(), 3);
    EXPECT_EQ(dialog.results().item(0)->text(),
              QStringLiteral(
                  "2024-09-16_21-23-32.xls: imported as cellwatch-20240916-212332.csv (100 rows)"));
    EXPECT_EQ(
        dialog.results().item(1)->text(),
        QStringLiteral(
            "damaged.xls: refused: line 2: the ==Data== section holds no row (as ToolkitRC log)"));
    EXPECT_EQ(dialog.results().item(2)->text(),
              QStringLiteral("2024-09-16_21-23-32.xls: skipped, already imported as "
                             "cellwatch-20240916-212332.csv"));
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.csv")}).size(), 1);
    // The pack is known now: the next import offers it.
    ImportDialog next(folder, QStringLiteral("1.10.0"));
    EXPECT_GE(next.packBox().findText(QStringLiteral("Race 4S")), 0);
}

using ImportWindowTest = windowtest::WindowTest;

// The window's File > Import… opens the dialog on the window's own
// recordings folder: what it imports is in the window's Recordings.
TEST_F(ImportWindowTest, FileImportPutsTheLogAmongTheWindowsRecordings) {
    open();
    bool shown = false;
    onDialog = [&](QDialog& dialog) {
        auto& import = dynamic_cast<ImportDialog&>(dialog);
        shown = true;
        import.setFiles({fixture("2024-09-16_21-23-32.xls")});
        import.packBox().setCurrentText(QStringLiteral("Race 4S"));
        QSignalSpy finished(&import, &ImportDialog::finished);
        import.importButton().click();
        ASSERT_TRUE(finished.wait(30'000));
    };
    ASSERT_NE(tool("file1", "Import"), nullptr);
    click("file1", "Import");
    EXPECT_TRUE(shown);
    EXPECT_EQ(
        journalFiles(),
        QStringList{QDir(journals()).filePath(QStringLiteral("cellwatch-20240916-212332.csv"))});
}

}  // namespace
}  // namespace cellwatch
