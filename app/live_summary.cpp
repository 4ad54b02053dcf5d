#include "app/live_summary.h"

#include <QStringList>

#include "app/summary_window.h"
#include "readout/row_store.h"

namespace cellwatch {

LiveSummary::LiveSummary(QWidget& owner, const RowStore& rows, std::function<PackInfo()> pack,
                         std::function<bool()> chinese)
    : QObject(&owner),
      owner_(owner),
      rows_(rows),
      pack_(std::move(pack)),
      chinese_(std::move(chinese)) {}

void LiveSummary::restart(const QDateTime& start) {
    summarizer_ = RecordingSummarizer(start);
    if (window_) {
        window_->setSummary(valuesWithPack());
    }
}

RecordingSummaryValues LiveSummary::valuesWithPack() const {
    RecordingSummaryValues values = summarizer_.values();
    const PackInfo pack = pack_();
    values.pack = pack.pack;
    values.note = pack.note;
    return values;
}

void LiveSummary::addRow(int row) {
    QStringList texts;
    texts.reserve(kTableColumnCount - 1);
    for (int column = 1; column < kTableColumnCount; ++column) {
        texts << rows_.gridText(row, column);
    }
    summarizer_.addRow(texts);
    if (window_ && window_->isVisible()) {
        window_->setSummary(valuesWithPack());
    }
}

void LiveSummary::show() {
    if (!window_) {
        window_ = new SummaryWindow(&owner_);
        window_->setLanguage(chinese_());
    }
    window_->setSummary(valuesWithPack());
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void LiveSummary::packChanged() {
    if (window_) {
        window_->setSummary(valuesWithPack());
    }
}

SummaryWindow* LiveSummary::window() const {
    return window_;
}

void LiveSummary::setLanguage(bool chinese) {
    if (window_) {
        window_->setLanguage(chinese);
    }
}

}  // namespace cellwatch
