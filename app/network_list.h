// View > Chargers on the network…: every charger published on one broker,
// with its status and, from its rows, state, voltage, current, capacity and
// worst cell; raised alarms show beside them. A double-click opens the
// charger in a window of its own. The broker is asked for once and kept in
// the settings.
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>
#include <memory>

#include "net/messages.h"
#include "net/mqtt_client.h"

class QLabel;
class QTableWidget;
class QMenu;

namespace cellwatch {

class SettingsStore;
class NetworkWatch;

// The settings' section and key of the broker address.
inline const QString kNetworkSection = QStringLiteral("Network");
inline const QString kNetworkBrokerKey = QStringLiteral("Broker");

// The cell furthest from the average of the cells present (non-zero), as
// "C3 4.21"; "" without cells.
QString worstCellText(const std::array<double, 12>& cells);

class NetworkListDialog final : public QDialog {
    Q_OBJECT
public:
    enum Column { Name, Status, State, Voltage, Current, Capacity, WorstCell, Alarm, ColumnCount };

    // Lists the chargers on `broker` (mqtt[s]://[USER@]HOST[:PORT]). Throws
    // net::AddressError or net::MqttError when it cannot be set up.
    NetworkListDialog(SettingsStore& settings, const QString& broker, const QString& password,
                      QWidget* parent = nullptr);
    ~NetworkListDialog() override;

    QTableWidget& table() { return *table_; }
    // The row of a charger; -1 when it is not listed.
    int rowOf(const QString& name) const;
    // Opens the charger of `row` in a window of its own.
    NetworkWatch* openRow(int row);

    // Asks for the broker (the stored one proposed) and shows the list;
    // failures in a message box.
    static void showFor(SettingsStore& settings, QWidget* parent);

private:
    void take(const QString& topic, const QByteArray& payload);
    int ensureRow(const QString& name);
    void setCell(int row, Column column, const QString& text);

    SettingsStore& settings_;
    QString broker_;
    QString password_;
    std::unique_ptr<net::MqttClient> client_;
    QTableWidget* table_ = nullptr;
    QLabel* state_ = nullptr;
};

// Adds "Chargers on the network…" to the window's View menu.
void addNetworkMenu(QWidget& window, SettingsStore& settings);
// Writes that item's caption in the language chosen (a language switch);
// nothing before the item is added.
void setNetworkMenuCaption(QWidget& window, bool chinese);

}  // namespace cellwatch
