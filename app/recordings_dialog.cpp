#include "app/recordings_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <optional>
#include <set>

#include "analysis/recording_summary.h"
#include "app/captions.h"
#include "app/pack_health_view.h"
#include "app/recordings_rows.h"
#include "app/recordings_widgets.h"

namespace cellwatch {

RecordingsDialog::RecordingsDialog(QString folder, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)) {
    setObjectName(QStringLiteral("recordings"));
    confirm = [](QWidget* p, const QString& question) {
        return askRecordingsBox(p, QMessageBox::Question, question);
    };

    list_ = new QTableWidget(this);
    list_->setColumnCount(kColumnCount);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->setVisible(false);
    // A column narrowed to fit elides its texts rather than wrapping them
    // out of its row.
    list_->setWordWrap(false);
    // Every column sorts; newest first to begin with.
    list_->horizontalHeader()->setSortIndicator(kStartedColumn, Qt::DescendingOrder);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { open(row); });
    connect(list_, &QTableWidget::itemSelectionChanged, this, &RecordingsDialog::updateButtons);
    leaveOut_ = new QAction(list_);
    leaveOut_->setObjectName(QStringLiteral("LeaveOut"));
    leaveOut_->setCheckable(true);
    list_->addAction(leaveOut_);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(leaveOut_, &QAction::triggered, this, &RecordingsDialog::leaveOutSelected);

    folderLabel_ = new QLabel(this);
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel_->setWordWrap(true);
    readingText_ = new QLabel(this);
    readingText_->setObjectName(QStringLiteral("readingText"));
    readingBar_ = new QProgressBar(this);
    readingBar_->setObjectName(QStringLiteral("readingBar"));
    readingBar_->setTextVisible(false);
    readingText_->setVisible(false);
    readingBar_->setVisible(false);
    batch_.setSingleShot(true);
    connect(&batch_, &QTimer::timeout, this, &RecordingsDialog::takeRead);

    auto* buttons = new QDialogButtonBox(this);
    openButton_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    deleteButton_ = buttons->addButton(QString(), QDialogButtonBox::DestructiveRole);
    showButton_ = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    closeButton_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    connect(openButton_, &QPushButton::clicked, this, [this] { open(list_->currentRow()); });
    connect(deleteButton_, &QPushButton::clicked, this, &RecordingsDialog::deleteSelected);
    connect(showButton_, &QPushButton::clicked, this, [this] {
        QDir().mkpath(folder_);
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder_));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    packFilter_ = new QComboBox(this);
    packFilter_->setObjectName(QStringLiteral("packFilter"));
    packFilter_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(packFilter_, &QComboBox::activated, this, [this](int index) {
        filterByPack(index <= 0 ? QString() : packFilter_->itemText(index));
    });
    healthView_ = new PackHealthView(this);
    connect(healthView_, &PackHealthView::healthShown, this, &RecordingsDialog::healthShown);
    auto* filterRow = new QHBoxLayout;
    filterLabel_ = new QLabel(this);
    filterRow->addWidget(filterLabel_);
    filterRow->addWidget(packFilter_);
    filterRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(list_, 3);
    layout->addWidget(healthView_, 2);
    auto* readingRow = new QHBoxLayout;
    readingRow->addWidget(readingText_);
    readingRow->addWidget(readingBar_, 1);
    layout->addLayout(readingRow);
    layout->addWidget(folderLabel_);
    layout->addWidget(buttons);
    retranslate();
    refresh();
    // Wide enough for every column at its contents' width (the first rows
    // read); never past the screen, where the columns share what there is.
    ensurePolished();  // measured in the style and font it shows in
    const QMargins margins = layout->contentsMargins();
    resize(recordingsDialogSize(*list_, margins.left() + margins.right()));
}

void RecordingsDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        // The rows' kinds and notes, the filter's first entry, what the
        // reading and the folder say, the shown pack's health.
        const bool sorting = list_->isSortingEnabled();
        list_->setSortingEnabled(false);
        for (int row = 0; row < list_->rowCount(); ++row) {
            const QString path = pathOfRow(row);
            const auto it = std::find_if(packed_.begin(), packed_.end(),
                                         [&](const PackedRecording& p) { return p.path == path; });
            retranslateRecordingRow(*list_, row, it == packed_.end() ? PackInfo{} : it->pack);
        }
        list_->setSortingEnabled(sorting);
        if (packFilter_->count() > 0) {
            packFilter_->setItemText(0, tr("All packs"));
        }
        showProgress();
        if (!reading_) {
            folderLabel_->setText(folderText());
        }
        healthView_->forget();
        showPack();
    }
    QDialog::changeEvent(event);
}

void RecordingsDialog::retranslate() {
    setWindowTitle(tr("Recordings"));
    list_->setHorizontalHeaderLabels(recordingHeaders());
    leaveOut_->setText(tr("Leave out of the pack's history"));
    openButton_->setText(tr("Open"));
    deleteButton_->setText(tr("Delete"));
    showButton_->setText(tr("Show folder"));
    closeButton_->setText(tr("Close"));
    filterLabel_->setText(tr("Pack:"));
}

void RecordingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitColumns();
}

void RecordingsDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isVisible()) {
        fitRecordingColumns(*list_);  // the columns share the new width
        keepStartedWhole();
    }
}

void RecordingsDialog::keepStartedWhole() {
    keepStartedColumnWhole(*list_);
}

void RecordingsDialog::fitColumns() {
    list_->resizeColumnsToContents();
    // Before the dialog is laid out the list's width is not yet its own.
    if (isVisible()) {
        fitRecordingColumns(*list_);
        keepStartedWhole();
    }
}

RecordingsDialog::~RecordingsDialog() = default;

void RecordingsDialog::refresh() {
    scan_.reset();          // stops a reading under way
    healthView_->forget();  // read again with the folder
    batch_.stop();
    waiting_.clear();
    journals_.clear();
    packed_.clear();
    charges_.clear();
    list_->setSortingEnabled(false);
    list_->setRowCount(0);
    selectedFirst_ = false;
    scan_ = std::make_unique<RecordingScan>(folder_);
    connect(scan_.get(), &RecordingScan::arrived, this, [this] {
        if (!batch_.isActive()) {
            batch_.start(kBatchMs);
        }
    });
    connect(scan_.get(), &RecordingScan::finished, this, [this] { batch_.start(0); });
    // The newest few here and now: a folder of a few recordings is whole
    // when the dialog shows, and a large one shows its newest at once.
    reading_ = true;
    addRows(scan_->readNewest(kReadAtOnceBytes, kReadAtOnceCount));
    if (scan_->isFinished()) {
        finishReading();
        return;
    }
    scan_->start();
    showProgress();
    folderLabel_->setText(QDir::toNativeSeparators(folder_));
}

void RecordingsDialog::done(int result) {
    if (scan_) {
        scan_->cancel();  // its thread ends within the file it reads
    }
    batch_.stop();
    waiting_.clear();
    reading_ = false;
    showProgress();
    QDialog::done(result);
}

void RecordingsDialog::takeRead() {
    if (!scan_ || !reading_) {
        return;
    }
    for (ScannedRecording& scanned : scan_->take()) {
        waiting_.push_back(std::move(scanned));
    }
    // A batch at a time, so that the window answers between batches
    // however fast the journals are read.
    const auto count = static_cast<std::ptrdiff_t>(
        std::min(waiting_.size(), static_cast<std::size_t>(kBatchRows)));
    std::vector<ScannedRecording> batch(std::make_move_iterator(waiting_.begin()),
                                        std::make_move_iterator(waiting_.begin() + count));
    waiting_.erase(waiting_.begin(), waiting_.begin() + count);
    addRows(std::move(batch));
    if (!waiting_.empty()) {
        batch_.start(0);  // the next batch once what else waits is done
    } else if (scan_->isFinished()) {
        finishReading();
        return;
    }
    showProgress();
}

void RecordingsDialog::finishReading() {
    reading_ = false;
    batch_.stop();
    // Newest first, as the list begins.
    std::vector<std::pair<std::pair<double, QString>, std::size_t>> order;
    order.reserve(journals_.size());
    for (std::size_t i = 0; i < journals_.size(); ++i) {
        order.push_back(
            {{recordingStartKey(journals_[i]), QFileInfo(journals_[i].path).fileName()}, i});
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<JournalInfo> sorted;
    sorted.reserve(journals_.size());
    for (const auto& entry : order) {
        sorted.push_back(std::move(journals_[entry.second]));
    }
    journals_ = std::move(sorted);
    showProgress();
    fitColumns();
    folderLabel_->setText(folderText());
    emit readingFinished();
}

void RecordingsDialog::showProgress() {
    const bool busy = reading_;
    readingText_->setVisible(busy);
    readingBar_->setVisible(busy);
    if (!busy) {
        return;
    }
    const QLocale locale;
    const int read = list_->rowCount();
    const QString done = locale.toString(read);
    const QString total = locale.toString(scan_->total());
    //: %1 the recordings read so far, %2 all of them
    readingText_->setText(tr("Reading %1 of %2 recordings…").arg(done, total));
    readingBar_->setRange(0, std::max(scan_->total(), 1));
    readingBar_->setValue(read);
}

void RecordingsDialog::addRows(std::vector<ScannedRecording> read) {
    if (read.empty()) {
        return;
    }
    // Sorting waits while the rows go in, then sorts them all by the
    // header's indicator (the user's choice, newest first to begin with);
    // the selection stays on its rows.
    list_->setSortingEnabled(false);
    const int first = list_->rowCount();
    list_->setRowCount(first + static_cast<int>(read.size()));
    int r = first;
    for (ScannedRecording& scanned : read) {
        // One row per charge: a watcher's copy takes none, or gives its row
        // to the publisher's own journal.
        const ChargeRows::Decision placed = charges_.add(scanned.journal);
        if (placed.place == ChargeRows::Place::Hidden) {
            continue;
        }
        int row = r;
        if (placed.place == ChargeRows::Place::Replaces) {
            for (int i = 0; i < r; ++i) {
                row = pathOfRow(i) == placed.other ? i : row;
            }
            std::erase_if(packed_,
                          [&](const PackedRecording& p) { return p.path == placed.other; });
            std::erase_if(journals_, [&](const JournalInfo& j) { return j.path == placed.other; });
        }
        fillRecordingRow(*list_, row, scanned);
        const std::optional<RecordingSummaryValues>& summary = scanned.summary;
        packed_.push_back({scanned.journal.path, scanned.journal.start, scanned.pack,
                           summary.has_value(), summary.value_or(RecordingSummaryValues{}),
                           summary ? std::optional<PhaseTotals>(scanned.phases) : std::nullopt});
        journals_.push_back(std::move(scanned.journal));
        r += row == r ? 1 : 0;
    }
    list_->setRowCount(r);
    list_->setSortingEnabled(true);
    if (!selectedFirst_) {
        selectedFirst_ = true;
        fitColumns();
        list_->selectRow(0);
    }
    fillPackFilter();
    showPack();
    updateButtons();
    emit rowsAdded();
}

void RecordingsDialog::fillPackFilter() {
    const QStringList names = packNames(packed_);
    QStringList offered;
    for (int i = 1; i < packFilter_->count(); ++i) {
        offered << packFilter_->itemText(i);
    }
    if (packFilter_->count() > 0 && offered == names) {
        return;  // as it is, also while its list is open
    }
    packFilter_->clear();
    packFilter_->addItem(tr("All packs"));
    packFilter_->addItems(names);
    // A pack whose last recording was deleted is no longer offered.
    if (!names.contains(packShown_)) {
        packShown_.clear();
    }
    packFilter_->setCurrentIndex(packShown_.isEmpty() ? 0 : packFilter_->findText(packShown_));
}

void RecordingsDialog::filterByPack(const QString& name) {
    packShown_ = normalizedPackName(name);
    const int index = packShown_.isEmpty() ? 0 : packFilter_->findText(packShown_);
    packFilter_->setCurrentIndex(std::max(index, 0));
    if (index < 0) {
        packShown_.clear();  // no such pack here
    }
    showPack();
    updateButtons();
}

void RecordingsDialog::showPack() {
    for (int r = 0; r < list_->rowCount(); ++r) {
        const QTableWidgetItem* it = list_->item(r, kPackColumn);
        list_->setRowHidden(r, !packShown_.isEmpty() && (!it || it->text() != packShown_));
    }
    history_ = packHistory(packed_, packShown_);
    healthView_->show(folder_, packShown_, history_);
}

QString RecordingsDialog::pathOfRow(int row) const {
    const QTableWidgetItem* it = list_->item(row, kStartedColumn);
    return it ? it->data(kRecordingPathRole).toString() : QString();
}

QString RecordingsDialog::folderText() const {
    // The reading adds it up as it ends; before that, it is added up here.
    const qint64 bytes =
        scan_ && scan_->folderBytes() > 0 ? scan_->folderBytes() : folderSize(folder_);
    const QString size = QLocale().formattedDataSize(bytes);
    //: %1 the folder, %2 its size, %3 how many recordings
    return tr("%1 — %2 in %3 recordings")
        .arg(QDir::toNativeSeparators(folder_), size)
        .arg(journals_.size());
}

void RecordingsDialog::updateButtons() {
    const QModelIndexList chosen = list_->selectionModel()->selectedRows();
    openButton_->setEnabled(!chosen.isEmpty());
    deleteButton_->setEnabled(!chosen.isEmpty());
    // Only recordings with a pack can be left out of one; ticked when all
    // the chosen ones are.
    bool packed = !chosen.isEmpty();
    bool allOut = packed;
    for (const QModelIndex& index : chosen) {
        const QString path = pathOfRow(index.row());
        const auto it = std::find_if(packed_.begin(), packed_.end(),
                                     [&](const PackedRecording& r) { return r.path == path; });
        packed = packed && it != packed_.end() && !it->pack.pack.isEmpty();
        allOut = allOut && it != packed_.end() && it->pack.leftOut;
    }
    leaveOut_->setEnabled(packed);
    leaveOut_->setChecked(packed && allOut);
}

void RecordingsDialog::leaveOutSelected(bool out) {
    QStringList failed;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        const QString path = pathOfRow(index.row());
        for (PackedRecording& r : packed_) {
            if (r.path != path || r.pack.pack.isEmpty()) {
                continue;
            }
            PackInfo pack = readPackInfo(path);
            pack.leftOut = out;
            QString error;
            if (!writePackInfo(path, pack, &error)) {
                failed << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error);
                continue;
            }
            r.pack = pack;
            if (QTableWidgetItem* it = list_->item(index.row(), kPackColumn)) {
                showLeftOut(*it, pack);
            }
        }
    }
    healthView_->forget();  // the pack's history and health without (or with) them
    showPack();
    updateButtons();
    if (!failed.isEmpty()) {
        askRecordingsBox(this, QMessageBox::Warning, failed.join(u'\n'));
    }
}

void RecordingsDialog::open(int row) {
    const QString path = pathOfRow(row);
    if (path.isEmpty()) {
        return;
    }
    chosen_ = path;
    accept();
}

void RecordingsDialog::deleteSelected() {
    std::set<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        rows.insert(index.row());
    }
    if (rows.empty()) {
        return;
    }
    const QString question = tr("Delete %1 recording(s)? This cannot be undone.").arg(rows.size());
    if (!confirm(this, question)) {
        return;
    }
    QStringList failed;
    for (int row : rows) {
        const QString shown = pathOfRow(row);
        for (const QString& path : QStringList{shown} + charges_.copiesOf(shown)) {
            QFile file(path);
            if (!file.remove()) {
                failed << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                       file.errorString());
            } else if (!removePackInfo(path)) {
                failed << QDir::toNativeSeparators(packFilePath(path));
            }
        }
    }
    refresh();
    if (!failed.isEmpty()) {
        askRecordingsBox(this, QMessageBox::Warning, failed.join(u'\n'));
    }
}

}  // namespace cellwatch
