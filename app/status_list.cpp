#include "app/status_list.h"

#include <QComboBox>
#include <QStyledItemDelegate>

namespace cellwatch {
namespace {

class StampedEntries final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QTime at = index.data(kStatusTimeRole).toTime();
        if (at.isValid()) {
            option->text =
                at.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + option->text;
        }
    }
};

}  // namespace

void showStatusTimes(QComboBox& list) {
    list.setItemDelegate(new StampedEntries(&list));
}

void stampLastStatus(QComboBox& list, const QTime& at) {
    if (list.count() > 0) {
        list.setItemData(list.count() - 1, at, kStatusTimeRole);
    }
}

}  // namespace cellwatch
