#include "chart/rows_model.h"

#include "protocol/table_fields.h"

namespace cellwatch {

RowsModel::RowsModel(QObject* parent) : QAbstractTableModel(parent) {}

RowsModel::~RowsModel() {
    if (store_ != nullptr) {
        store_->setListener(nullptr);
    }
}

void RowsModel::setStore(RowStore* store, bool oldGone) {
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

void RowsModel::forgetStore() {
    if (store_ != nullptr) {
        store_->setListener(nullptr);
        store_ = nullptr;
    }
}

int RowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || store_ == nullptr ? 0 : static_cast<int>(store_->dataRowCount());
}

int RowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTableColumnCount;
}

QVariant RowsModel::data(const QModelIndex& index, int role) const {
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

QVariant RowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return RowStore::headerText(section);
    }
    return section + 1;
}

Qt::ItemFlags RowsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace cellwatch
