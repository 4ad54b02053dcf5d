#include "chart/data_table.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <functional>
#include <limits>
#include <numeric>
#include <vector>

#include "protocol/table_fields.h"

namespace cellwatch {

DataTableModel::DataTableModel(QObject* parent) : RowsModel(parent) {
    setStore(&store_);
}

DataTableModel::~DataTableModel() {
    forgetStore();
}

DataTableView::DataTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(160, 220, 220); }"));

    // Fixed row heights: the view never measures rows one by one.
    QHeaderView* rowsHeader = verticalHeader();
    rowsHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowsHeader->setMinimumSectionSize(1);
    rowsHeader->setDefaultSectionSize(fontMetrics().height() + 4);
    rowsHeader->hide();

    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
}

double DataTableView::widthUnit() const {
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    const QFontMetrics cellMetrics(font());
    const int padding =
        2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) + 4;

    int quantity = 0;
    for (int column = 1; column <= 10; ++column) {
        quantity =
            std::max(quantity, headerMetrics.horizontalAdvance(DataTableModel::headerText(column)));
    }
    for (const char* value : {"LiIo/Po/Fe", "100:00:00", "-100.00", "100000.25"}) {
        quantity = std::max(quantity, cellMetrics.horizontalAdvance(QString::fromLatin1(value)));
    }
    int cell = std::max(cellMetrics.horizontalAdvance(QStringLiteral("4.888")),
                        headerMetrics.horizontalAdvance(QStringLiteral("C12")));
    return std::max(static_cast<double>(quantity + padding) / kQuantityColumnUnits,
                    static_cast<double>(cell + padding) / kCellColumnUnits);
}

void DataTableView::applyColumnLayout() {
    if (model() == nullptr) {
        return;
    }
    const double unit = widthUnit();
    const int columns = model()->columnCount();
    for (int column = 1; column < columns; ++column) {
        const int units = column <= 10 ? kQuantityColumnUnits : kCellColumnUnits;
        setColumnWidth(column, qRound(units * unit));
    }
    if (columns > 0) {
        setColumnWidth(0, 0);
        setColumnHidden(0, true);
    }
}

// A hidden table (another tab in front) does nothing for new rows: Qt would
// look for more rows to fetch at once (the model has them all), and
// following the bottom waits till it is shown. Laying out rows nobody sees
// cost a live recording more than all its drawing.
void DataTableView::rowsInserted(const QModelIndex& parent, int start, int end) {
    if (isVisible()) {
        QTableView::rowsInserted(parent, start, end);
    }
}

void DataTableView::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    if (bottomOwed_) {
        bottomOwed_ = false;
        scrollToBottom();
    }
}

bool DataTableView::isAtBottom() const {
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

QString DataTableView::copiedText(int* rows) const {
    const QAbstractItemModel* shown = model();
    QString text;
    int count = 0;
    if (shown != nullptr) {
        std::vector<int> columns;
        for (int column = 0; column < shown->columnCount(); ++column) {
            if (!isColumnHidden(column)) {
                columns.push_back(column);
            }
        }
        const auto line = [&](const std::function<QString(int)>& cell) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                text += (i == 0 ? QString() : QStringLiteral("\t")) + cell(columns[i]);
            }
            text += u'\n';
        };
        line([&](int column) { return shown->headerData(column, Qt::Horizontal).toString(); });
        std::vector<int> chosen;
        if (selectionModel() != nullptr) {
            for (const QModelIndex& index : selectionModel()->selectedRows()) {
                chosen.push_back(index.row());
            }
        }
        std::sort(chosen.begin(), chosen.end());
        if (chosen.empty()) {
            chosen.resize(static_cast<std::size_t>(shown->rowCount()));
            std::iota(chosen.begin(), chosen.end(), 0);
        }
        for (const int row : chosen) {
            // A tab or a line break inside a text would start another cell.
            line([&](int column) {
                return shown->index(row, column)
                    .data()
                    .toString()
                    .replace(u'\t', u' ')
                    .replace(u'\n', u' ');
            });
        }
        count = static_cast<int>(chosen.size());
    }
    if (rows != nullptr) {
        *rows = count;
    }
    return text;
}

int DataTableView::copyRows() const {
    int rows = 0;
    QGuiApplication::clipboard()->setText(copiedText(&rows));
    return rows;
}

void DataTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copyRows();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataTableView::setModel(QAbstractItemModel* newModel) {
    for (const QMetaObject::Connection& connection : modelConnections_) {
        disconnect(connection);
    }
    modelConnections_.clear();
    QTableView::setModel(newModel);
    if (newModel != nullptr) {
        modelConnections_ = {
            connect(newModel, &QAbstractItemModel::rowsAboutToBeInserted, this,
                    [this] { followBottom_ = scrollPending_ || bottomOwed_ || isAtBottom(); }),
            // Following the bottom costs more the longer the table is, so a
            // burst of rows scrolls once, when the event loop next runs.
            connect(newModel, &QAbstractItemModel::rowsInserted, this,
                    [this] {
                        if (followBottom_ && !isVisible()) {
                            bottomOwed_ = true;
                        } else if (followBottom_ && !scrollPending_) {
                            scrollPending_ = true;
                            QMetaObject::invokeMethod(
                                this,
                                [this] {
                                    scrollPending_ = false;
                                    if (isVisible()) {
                                        scrollToBottom();
                                    } else {
                                        bottomOwed_ = true;
                                    }
                                },
                                Qt::QueuedConnection);
                        }
                    }),
            // A reset rebuilds the header's sections with default widths.
            connect(newModel, &QAbstractItemModel::modelReset, this,
                    [this] { applyColumnLayout(); }),
        };
    }
    applyColumnLayout();
}

}  // namespace cellwatch
