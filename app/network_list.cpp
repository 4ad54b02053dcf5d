#include "app/network_list.h"

#include <QAction>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/captions.h"
#include "app/network_watch.h"
#include "app/settings_store.h"

namespace cellwatch {
namespace {

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

}  // namespace

QString worstCellText(const std::array<double, 12>& cells) {
    double sum = 0;
    int present = 0;
    for (const double v : cells) {
        if (v > 0) {
            sum += v;
            ++present;
        }
    }
    if (present == 0) {
        return {};
    }
    const double mean = sum / present;
    std::size_t worst = 0;
    double furthest = -1;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] > 0 && std::abs(cells[i] - mean) > furthest) {
            furthest = std::abs(cells[i] - mean);
            worst = i;
        }
    }
    return QStringLiteral("C%1 %2").arg(worst + 1).arg(number(cells[worst], 2));
}

NetworkListDialog::NetworkListDialog(SettingsStore& settings, const QString& broker,
                                     const QString& password, QWidget* parent)
    : QDialog(parent), settings_(settings), password_(password) {
    net::MqttOptions options;
    options.address = net::parseBrokerAddress(broker, net::NamePart::None);
    options.password = password;
    options.reconnect = true;
    broker_ = options.address.text();
    client_ = std::make_unique<net::MqttClient>(options);

    setWindowTitle(QStringLiteral("Chargers on the network"));
    auto* layout = new QVBoxLayout(this);
    state_ = new QLabel(QStringLiteral("Connecting to %1…").arg(broker_), this);
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Charger"), QStringLiteral("Status"),
                                       QStringLiteral("State"), QStringLiteral("Voltage (V)"),
                                       QStringLiteral("Current (A)"),
                                       QStringLiteral("Capacity (mAh)"),
                                       QStringLiteral("Worst cell (V)"), QStringLiteral("Alarm")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSortingEnabled(false);
    layout->addWidget(state_);
    layout->addWidget(table_);
    resize(820, 320);

    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
    connect(client_.get(), &net::MqttClient::message, this, &NetworkListDialog::take);
    connect(client_.get(), &net::MqttClient::connected, this,
            [this] { state_->setText(QStringLiteral("Chargers on %1").arg(broker_)); });
    connect(client_.get(), &net::MqttClient::notice, this,
            [this](const QString& text) { state_->setText(text); });
    client_->subscribe({QStringLiteral("cellwatch/+/status"), QStringLiteral("cellwatch/+/row"),
                        QStringLiteral("cellwatch/+/event")});
    client_->start();
}

NetworkListDialog::~NetworkListDialog() = default;

int NetworkListDialog::rowOf(const QString& name) const {
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (table_->item(row, Name) != nullptr && table_->item(row, Name)->text() == name) {
            return row;
        }
    }
    return -1;
}

int NetworkListDialog::ensureRow(const QString& name) {
    int row = rowOf(name);
    if (row < 0) {
        row = table_->rowCount();
        table_->insertRow(row);
        for (int column = 0; column < ColumnCount; ++column) {
            table_->setItem(row, column, new QTableWidgetItem());
        }
        table_->item(row, Name)->setText(name);
    }
    return row;
}

void NetworkListDialog::setCell(int row, Column column, const QString& text) {
    table_->item(row, column)->setText(text);
}

void NetworkListDialog::take(const QString& topic, const QByteArray& payload) {
    const QStringList parts = topic.split(u'/');
    if (parts.size() != 3 || !net::isChargerName(parts[1])) {
        return;
    }
    const QString& name = parts[1];
    const QString& leaf = parts[2];
    if (leaf == QLatin1String("status")) {
        if (payload != net::kOnline && payload != net::kOffline) {
            return;
        }
        const int row = ensureRow(name);
        setCell(row, Status, QString::fromLatin1(payload));
        if (payload == net::kOnline) {
            setCell(row, Alarm, QString());  // a new run
        }
    } else if (leaf == QLatin1String("row")) {
        const std::optional<net::RowValues> values = net::parseRowJson(payload);
        if (!values) {
            return;
        }
        const int row = ensureRow(name);
        setCell(row, State, values->state);
        setCell(row, Voltage, number(values->voltageV, 2));
        setCell(row, Current, number(values->currentA, 2));
        setCell(row, Capacity, number(values->capacityMah, 0));
        setCell(row, WorstCell, worstCellText(values->cellsV));
    } else if (leaf == QLatin1String("event")) {
        const QJsonObject o = QJsonDocument::fromJson(payload).object();
        if (o.value(QStringLiteral("event")).toString() == QLatin1String("alarm")) {
            const int row = ensureRow(name);
            const QString kind = o.value(QStringLiteral("kind")).toString();
            const QString text = o.value(QStringLiteral("text")).toString();
            setCell(row, Alarm, text.isEmpty() ? kind : text);
            table_->item(row, Alarm)->setForeground(Qt::red);
        }
    }
}

NetworkWatch* NetworkListDialog::openRow(int row) {
    if (row < 0 || row >= table_->rowCount()) {
        return nullptr;
    }
    const net::BrokerAddress broker = client_->options().address;
    net::BrokerAddress charger = broker;
    charger.name = table_->item(row, Name)->text();
    return NetworkWatch::open(settings_, charger.text(), this, password_);
}

void NetworkListDialog::showFor(SettingsStore& settings, QWidget* parent) {
    const QString stored =
        settings.read(kSettingsApplication, kNetworkSection, kNetworkBrokerKey, QString());
    bool ok = false;
    const QString broker = QInputDialog::getText(
        parent, QStringLiteral("Chargers on the network"),
        QStringLiteral("Broker (mqtt://[USER@]HOST[:PORT] or mqtts://…):"), QLineEdit::Normal,
        stored.isEmpty() ? QStringLiteral("mqtt://localhost") : stored, &ok);
    if (!ok || broker.trimmed().isEmpty()) {
        return;
    }
    try {
        const net::BrokerAddress address =
            net::parseBrokerAddress(broker.trimmed(), net::NamePart::None);
        QString password;
        if (!address.user.isEmpty()) {
            password = QInputDialog::getText(
                parent, QStringLiteral("Chargers on the network"),
                QStringLiteral("Password of %1 on %2:").arg(address.user, address.brokerText()),
                QLineEdit::Password, QString(), &ok);
            if (!ok) {
                return;
            }
        }
        settings.write(kSettingsApplication, kNetworkSection, kNetworkBrokerKey, address.text());
        auto* dialog = new NetworkListDialog(settings, address.text(), password, parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
    } catch (const std::exception& e) {
        QMessageBox::critical(parent, QStringLiteral("Cellwatch"), QString::fromUtf8(e.what()));
    }
}

void addNetworkMenu(QWidget& window, SettingsStore& settings) {
    auto* view = window.findChild<QMenu*>(QStringLiteral("View1"));
    if (view == nullptr) {
        return;
    }
    view->addSeparator();
    QAction* action = view->addAction(QString());
    action->setObjectName(QStringLiteral("NetworkList"));
    setNetworkMenuCaption(window, isChinese(readLanguageCode(settings)));
    QObject::connect(action, &QAction::triggered, &window,
                     [&window, &settings] { NetworkListDialog::showFor(settings, &window); });
}

void setNetworkMenuCaption(QWidget& window, bool chinese) {
    auto* view = window.findChild<QMenu*>(QStringLiteral("View1"));
    QAction* action = view ? view->findChild<QAction*>(QStringLiteral("NetworkList")) : nullptr;
    if (action != nullptr) {
        action->setText(kNetworkListItem.pick(chinese));
    }
}

}  // namespace cellwatch
