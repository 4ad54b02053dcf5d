#include "app/channel_rows_model.h"

#include "protocol/table_fields.h"

namespace cellwatch {

ChannelRowsModel::ChannelRowsModel(QObject* parent) : QAbstractTableModel(parent) {}

ChannelRowsModel::~ChannelRowsModel() {
    if (store_ != nullptr) {
        store_->setListener(nullptr);
    }
}

void ChannelRowsModel::setStore(RowStore* store, bool oldGone) {
    beginResetModel();
    if (store_ != nullptr && !oldGone) {
        store_->setListener(nullptr);
    }
    store_ = store;
    if (store_ != nullptr) {
        store_->setListener(this);
    }
    endResetModel();
}

int ChannelRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || store_ == nullptr ? 0 : static_cast<int>(store_->dataRowCount());
}

int ChannelRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTableColumnCount;
}

QVariant ChannelRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || store_ == nullptr) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return store_->gridText(index.row() + 1, index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        const int field = index.column() - 1;
        const bool text = field == kFieldBatteryType || field == kFieldState;
        return QVariant::fromValue(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
    }
    return {};
}

QVariant ChannelRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return RowStore::headerText(section);
    }
    return section + 1;
}

Qt::ItemFlags ChannelRowsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace cellwatch
