#include "app/recordings_dialog.h"
#include "app/summary_view.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <optional>
#include <set>

#include "analysis/recording_summary.h"
#include "app/captions.h"
#include "chart/pack_history_chart.h"
#include "packs/pack_health.h"

namespace cellwatch {
namespace {

QString pick(bool chinese, const char* zh, const char* en) {
    return QString::fromUtf8(chinese ? zh : en);
}

// A message box whose buttons speak the dialog's language: Yes and No for a
// question, OK alone otherwise. Returns true for Yes.
bool askBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, bool chinese) {
    const bool question = icon == QMessageBox::Question;
    QMessageBox box(icon, parent->windowTitle(), text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("recordingsMessage"));
    if (question) {
        box.button(QMessageBox::Yes)->setText(kYesButton.pick(chinese));
        box.button(QMessageBox::No)->setText(kNoButton.pick(chinese));
    } else {
        box.button(QMessageBox::Ok)->setText(kOkButton.pick(chinese));
    }
    return box.exec() == QMessageBox::Yes;
}

constexpr int kSortRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kTieRole = Qt::UserRole + 2;  // the file name, where numbers are equal

// A cell that sorts by its number when it has one (a cell without sorts
// first), else by its text; equal starts by file name, as the folder's
// listing has them.
class SortItem final : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant mine = data(kSortRole);
        const QVariant theirs = other.data(kSortRole);
        if (mine.isValid() || theirs.isValid()) {
            const double lowest = std::numeric_limits<double>::lowest();
            const double a = mine.isValid() ? mine.toDouble() : lowest;
            const double b = theirs.isValid() ? theirs.toDouble() : lowest;
            if (a != b) {
                return a < b;
            }
            return data(kTieRole).toString() < other.data(kTieRole).toString();
        }
        return text().localeAwareCompare(other.text()) < 0;
    }
};

// A journal's place in the order the recordings were made: by start (then
// by file name).
double startKey(const JournalInfo& j) {
    return j.start.isValid() ? static_cast<double>(j.start.toMSecsSinceEpoch())
                             : std::numeric_limits<double>::lowest();
}

QTableWidgetItem* item(const QString& text, Qt::Alignment align = Qt::AlignLeft,
                       QVariant sortKey = {}) {
    auto* it = new SortItem(text);
    it->setTextAlignment(align | Qt::AlignVCenter);
    it->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (sortKey.isValid()) {
        it->setData(kSortRole, sortKey);
    }
    return it;
}

}  // namespace

QString durationText(qint64 seconds) {
    if (seconds < 0) {
        return {};
    }
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

RecordingsDialog::RecordingsDialog(QString folder, bool chinese, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)), chinese_(chinese) {
    setObjectName(QStringLiteral("recordings"));
    setWindowTitle(pick(chinese, "记录", "Recordings"));
    confirm = [chinese](QWidget* p, const QString& question) {
        return askBox(p, QMessageBox::Question, question, chinese);
    };

    list_ = new QTableWidget(this);
    list_->setColumnCount(kColumnCount);
    list_->setHorizontalHeaderLabels(
        {pick(chinese, "开始时间", "Started"), pick(chinese, "时长", "Duration"),
         pick(chinese, "行数", "Rows"), pick(chinese, "电池类型", "Battery"),
         pick(chinese, "种类", "Kind"), pick(chinese, "容量(mAh)", "Capacity (mAh)"),
         pick(chinese, "能量(Wh)", "Energy (Wh)"),
         pick(chinese, "最大压差(V)", "Largest spread (V)"), pick(chinese, "大小", "Size"),
         pick(chinese, "电池组", "Pack"), pick(chinese, "电芯", "Cells"),
         pick(chinese, "警报", "Alarms")});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->setVisible(false);
    list_->horizontalHeader()->setStretchLastSection(true);
    // Every column sorts; newest first to begin with.
    list_->horizontalHeader()->setSortIndicator(kStartedColumn, Qt::DescendingOrder);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { open(row); });
    connect(list_, &QTableWidget::itemSelectionChanged, this, &RecordingsDialog::updateButtons);

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
    openButton_ = buttons->addButton(pick(chinese, "打开", "Open"), QDialogButtonBox::AcceptRole);
    deleteButton_ =
        buttons->addButton(pick(chinese, "删除", "Delete"), QDialogButtonBox::DestructiveRole);
    QPushButton* show = buttons->addButton(pick(chinese, "打开文件夹", "Show folder"),
                                           QDialogButtonBox::ActionRole);
    buttons->addButton(pick(chinese, "关闭", "Close"), QDialogButtonBox::RejectRole);
    connect(openButton_, &QPushButton::clicked, this, [this] { open(list_->currentRow()); });
    connect(deleteButton_, &QPushButton::clicked, this, &RecordingsDialog::deleteSelected);
    connect(show, &QPushButton::clicked, this, [this] {
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
    historyChart_ = new PackHistoryChart(this);
    healthText_ = new QLabel(this);
    healthText_->setObjectName(QStringLiteral("packHealth"));
    healthText_->setWordWrap(true);
    healthText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    healthText_->hide();
    historyChart_->setLanguage(chinese);
    historyChart_->setVisible(false);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(pick(chinese, "电池组：", "Pack:"), this));
    filterRow->addWidget(packFilter_);
    filterRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(list_, 3);
    layout->addWidget(historyChart_, 2);
    layout->addWidget(healthText_);
    auto* readingRow = new QHBoxLayout;
    readingRow->addWidget(readingText_);
    readingRow->addWidget(readingBar_, 1);
    layout->addLayout(readingRow);
    layout->addWidget(folderLabel_);
    layout->addWidget(buttons);
    // Wide enough for every column, the pack's last; never past the screen.
    QSize size(1060, 520);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    }
    resize(size);
    refresh();
}

RecordingsDialog::~RecordingsDialog() = default;

void RecordingsDialog::refresh() {
    scan_.reset();  // stops a reading under way
    batch_.stop();
    waiting_.clear();
    journals_.clear();
    packed_.clear();
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
        order.push_back({{startKey(journals_[i]), QFileInfo(journals_[i].path).fileName()}, i});
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
    list_->resizeColumnsToContents();
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
    readingText_->setText(chinese_
                              ? QStringLiteral("正在读取记录：%1 / %2…").arg(done, total)
                              : QStringLiteral("Reading %1 of %2 recordings…").arg(done, total));
    readingBar_->setRange(0, std::max(scan_->total(), 1));
    readingBar_->setValue(read);
}

void RecordingsDialog::addRows(std::vector<ScannedRecording> read) {
    if (read.empty()) {
        return;
    }
    const QLocale locale;
    // Sorting waits while the rows go in, then sorts them all by the
    // header's indicator (the user's choice, newest first to begin with);
    // the selection stays on its rows.
    list_->setSortingEnabled(false);
    const int first = list_->rowCount();
    list_->setRowCount(first + static_cast<int>(read.size()));
    int r = first;
    for (ScannedRecording& scanned : read) {
        const JournalInfo& j = scanned.journal;
        const QString start = j.start.isValid()
                                  ? j.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                  : QFileInfo(j.path).fileName();
        QTableWidgetItem* started = item(start, Qt::AlignLeft, startKey(j));
        started->setData(kTieRole, QFileInfo(j.path).fileName());
        started->setToolTip(QDir::toNativeSeparators(j.path));
        started->setData(kPathRole, j.path);
        list_->setItem(r, kStartedColumn, started);
        list_->setItem(r, 1,
                       item(durationText(j.durationSeconds), Qt::AlignRight, j.durationSeconds));
        list_->setItem(r, 2, item(QString::number(j.rowCount), Qt::AlignRight, j.rowCount));
        list_->setItem(r, 3, item(j.batteryType));
        const std::optional<RecordingSummaryValues>& summary = scanned.summary;
        const PackInfo& pack = scanned.pack;
        QTableWidgetItem* packItem =
            item(scanned.packProblem.isEmpty() ? pack.pack
                                               : pick(chinese_, "（无法读取）", "(unreadable)"));
        if (!scanned.packProblem.isEmpty()) {
            packItem->setToolTip(scanned.packProblem);
        } else if (!pack.note.isEmpty()) {
            packItem->setToolTip(pack.note);
        }
        list_->setItem(r, kPackColumn, packItem);
        if (summary) {
            list_->setItem(r, 4, item(kindText(summary->kind, chinese_)));
            list_->setItem(
                r, 5,
                item(QString::number(summary->capacityMah), Qt::AlignRight, summary->capacityMah));
            list_->setItem(r, 6,
                           item(QString::number(summary->energyWh, 'f', 3), Qt::AlignRight,
                                summary->energyWh));
            list_->setItem(r, 7,
                           item(QString::number(summary->cellSpreadMaxV, 'f', 3), Qt::AlignRight,
                                summary->cellSpreadMaxV));
        } else {
            for (int column = 4; column < 8; ++column) {
                list_->setItem(r, column, item(QString()));
            }
        }
        list_->setItem(r, 8,
                       item(locale.formattedDataSize(j.sizeBytes), Qt::AlignRight, j.sizeBytes));
        // The cells, marked when they are not the pack's (a 6S charge filed
        // under a 4S pack), and the alarms the journal kept.
        const int cells = summary ? summary->cells : 0;
        QTableWidgetItem* cellsItem =
            item(cells > 0 ? QString::number(cells) : QString(), Qt::AlignRight, cells);
        if (summary && cellCountDiffers(pack, cells)) {
            cellsItem->setText(QString::number(cells) + QStringLiteral(" ⚠"));
            cellsItem->setToolTip(cellCountMismatchText(pack, cells, chinese_));
        }
        list_->setItem(r, kCellsColumn, cellsItem);
        list_->setItem(r, kAlarmsColumn,
                       item(summary ? QString::number(scanned.alarmCount) : QString(),
                            Qt::AlignRight, scanned.alarmCount));
        packed_.push_back({j.path, j.start, pack, summary.has_value(),
                           summary.value_or(RecordingSummaryValues{}),
                           summary ? std::optional<PhaseTotals>(scanned.phases) : std::nullopt});
        journals_.push_back(std::move(scanned.journal));
        ++r;
    }
    list_->setSortingEnabled(true);
    if (!selectedFirst_) {
        selectedFirst_ = true;
        list_->resizeColumnsToContents();
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
    packFilter_->addItem(pick(chinese_, "全部电池组", "All packs"));
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
    if (packShown_.isEmpty() && historyChart_->isHidden()) {
        return;  // no chart to draw, none to take away
    }
    historyChart_->setHistory(history_);
    historyChart_->setVisible(!packShown_.isEmpty());
    // The pack's health reads its journals whole: a pack's few dozen
    // recordings take a moment, once per pack chosen.
    healthText_->setText(packShown_.isEmpty()
                             ? QString()
                             : packHealthLine(packHealthOfFolder(folder_, packShown_), chinese_));
    healthText_->setVisible(!packShown_.isEmpty());
}

QString RecordingsDialog::pathOfRow(int row) const {
    const QTableWidgetItem* it = list_->item(row, kStartedColumn);
    return it ? it->data(kPathRole).toString() : QString();
}

QString RecordingsDialog::folderText() const {
    // The reading adds it up as it ends; before that, it is added up here.
    const qint64 bytes =
        scan_ && scan_->folderBytes() > 0 ? scan_->folderBytes() : folderSize(folder_);
    const QString size = QLocale().formattedDataSize(bytes);
    return chinese_ ? QStringLiteral("%1 — %2，%3 个记录")
                          .arg(QDir::toNativeSeparators(folder_), size)
                          .arg(journals_.size())
                    : QStringLiteral("%1 — %2 in %3 recordings")
                          .arg(QDir::toNativeSeparators(folder_), size)
                          .arg(journals_.size());
}

void RecordingsDialog::updateButtons() {
    const bool any = !list_->selectionModel()->selectedRows().isEmpty();
    openButton_->setEnabled(any);
    deleteButton_->setEnabled(any);
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
    const QString question =
        chinese_
            ? QStringLiteral("删除 %1 个记录？").arg(rows.size())
            : QStringLiteral("Delete %1 recording(s)? This cannot be undone.").arg(rows.size());
    if (!confirm(this, question)) {
        return;
    }
    QStringList failed;
    for (int row : rows) {
        const QString path = pathOfRow(row);
        QFile file(path);
        if (!file.remove()) {
            failed << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                   file.errorString());
        } else if (!removePackInfo(path)) {
            failed << QDir::toNativeSeparators(packFilePath(path));
        }
    }
    refresh();
    if (!failed.isEmpty()) {
        askBox(this, QMessageBox::Warning, failed.join(u'\n'), chinese_);
    }
}

}  // namespace cellwatch
