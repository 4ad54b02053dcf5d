#include "app/network_list.h"

#include <QAction>
#include <QEvent>
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
#include <utility>

#include "alarms/alarm_rules.h"
#include "app/alarm_band.h"
#include "app/alarm_settings_dialog.h"
#include "app/alarm_texts.h"
#include "app/broker_notice_texts.h"
#include "app/captions.h"
#include "app/network_watch.h"
#include "app/network_watch_dialog.h"
#include "app/settings.h"

namespace cellwatch {
namespace {

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

}  // namespace

QString channelEntry(const QString& name, int channel) {
    return channel > 0 ? name + QStringLiteral(" · ") + QString::number(channel) : name;
}

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

NetworkListDialog::NetworkListDialog(Settings& settings, const QString& broker,
                                     const QString& password, QWidget* parent)
    : QDialog(parent), settings_(settings), password_(password) {
    if (parent != nullptr) {
        alarms_ = parent->findChild<AlarmWatch*>(QString(), Qt::FindDirectChildrenOnly);
    }
    net::MqttOptions options;
    options.address = net::parseBrokerAddress(broker, net::NamePart::None);
    options.password = password;
    options.reconnect = true;
    broker_ = options.address.text();
    client_ = std::make_unique<net::MqttClient>(options);

    auto* layout = new QVBoxLayout(this);
    state_ = new QLabel(this);
    table_ = new QTableWidget(0, ColumnCount, this);
    retranslate();
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
    connect(client_.get(), &net::MqttClient::connected, this, [this] {
        connected_ = true;
        notice_.reset();
        showState();
    });
    connect(client_.get(), &net::MqttClient::noticed, this, [this](const net::BrokerNotice& n) {
        notice_ = n;
        showState();
    });
    updateTimer_.setSingleShot(true);
    updateTimer_.setInterval(kUpdateIntervalMs);
    connect(&updateTimer_, &QTimer::timeout, this, &NetworkListDialog::applyUpdates);
    client_->subscribe({QStringLiteral("cellwatch/+/status"), QStringLiteral("cellwatch/+/row"),
                        QStringLiteral("cellwatch/+/event"), QStringLiteral("cellwatch/+/+/row"),
                        QStringLiteral("cellwatch/+/+/event")});
    client_->start();
}

NetworkListDialog::~NetworkListDialog() = default;

int NetworkListDialog::rowOf(const QString& entry) const {
    return rows_.value(entry, -1);
}

int NetworkListDialog::ensureRow(const QString& name, int channel) {
    const QString entry = channelEntry(name, channel);
    const auto found = rows_.constFind(entry);
    if (found != rows_.cend()) {
        return *found;
    }
    QSet<int>& channels = channels_[name];
    if (channel > 0 && channels.isEmpty() && rows_.contains(name)) {
        // Listed by its status before a channel was heard of: that row is
        // the channel's now.
        const int row = rows_.take(name);
        rows_.insert(entry, row);
        channels.insert(channel);
        QTableWidgetItem* item = table_->item(row, Name);
        item->setText(entry);
        item->setData(Qt::UserRole + 1, channel);
        return row;
    }
    if (rows_.size() >= kMaxListed) {
        leftOut_.insert(entry);
        return -1;
    }
    if (channel > 0) {
        channels.insert(channel);
    }
    const int row = table_->rowCount();
    table_->insertRow(row);
    for (int column = 0; column < ColumnCount; ++column) {
        table_->setItem(row, column, new QTableWidgetItem());
    }
    QTableWidgetItem* item = table_->item(row, Name);
    item->setText(entry);
    item->setData(Qt::UserRole, name);
    item->setData(Qt::UserRole + 1, channel);
    if (const auto status = status_.constFind(name); status != status_.cend()) {
        table_->item(row, Status)->setText(QString::fromLatin1(*status));
    }
    rows_.insert(entry, row);
    return row;
}

QList<int> NetworkListDialog::rowsOfCharger(const QString& name) const {
    QList<int> rows;
    if (const auto own = rows_.constFind(name); own != rows_.cend()) {
        rows << *own;
    }
    for (const int channel : channels_.value(name)) {
        if (const auto found = rows_.constFind(channelEntry(name, channel));
            found != rows_.cend()) {
            rows << *found;
        }
    }
    return rows;
}

void NetworkListDialog::setCell(int row, Column column, const QString& text) {
    QTableWidgetItem* item = table_->item(row, column);
    if (item->text() != text) {
        item->setText(text);
    }
}

void NetworkListDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void NetworkListDialog::retranslate() {
    setWindowTitle(tr("Chargers on the network"));
    table_->setHorizontalHeaderLabels({tr("Charger"), tr("Status"), tr("State"), tr("Voltage (V)"),
                                       tr("Current (A)"), tr("Capacity (mAh)"),
                                       tr("Worst cell (V)"), tr("Alarm")});
    showState();
}

void NetworkListDialog::showState() {
    // The client's last notice, worded in the language now.
    QString text = notice_      ? brokerNoticeText(*notice_)
                   : connected_ ? tr("Chargers on %1").arg(broker_)
                                : tr("Connecting to %1…").arg(broker_);
    if (!leftOut_.isEmpty()) {
        //: %1 how many chargers, %2 the most the list shows
        text +=
            tr(" — %1 more not listed (the list shows %2)").arg(leftOut_.size()).arg(kMaxListed);
    }
    if (implausible_ > 0) {
        text += tr(" — %1 implausible rows dropped").arg(implausible_);
    }
    state_->setText(text);
}

void NetworkListDialog::take(const QString& topic, const QByteArray& payload) {
    // cellwatch/NAME/LEAF, or cellwatch/NAME/CHANNEL/LEAF for a recording's.
    const QStringList parts = topic.split(u'/');
    if ((parts.size() != 3 && parts.size() != 4) || !net::isChargerName(parts[1])) {
        return;
    }
    int channel = 0;
    if (parts.size() == 4) {
        const QString& c = parts[2];
        if (c.size() != 1 || c[0] < u'1' || c[0] > QChar(u'0' + net::kMostAddressChannels)) {
            return;
        }
        channel = c[0].unicode() - u'0';
    }
    ++taken_;
    const QString& name = parts[1];
    const QString& leaf = parts.last();
    Pending update;
    if (leaf == QLatin1String("status") && channel == 0) {
        if (payload != net::kOnline && payload != net::kOffline) {
            return;
        }
        update.status = payload;
        if (payload == net::kOnline) {
            // A new run.
            told_.remove(name);
            for (const int c : channels_.value(name)) {
                told_.remove(channelEntry(name, c));
            }
        }
    } else if (leaf == QLatin1String("row")) {
        std::optional<net::RowValues> values = net::parseRowJson(payload);
        if (!values) {
            return;
        }
        // The rule a local recording applies: a charger at 100000 V or
        // 0 V is no charger.
        if (!net::isPlausibleRow(*values)) {
            ++implausible_;
            return;
        }
        update.row = std::move(values);
    } else if (leaf == QLatin1String("event")) {
        const QJsonObject o = QJsonDocument::fromJson(payload).object();
        if (o.value(QStringLiteral("event")).toString() != QLatin1String("alarm")) {
            return;
        }
        const QString kind = o.value(QStringLiteral("kind")).toString();
        const QString text = o.value(QStringLiteral("text")).toString();
        update.alarm = text.isEmpty() ? kind : text;
        notifyAlarm(name, channel, kind, text);
    } else {
        return;
    }
    Pending& pending = pending_[channelEntry(name, channel)];
    pending.name = name;
    pending.channel = channel;
    if (update.status) {
        pending.status = update.status;
        if (*update.status == net::kOnline) {
            pending.alarm.reset();  // a new run: showEntry() clears the alarms shown
        }
    }
    if (update.row) {
        pending.row = std::move(update.row);
    }
    if (update.alarm) {
        pending.alarm = update.alarm;
    }
    if (!updateTimer_.isActive()) {
        updateTimer_.start();
    }
}

void NetworkListDialog::notifyAlarm(const QString& name, int channel, const QString& kind,
                                    const QString& text) {
    const std::optional<alarms::Kind> known = alarms::kindFromName(kind.toStdString());
    if (!alarms_ || !alarms_->notify || !known) {
        return;
    }
    const QString entry = channelEntry(name, channel);
    const QPointer<NetworkWatch> watch = watches_.value(entry);
    if ((watch && !watch->lost()) || told_.value(entry).contains(kind) ||
        ensureRow(name, channel) < 0) {
        return;
    }
    told_[entry].insert(kind);
    alarms_->notify(entry + QStringLiteral(": ") + alarmKindCaption(*known),
                    alarmText(*known, text));
}

void NetworkListDialog::applyUpdates() {
    updateTimer_.stop();
    const QHash<QString, Pending> pending = std::exchange(pending_, {});
    table_->setUpdatesEnabled(false);
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        showEntry(it.value());
    }
    table_->setUpdatesEnabled(true);
    showState();
}

void NetworkListDialog::showEntry(const Pending& pending) {
    if (pending.status) {
        // The charger's: on each of its channels' rows.
        status_.insert(pending.name, *pending.status);
        QList<int> rows = rowsOfCharger(pending.name);
        if (rows.isEmpty()) {
            rows << ensureRow(pending.name, 0);
        }
        for (const int row : rows) {
            if (row >= 0) {
                setCell(row, Status, QString::fromLatin1(*pending.status));
                if (*pending.status == net::kOnline) {
                    setCell(row, Alarm, QString());  // a new run
                    table_->item(row, Alarm)->setForeground(QBrush());
                }
            }
        }
    }
    if (!pending.row && !pending.alarm) {
        return;
    }
    const int row = ensureRow(pending.name, pending.channel);
    if (row < 0) {
        return;
    }
    if (pending.row) {
        const net::RowValues& values = *pending.row;
        setCell(row, State, values.state);
        setCell(row, Voltage, number(values.voltageV, 2));
        setCell(row, Current, number(values.currentA, 2));
        setCell(row, Capacity, number(values.capacityMah, 0));
        setCell(row, WorstCell, worstCellText(values.cellsV));
    }
    if (pending.alarm) {
        setCell(row, Alarm, *pending.alarm);
        table_->item(row, Alarm)
            ->setForeground(pending.alarm->isEmpty() ? QBrush() : QBrush(Qt::red));
    }
}

NetworkWatch* NetworkListDialog::openRow(int row) {
    if (row < 0 || row >= table_->rowCount()) {
        return nullptr;
    }
    const QTableWidgetItem* item = table_->item(row, Name);
    net::BrokerAddress charger = client_->options().address;
    charger.name = item->data(Qt::UserRole).toString();
    charger.channel = item->data(Qt::UserRole + 1).toInt();
    NetworkWatch* watch = NetworkWatch::open(settings_, charger.text(), this, password_);
    if (watch != nullptr) {
        watches_.insert(item->text(), watch);
    }
    return watch;
}

void NetworkListDialog::showFor(Settings& settings, QWidget* parent) {
    const QString stored = settings.text(Text::Broker);
    bool ok = false;
    const QString broker = QInputDialog::getText(
        parent, tr("Chargers on the network"),
        tr("Broker (mqtt://[USER@]HOST[:PORT] or mqtts://…):"), QLineEdit::Normal,
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
                parent, tr("Chargers on the network"),
                tr("Password of %1 on %2:").arg(address.user, address.brokerText()),
                QLineEdit::Password, QString(), &ok);
            if (!ok) {
                return;
            }
        }
        settings.setText(Text::Broker, address.text());
        auto* dialog = new NetworkListDialog(settings, address.text(), password, parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
    } catch (const std::exception& e) {
        //: %1 why, in the words of the part that failed
        QMessageBox::critical(parent, QStringLiteral("Cellwatch"),
                              NetworkListDialog::tr("Cannot list the chargers on the network: %1")
                                  .arg(QString::fromUtf8(e.what())));
    }
}

void useNetworkCommands(QWidget& window, Settings& settings, QAction* list, QAction* watch) {
    QObject::connect(list, &QAction::triggered, &window,
                     [&window, &settings] { NetworkListDialog::showFor(settings, &window); });
    QObject::connect(watch, &QAction::triggered, &window,
                     [&window, &settings] { WatchConnectDialog::showFor(settings, &window); });
}

}  // namespace cellwatch
