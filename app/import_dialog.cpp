#include "app/import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "packs/pack_history.h"
#include "readout/pack_file.h"

namespace cellwatch {

using logimport::ImportOutcome;
using logimport::ImportResult;

ImportDialog::ImportDialog(QString folder, QString programVersion, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)), programVersion_(std::move(programVersion)) {
    setWindowTitle(tr("Import logs"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("ToolkitRC SD-card logs, OpenFormat logs and tables of this "
                                "program from another computer become recordings of the pack "
                                "chosen below."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout;
    auto* choose = new QPushButton(tr("Choose files…"), this);
    chosen_ = new QLabel(tr("No file chosen"), this);
    auto* files = new QHBoxLayout;
    files->addWidget(choose);
    files->addWidget(chosen_, 1);
    form->addRow(tr("Files:"), files);
    pack_ = new QComboBox(this);
    pack_->setEditable(true);
    pack_->addItems(packNamesOfFolder(folder_));
    pack_->setCurrentText(QString());
    pack_->lineEdit()->setMaxLength(static_cast<int>(kPackNameLimit));
    pack_->lineEdit()->setPlaceholderText(tr("a known pack, or a new name"));
    form->addRow(tr("Pack:"), pack_);
    dateWanted_ = new QCheckBox(tr("Logs that do not tell their date were recorded on"), this);
    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setEnabled(false);
    auto* dated = new QHBoxLayout;
    dated->addWidget(dateWanted_);
    dated->addWidget(date_);
    form->addRow(tr("Date:"), dated);
    layout->addLayout(form);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setFormat(tr("%v of %m files"));
    layout->addWidget(progress_);
    results_ = new QListWidget(this);
    results_->setWordWrap(true);
    results_->setMinimumSize(520, 160);
    layout->addWidget(results_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    import_ = buttons->addButton(tr("Import"), QDialogButtonBox::AcceptRole);
    import_->setEnabled(false);
    layout->addWidget(buttons);

    connect(choose, &QPushButton::clicked, this, &ImportDialog::chooseFiles);
    connect(dateWanted_, &QCheckBox::toggled, date_, &QWidget::setEnabled);
    connect(pack_, &QComboBox::currentTextChanged, this,
            [this] { import_->setEnabled(!files_.isEmpty() && !running()); });
    // Import starts the work; the dialog stays open to show the results.
    disconnect(buttons, &QDialogButtonBox::accepted, this, nullptr);
    connect(import_, &QPushButton::clicked, this, &ImportDialog::start);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ImportDialog::~ImportDialog() = default;

std::unique_ptr<QFileDialog> ImportDialog::makeFileDialog() {
    auto dialog = std::make_unique<QFileDialog>(this, tr("Choose logs to import"));
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilters({
        tr("All logs that can be imported (*.xls *.XLS *.txt *.log *.csv *.CSV)"),
        tr("ToolkitRC SD-card logs (*.xls *.XLS)"),
        tr("OpenFormat logs (*.txt *.log)"),
        tr("Cellwatch tables and journals (*.csv *.CSV *.txt)"),
        tr("All files (*)"),
    });
    return dialog;
}

void ImportDialog::chooseFiles() {
    const std::unique_ptr<QFileDialog> dialog = makeFileDialog();
    if (dialog->exec() == QDialog::Accepted) {
        setFiles(dialog->selectedFiles());
    }
}

void ImportDialog::setFiles(const QStringList& files) {
    files_ = files;
    chosen_->setText(files.size() == 1 ? QFileInfo(files.front()).fileName()
                                       : tr("%n files", nullptr, static_cast<int>(files.size())));
    import_->setEnabled(!files_.isEmpty() && !running());
}

void ImportDialog::start() {
    if (files_.isEmpty() || running()) {
        return;
    }
    importer_ = std::make_unique<logimport::Importer>(logimport::ImportOptions{
        folder_, pack_->currentText(), dateWanted_->isChecked() ? date_->date() : QDate(),
        programVersion_});
    next_ = 0;
    outcomes_.clear();
    results_->clear();
    progress_->setRange(0, static_cast<int>(files_.size()));
    progress_->setValue(0);
    import_->setEnabled(false);
    QTimer::singleShot(0, this, &ImportDialog::importNext);
}

void ImportDialog::importNext() {
    if (importer_ == nullptr || next_ >= files_.size()) {
        return;
    }
    // One file a turn of the event loop: the window is drawn between files.
    const ImportResult result = importer_->importFile(files_[next_++]);
    outcomes_.push_back(result);
    showResult(result);
    progress_->setValue(static_cast<int>(next_));
    if (next_ < files_.size()) {
        QTimer::singleShot(0, this, &ImportDialog::importNext);
        return;
    }
    importer_.reset();
    import_->setEnabled(true);
    emit finished();
}

void ImportDialog::showResult(const ImportResult& r) {
    const QString file = QFileInfo(r.source).fileName();
    QStringList names;
    for (const QString& j : r.journals) {
        names << QFileInfo(j).fileName();
    }
    QString line;
    switch (r.outcome) {
        case ImportOutcome::Imported:
            line = tr("%1: imported as %2 (%n rows)", nullptr, static_cast<int>(r.rows))
                       .arg(file, names.join(QStringLiteral(", ")));
            break;
        case ImportOutcome::AlreadyImported:
            line = tr("%1: skipped, already imported as %2")
                       .arg(file, names.join(QStringLiteral(", ")));
            break;
        case ImportOutcome::Refused:
            line = tr("%1: refused: %2").arg(file, r.reason);
            break;
    }
    auto* item = new QListWidgetItem(line, results_);
    item->setToolTip(QDir::toNativeSeparators(r.source));
    if (r.outcome == ImportOutcome::Refused) {
        // Red that reads on the list's background, light or dark.
        const bool dark = results_->palette().color(QPalette::Base).lightness() < 128;
        item->setForeground(dark ? QColor(255, 120, 120) : QColor(176, 0, 0));
    }
    results_->scrollToItem(item);
}

}  // namespace cellwatch
