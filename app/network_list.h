// View > Chargers on the network…: every charger published on one broker
// (each channel of a charger of several as an entry of its own, "bench1 · 2"),
// with its status and, from its rows, state, voltage, current, capacity and
// worst cell; raised alarms show beside them. A double-click opens the
// charger in a window of its own. The broker is asked for once and kept in
// the settings.
//
// Messages are taken as they come but shown a few times a second: what came
// for each charger since the last update is kept (the newest of each kind)
// and written into the table at once. At most kMaxListed chargers are
// listed; the rest are counted beside the table. A row that no charger
// could send (the recording's plausibility rule) is dropped and counted.
//
// Opened over a main window, the list tells a listed charger's alarm as the
// window tells its own, through its notification ("bench1: Cell too high"),
// once per kind of alarm in each run of the charger (until it is online
// again): a charger raising the same alarm over and over is told once.
// While a window opened from the list watches the charger, that window
// tells its alarms instead.
#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "net/messages.h"
#include "net/mqtt_client.h"

class QLabel;
class QTableWidget;
class QMenu;

namespace cellwatch {

class AlarmWatch;
class Settings;
class NetworkWatch;

// The list's entry of a charger's channel: "bench1", or "bench1 · 2" for
// channel 2 of a charger of several (channel 0: none).
QString channelEntry(const QString& name, int channel);

// The cell furthest from the average of the cells present (non-zero), as
// "C3 4.21"; "" without cells.
QString worstCellText(const std::array<double, 12>& cells);

class NetworkListDialog final : public QDialog {
    Q_OBJECT
public:
    enum Column { Name, Status, State, Voltage, Current, Capacity, WorstCell, Alarm, ColumnCount };

    // Lists the chargers on `broker` (mqtt[s]://[USER@]HOST[:PORT]). Throws
    // net::AddressError or net::MqttError when it cannot be set up. Over a
    // main window (`parent`), alarms go to its notifications.
    NetworkListDialog(Settings& settings, const QString& broker, const QString& password,
                      QWidget* parent = nullptr);
    ~NetworkListDialog() override;

    // Chargers listed at most.
    static constexpr int kMaxListed = 500;
    // How often the table is updated at most.
    static constexpr int kUpdateIntervalMs = 250;

    QTableWidget& table() { return *table_; }
    QLabel& stateLabel() { return *state_; }
    // Messages taken so far, rows dropped as implausible, chargers left out.
    std::uint64_t messagesTaken() const { return taken_; }
    std::uint64_t implausibleRows() const { return implausible_; }
    int chargersLeftOut() const { return static_cast<int>(leftOut_.size()); }
    // Writes what came since the last update into the table now.
    void applyUpdates();
    void setUpdateInterval(int ms) { updateTimer_.setInterval(ms); }
    // The row of an entry (channelEntry()); -1 when it is not listed.
    int rowOf(const QString& entry) const;
    // Opens the charger of `row` in a window of its own.
    NetworkWatch* openRow(int row);

    // Asks for the broker (the stored one proposed) and shows the list;
    // failures in a message box.
    static void showFor(Settings& settings, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    // What came for one charger since the last update.
    struct Pending {
        QString name;     // the charger's
        int channel = 0;  // 0: the charger's own (its status, or its only channel)
        std::optional<QByteArray> status;
        std::optional<net::RowValues> row;
        std::optional<QString> alarm;
    };

    void take(const QString& topic, const QByteArray& payload);
    // Tells an entry's alarm through the window's notification.
    void notifyAlarm(const QString& name, int channel, const QString& kind, const QString& text);
    void showEntry(const Pending& pending);
    // The row of a charger's channel (0: the charger of one channel), added
    // when there is room; -1 when there is none. The first channel heard of
    // a charger listed without one takes its row.
    int ensureRow(const QString& name, int channel);
    // The rows of a charger: each channel's, or its own.
    QList<int> rowsOfCharger(const QString& name) const;
    void setCell(int row, Column column, const QString& text);
    void showState();

    Settings& settings_;
    QHash<QString, Pending> pending_;     // by entry
    QHash<QString, int> rows_;            // by entry
    QHash<QString, QSet<int>> channels_;  // heard of each charger
    QHash<QString, QByteArray> status_;   // of each charger
    // The kinds of alarm told for each entry in its charger's present run.
    QHash<QString, QSet<QString>> told_;
    QHash<QString, QPointer<NetworkWatch>> watches_;
    QPointer<AlarmWatch> alarms_;
    QSet<QString> leftOut_;
    QTimer updateTimer_;
    bool connected_ = false;
    std::optional<net::BrokerNotice> notice_;  // the client's last, until it connects
    std::uint64_t taken_ = 0;
    std::uint64_t implausible_ = 0;
    QString broker_;
    QString password_;
    std::unique_ptr<net::MqttClient> client_;
    QTableWidget* table_ = nullptr;
    QLabel* state_ = nullptr;
};

// Carries out View > Chargers on the network… and Watch a charger… (the tool
// bar control's actions).
void useNetworkCommands(QWidget& window, Settings& settings, QAction* list, QAction* watch);

}  // namespace cellwatch
