#include "app/recordings_dialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace cellwatch {
namespace {

QString pick(bool chinese, const char* zh, const char* en) {
    return QString::fromUtf8(chinese ? zh : en);
}

QTableWidgetItem* item(const QString& text, Qt::Alignment align = Qt::AlignLeft) {
    auto* it = new QTableWidgetItem(text);
    it->setTextAlignment(align | Qt::AlignVCenter);
    it->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
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
    confirm = [](QWidget* p, const QString& question) {
        return QMessageBox::question(p, p->windowTitle(), question) == QMessageBox::Yes;
    };

    list_ = new QTableWidget(this);
    list_->setColumnCount(5);
    list_->setHorizontalHeaderLabels(
        {pick(chinese, "开始时间", "Started"), pick(chinese, "时长", "Duration"),
         pick(chinese, "行数", "Rows"), pick(chinese, "电池类型", "Battery"),
         pick(chinese, "大小", "Size")});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->setVisible(false);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setSortingEnabled(false);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { open(row); });
    connect(list_, &QTableWidget::itemSelectionChanged, this, &RecordingsDialog::updateButtons);

    folderLabel_ = new QLabel(this);
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel_->setWordWrap(true);

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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(folderLabel_);
    layout->addWidget(buttons);
    resize(720, 420);
    refresh();
}

void RecordingsDialog::refresh() {
    journals_ = listJournals(folder_);
    std::reverse(journals_.begin(), journals_.end());  // newest first
    const QLocale locale;
    list_->setRowCount(static_cast<int>(journals_.size()));
    for (int r = 0; r < list_->rowCount(); ++r) {
        const JournalInfo& j = journals_[static_cast<std::size_t>(r)];
        const QString start = j.start.isValid()
                                  ? j.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                  : QFileInfo(j.path).fileName();
        list_->setItem(r, 0, item(start));
        list_->setItem(r, 1, item(durationText(j.durationSeconds), Qt::AlignRight));
        list_->setItem(r, 2, item(QString::number(j.rowCount), Qt::AlignRight));
        list_->setItem(r, 3, item(j.batteryType));
        list_->setItem(r, 4, item(locale.formattedDataSize(j.sizeBytes), Qt::AlignRight));
        list_->item(r, 0)->setToolTip(QDir::toNativeSeparators(j.path));
    }
    list_->resizeColumnsToContents();
    if (list_->rowCount() > 0) {
        list_->selectRow(0);
    }
    folderLabel_->setText(folderText());
    updateButtons();
}

QString RecordingsDialog::folderText() const {
    const QString size = QLocale().formattedDataSize(folderSize(folder_));
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
    if (row < 0 || row >= static_cast<int>(journals_.size())) {
        return;
    }
    chosen_ = journals_[static_cast<std::size_t>(row)].path;
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
        const QString path = journals_[static_cast<std::size_t>(row)].path;
        QFile file(path);
        if (!file.remove()) {
            failed << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                   file.errorString());
        }
    }
    refresh();
    if (!failed.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), failed.join(u'\n'));
    }
}

}  // namespace cellwatch
