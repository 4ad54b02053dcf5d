// A table model over a RowStore: the texts and alignment the data table
// shows, its header, and every change the store makes told to the views. It
// becomes the listener of the store it shows. The data table's own model
// (chart/data_table.h) owns its store; a channel whose rows the session keeps
// (a charger of several channels) is shown through this model directly.
#pragma once

#include <QAbstractTableModel>

#include "readout/row_store.h"

namespace cellwatch {

class RowsModel : public QAbstractTableModel, private RowStoreListener {
    Q_OBJECT

public:
    explicit RowsModel(QObject* parent = nullptr);
    ~RowsModel() override;

    // Shows `store` (nullptr: no rows). With `oldGone` the store shown
    // before was destroyed and is not told it lost its listener.
    void setStore(RowStore* store, bool oldGone = false);
    RowStore* shownStore() const { return store_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    // Stops listening to the store shown, without a word to the views (for
    // a model whose own store goes with it).
    void forgetStore();

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
