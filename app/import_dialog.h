// File > Import…: other tools' logs (ToolkitRC SD-card logs, OpenFormat
// lines, this program's tables from another computer) into the recordings
// folder, filed under a pack. Files are chosen in a file dialog with a
// filter for each kind, the pack from the packs the folder knows or typed,
// and a date for logs that do not tell theirs; the files are then imported
// one after the other (the window stays usable between them), a progress
// bar counting them, and each gets a line in the result list: imported,
// skipped as already imported, or refused and why.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

#include "import/log_import.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QDateEdit;
class QDialogButtonBox;
class QFileDialog;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace cellwatch {

class ImportDialog final : public QDialog {
    Q_OBJECT
public:
    ImportDialog(QString folder, QString programVersion, QWidget* parent = nullptr);
    ~ImportDialog() override;

    // The file dialog "Choose files…" opens: not yet shown.
    std::unique_ptr<QFileDialog> makeFileDialog();
    void setFiles(const QStringList& files);
    QStringList files() const { return files_; }

    QComboBox& packBox() const { return *pack_; }
    QCheckBox& dateWanted() const { return *dateWanted_; }
    QDateEdit& dateBox() const { return *date_; }
    QPushButton& importButton() const { return *import_; }
    QProgressBar& progress() const { return *progress_; }
    QListWidget& results() const { return *results_; }
    const std::vector<logimport::ImportResult>& outcomes() const { return outcomes_; }
    bool running() const { return next_ < files_.size() && importer_ != nullptr; }

signals:
    // The last file is done.
    void finished();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showChosen();
    void chooseFiles();
    void start();
    void importNext();
    void showResult(const logimport::ImportResult& result);

    QString folder_;
    QString programVersion_;
    QStringList files_;
    QLabel* intro_ = nullptr;
    QPushButton* choose_ = nullptr;
    QFormLayout* form_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QLabel* chosen_ = nullptr;
    QComboBox* pack_ = nullptr;
    QCheckBox* dateWanted_ = nullptr;
    QDateEdit* date_ = nullptr;
    QPushButton* import_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QListWidget* results_ = nullptr;
    std::unique_ptr<logimport::Importer> importer_;
    qsizetype next_ = 0;
    std::vector<logimport::ImportResult> outcomes_;
};

}  // namespace cellwatch
