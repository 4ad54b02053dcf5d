#include "app/import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
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
    auto* layout = new QVBoxLayout(this);
    intro_ = new QLabel(this);
    intro_->setWordWrap(true);
    layout->addWidget(intro_);

    form_ = new QFormLayout;
    choose_ = new QPushButton(this);
    chosen_ = new QLabel(this);
    auto* files = new QHBoxLayout;
    files->addWidget(choose_);
    files->addWidget(chosen_, 1);
    form_->addRow(QStringLiteral("-"), files);  // (the rows are named in retranslate)
    pack_ = new QComboBox(this);
    pack_->setEditable(true);
    pack_->addItems(packNamesOfFolder(folder_));
    pack_->setCurrentText(QString());
    pack_->lineEdit()->setMaxLength(static_cast<int>(kPackNameLimit));
    form_->addRow(QStringLiteral("-"), pack_);
    dateWanted_ = new QCheckBox(this);
    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setEnabled(false);
    auto* dated = new QHBoxLayout;
    dated->addWidget(dateWanted_);
    dated->addWidget(date_);
    form_->addRow(QStringLiteral("-"), dated);
    layout->addLayout(form_);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    layout->addWidget(progress_);
    results_ = new QListWidget(this);
    results_->setWordWrap(true);
    results_->setMinimumSize(520, 160);
    layout->addWidget(results_, 1);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
    import_ = buttons_->addButton(QStringLiteral("-"), QDialogButtonBox::AcceptRole);
    import_->setEnabled(false);
    layout->addWidget(buttons_);

    connect(choose_, &QPushButton::clicked, this, &ImportDialog::chooseFiles);
    connect(dateWanted_, &QCheckBox::toggled, date_, &QWidget::setEnabled);
    connect(pack_, &QComboBox::currentTextChanged, this,
            [this] { import_->setEnabled(!files_.isEmpty() && !running()); });
    // Import starts the work; the dialog stays open to show the results.
    disconnect(buttons_, &QDialogButtonBox::accepted, this, nullptr);
    connect(import_, &QPushButton::clicked, this, &ImportDialog::start);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    retranslate();
}

void ImportDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void ImportDialog::retranslate() {
    setWindowTitle(tr("Import logs"));
    intro_->setText(
        tr("ToolkitRC SD-card logs, OpenFormat logs and tables of this "
           "program from another computer become recordings of the pack "
           "chosen below."));
    choose_->setText(tr("Choose files…"));
    showChosen();
    pack_->lineEdit()->setPlaceholderText(tr("a known pack, or a new name"));
    dateWanted_->setText(tr("Logs that do not tell their date were recorded on"));
    const QString names[] = {tr("Files:"), tr("Pack:"), tr("Date:")};
    for (int row = 0; row < form_->rowCount(); ++row) {
        if (auto* label =
                qobject_cast<QLabel*>(form_->itemAt(row, QFormLayout::LabelRole)->widget())) {
            label->setText(names[row]);
        }
    }
    progress_->setFormat(tr("%v of %m files"));
    import_->setText(tr("Import"));
    // The results so far, in the language now.
    results_->clear();
    for (const ImportResult& r : outcomes_) {
        showResult(r);
    }
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
    showChosen();
    import_->setEnabled(!files_.isEmpty() && !running());
}

void ImportDialog::showChosen() {
    chosen_->setText(files_.isEmpty() ? tr("No file chosen")
                     : files_.size() == 1
                         ? QFileInfo(files_.front()).fileName()
                         : tr("%n files", nullptr, static_cast<int>(files_.size())));
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
            line = tr("%1: refused: %2")
                       .arg(file, logimport::refusalText(r.refusal, [](const char* english) {
                                return QCoreApplication::translate("ImportReason", english);
                            }));
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
