#include "app/alarm_list.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "alarms/alarm_rules.h"
#include "analysis/summary_format.h"
#include "app/alarm_settings_dialog.h"
#include "app/alarm_texts.h"
#include "app/captions.h"
#include "app/language.h"

namespace cellwatch {
namespace {

constexpr Phrase kAlarmTimeColumn = {QT_TRANSLATE_NOOP("Captions", "Time")};
constexpr Phrase kAlarmKindColumn = {QT_TRANSLATE_NOOP("Captions", "Kind")};
constexpr Phrase kAlarmTextColumn = {QT_TRANSLATE_NOOP("Captions", "Alarm")};
constexpr Phrase kNoAlarms = {QT_TRANSLATE_NOOP("Captions", "No alarms")};

// The window's name of a kind in a translation; the journal's own
// ("cell-high") in English, as the chart's markers and the report name it.
QString alarmListKind(const QString& kind) {
    const auto known = alarms::kindFromName(kind.toStdString());
    return installedLanguage() != Language::English && known ? alarmKindCaption(*known) : kind;
}

QString alarmListText(const AlarmNote& alarm) {
    const auto known = alarms::kindFromName(alarm.kind.toStdString());
    if (!known) {
        return alarm.text;
    }
    return alarmText(*known, alarm.text);
}

QTableWidgetItem* alarmListItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(text);
    return item;
}

}  // namespace

AlarmList::AlarmList(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("alarmList"));
    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName(QStringLiteral("alarmTable"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
    // A click, and Return (or a double click) on the current line.
    connect(table_, &QTableWidget::cellClicked, this, [this](int line, int) { choose(line); });
    connect(table_, &QTableWidget::activated, this,
            [this](const QModelIndex& index) { choose(index.row()); });
    refresh();
}

void AlarmList::setAlarms(std::vector<AlarmNote> alarms) {
    alarms_ = std::move(alarms);
    refresh();
}

void AlarmList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        refresh();
    }
    QWidget::changeEvent(event);
}

int AlarmList::rowOfAlarm(const AlarmNote& alarm) {
    return std::max(1, static_cast<int>(alarm.afterRows));
}

void AlarmList::refresh() {
    table_->setHorizontalHeaderLabels(
        {kAlarmTimeColumn.text(), kAlarmKindColumn.text(), kAlarmTextColumn.text()});
    table_->clearSpans();
    table_->clearContents();
    if (alarms_.empty()) {
        table_->setRowCount(1);
        table_->setItem(0, 0, alarmListItem(kNoAlarms.text()));
        table_->setSpan(0, 0, 1, 3);
        return;
    }
    table_->setRowCount(static_cast<int>(alarms_.size()));
    for (std::size_t i = 0; i < alarms_.size(); ++i) {
        const AlarmNote& a = alarms_[i];
        const int line = static_cast<int>(i);
        table_->setItem(line, 0,
                        alarmListItem(durationText(static_cast<double>(
                            std::max<qint64>(0, static_cast<qint64>(a.atSeconds))))));
        table_->setItem(line, 1, alarmListItem(alarmListKind(a.kind)));
        table_->setItem(line, 2, alarmListItem(alarmListText(a)));
    }
}

void AlarmList::choose(int line) {
    if (line >= 0 && static_cast<std::size_t>(line) < alarms_.size()) {
        emit alarmChosen(line);
    }
}

}  // namespace cellwatch
