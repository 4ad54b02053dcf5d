// The table's model for a channel whose rows the session keeps (a charger
// of several channels): a view of a RowStore it does not own, with the
// same texts and alignment as the window's own table model. It becomes the
// store's listener while it shows it.
#pragma once

#include <QAbstractTableModel>

#include "readout/row_store.h"

namespace cellwatch {

class ChannelRowsModel final : public QAbstractTableModel, private RowStoreListener {
    Q_OBJECT
public:
    explicit ChannelRowsModel(QObject* parent = nullptr);
    ~ChannelRowsModel() override;

    // Shows `store` (nullptr: no rows). With `oldGone` the store shown
    // before was destroyed and is not told it lost its listener.
    void setStore(RowStore* store, bool oldGone = false);
    RowStore* store() const { return store_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void aboutToReset() override { beginResetModel(); }
    void reset() override { endResetModel(); }
    void aboutToAppend(int first, int last) override {
        beginInsertRows(QModelIndex(), first, last);
    }
    void appended() override { endInsertRows(); }
    void aboutToRemove(int first, int last) override {
        beginRemoveRows(QModelIndex(), first, last);
    }
    void removed() override { endRemoveRows(); }

    RowStore* store_ = nullptr;
};

}  // namespace cellwatch
