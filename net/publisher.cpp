#include "net/publisher.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <algorithm>

#include "protocol/reading_format.h"

namespace cellwatch::net {
namespace {

struct Sensor {
    const char* id;
    const char* title;
    const char* field;
    const char* unit;
    const char* deviceClass;
};

constexpr Sensor kSensors[] = {
    {"voltage", "Voltage", "voltage_v", "V", "voltage"},
    {"current", "Current", "current_a", "A", "current"},
    {"capacity", "Capacity", "capacity_mah", "mAh", nullptr},
    {"power", "Power", "power_w", "W", "power"},
    {"ext_temp", "External temperature", "ext_c", "°C", "temperature"},
    {"int_temp", "Internal temperature", "int_c", "°C", "temperature"},
    {"input_voltage", "Input voltage", "input_v", "V", "voltage"},
    {"state", "State", "state", nullptr, nullptr},
};

QByteArray sensorConfig(const BrokerAddress& address, const QString& rowTopic,
                        const QString& objectId, const QString& title, const QString& valueTemplate,
                        const char* unit, const char* deviceClass) {
    QJsonObject device;
    device[QStringLiteral("identifiers")] = QStringLiteral("cellwatch_") + address.name;
    device[QStringLiteral("name")] = QStringLiteral("Charger ") + address.name;
    device[QStringLiteral("model")] = QStringLiteral("Cellwatch");
    QJsonObject o;
    o[QStringLiteral("name")] = title;
    o[QStringLiteral("object_id")] = objectId;
    o[QStringLiteral("unique_id")] = objectId;
    o[QStringLiteral("state_topic")] = rowTopic;
    o[QStringLiteral("value_template")] = valueTemplate;
    o[QStringLiteral("availability_topic")] = address.topic(QStringLiteral("status"));
    // A signed status is "online~TOKEN": the word before '~' counts.
    o[QStringLiteral("availability_template")] = QStringLiteral("{{ value.split('~')[0] }}");
    o[QStringLiteral("payload_available")] = QLatin1String(kOnline);
    o[QStringLiteral("payload_not_available")] = QLatin1String(kOffline);
    if (unit != nullptr) {
        o[QStringLiteral("unit_of_measurement")] = QString::fromUtf8(unit);
        o[QStringLiteral("state_class")] = QStringLiteral("measurement");
    }
    if (deviceClass != nullptr) {
        o[QStringLiteral("device_class")] = QString::fromLatin1(deviceClass);
    }
    o[QStringLiteral("device")] = device;
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

}  // namespace

std::vector<std::pair<QString, QByteArray>> discoveryConfigs(const BrokerAddress& address,
                                                             int channels) {
    // Discovery ids take letters, digits, '_' and '-'.
    QString charger = QStringLiteral("cellwatch_") + address.name;
    charger.replace(u'.', u'_');
    std::vector<std::pair<QString, QByteArray>> out;
    for (int channel = 1; channel <= std::max(channels, 1); ++channel) {
        // With several channels each has its own ids, topic and titles.
        const bool one = channels <= 1;
        const QString base = one ? charger : charger + QStringLiteral("_ch%1").arg(channel);
        const QString rowTopic =
            address.topic(one ? QStringLiteral("row") : QStringLiteral("%1/row").arg(channel));
        const QString prefix = one ? QString() : QStringLiteral("Channel %1 ").arg(channel);
        const auto add = [&](const QString& field, const QString& title, const QString& value,
                             const char* unit, const char* deviceClass) {
            const QString id = base + u'_' + field;
            out.emplace_back(
                QStringLiteral("homeassistant/sensor/%1/config").arg(id),
                sensorConfig(address, rowTopic, id, prefix + title, value, unit, deviceClass));
        };
        for (const Sensor& s : kSensors) {
            QString title = QString::fromUtf8(s.title);
            if (!one) {
                title[0] = title[0].toLower();
            }
            add(QString::fromLatin1(s.id), title,
                QStringLiteral("{{ value_json.%1 }}").arg(QString::fromLatin1(s.field)), s.unit,
                s.deviceClass);
        }
        for (int cell = 1; cell <= 12; ++cell) {
            add(QStringLiteral("cell%1").arg(cell),
                (one ? QStringLiteral("Cell %1") : QStringLiteral("cell %1")).arg(cell),
                QStringLiteral("{{ value_json.cells_v[%1] }}").arg(cell - 1), "V", "voltage");
        }
    }
    return out;
}

MqttOptions Publisher::withWill(MqttOptions options) {
    const QString status = options.address.topic(QStringLiteral("status"));
    options.will = MqttOptions::Will{status, QByteArray(kOffline), true};
    if (auth_) {
        // Each connection signs its will in advance, with the number that
        // follows everything the connection publishes.
        options.willAtConnect = [this, status]() -> std::optional<MqttOptions::Will> {
            sequence_.beginConnection(QDateTime::currentMSecsSinceEpoch());
            return MqttOptions::Will{
                status, auth_->sign(status, QByteArray(kOffline), sequence_.will()), true};
        };
        // Signed as they go out, so that the numbers follow the order the
        // broker gets them in (what waited for the first answer goes after
        // the status and start of the connection). Discovery configurations
        // stay as they are.
        const QString charger = options.address.topic(QString());
        options.sealAtSend = [this, charger](const QString& topic, const QByteArray& payload) {
            return topic.startsWith(charger) ? auth_->sign(topic, payload, sequence_.next())
                                             : payload;
        };
    }
    options.reconnect = true;
    return options;
}

Publisher::Publisher(MqttOptions options, bool discovery, QByteArray key, QObject* parent)
    : QObject(parent),
      auth_(key.isEmpty() ? std::nullopt : std::optional<MessageAuth>(std::move(key))),
      client_(withWill(std::move(options))),
      discovery_(discovery) {
    run_ = QString::number(QRandomGenerator::system()->generate64(), 16);
    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &QTimer::timeout, this, [this] {
        for (int channel = 1; channel <= channels_; ++channel) {
            if (resumes_[static_cast<std::size_t>(channel - 1)]) {
                putResume(channel);
            }
        }
    });
    connect(&client_, &MqttClient::connected, this, &Publisher::online);
    connect(&client_, &MqttClient::noticed, this, &Publisher::noticed);
    connect(&client_, &MqttClient::notice, this, &Publisher::notice);
}

void Publisher::online() {
    put(QStringLiteral("status"), QByteArray(kOnline), true);
    for (int channel = 1; channel <= channels_; ++channel) {
        if (resumes_[static_cast<std::size_t>(channel - 1)]) {
            putResume(channel);
        }
    }
    if (start_) {
        put(QStringLiteral("start"), startBytes(*start_), true);
    }
    if (discovery_) {
        for (const auto& [topic, config] : discoveryConfigs(client_.options().address, channels_)) {
            client_.publish(topic, config, 1, true);
        }
    }
}

void Publisher::put(const QString& leaf, const QByteArray& payload, bool retain, bool droppable) {
    const QString topic = client_.options().address.topic(leaf);
    if (client_.publish(topic, payload, 1, retain, droppable)) {
        ++published_;
    } else {
        ++dropped_;
    }
}

void Publisher::setStart(const CaptureStart& start) {
    start_ = start;
    put(QStringLiteral("start"), startBytes(start), true);
}

void Publisher::setChannels(int count) {
    channels_ = std::clamp(count, 1, kMostChannels);
}

QString Publisher::channelLeaf(int channel, const QString& leaf) const {
    if (channel < 1 || channel > channels_) {
        return {};
    }
    return channels_ == 1 ? leaf : QString::number(channel) + u'/' + leaf;
}

void Publisher::raw(std::int64_t wallMs, std::uint32_t ticks, std::span<const std::uint8_t> bytes,
                    CaptureDirection direction) {
    const bool named = start_ && start_->driver != ReadingFormat::kDriverId;
    if (!named && direction == CaptureDirection::Sent) {
        return;  // format 1 has no requests
    }
    do {
        const std::size_t n = std::min(bytes.size(), kCaptureMaxRecordBytes);
        put(QStringLiteral("raw"),
            named ? namedRecordBytes(wallMs, ticks, bytes.first(n), direction)
                  : recordBytes(wallMs, ticks, bytes.first(n)),
            false, true);
        bytes = bytes.subspan(n);
    } while (!bytes.empty());
}

void Publisher::resume(const ResumeState& state, int channel) {
    if (channel < 1 || channel > channels_) {
        ++dropped_;
        return;
    }
    resumes_[static_cast<std::size_t>(channel - 1)] = state;
    putResume(channel);
    heartbeat_.start();
}

void Publisher::putResume(int channel) {
    std::optional<ResumeState>& state = resumes_[static_cast<std::size_t>(channel - 1)];
    state->sentMs = QDateTime::currentMSecsSinceEpoch();
    state->run = run_;
    put(channelLeaf(channel, QStringLiteral("resume")), resumeJson(*state), true);
}

void Publisher::row(const RowValues& row, int channel) {
    const QString leaf = channelLeaf(channel, QStringLiteral("row"));
    if (leaf.isEmpty()) {
        ++dropped_;
        return;
    }
    put(leaf, rowJson(row));
}

void Publisher::event(const QDateTime& wall, const QString& name, const QString& kind,
                      const QString& text, int channel) {
    const QString leaf = channelLeaf(channel, QStringLiteral("event"));
    if (leaf.isEmpty()) {
        ++dropped_;
        return;
    }
    put(leaf, eventJson(wall, name, kind, text));
}

void Publisher::finish() {
    const QString status = client_.options().address.topic(QStringLiteral("status"));
    client_.finish(std::make_pair(status, QByteArray(kOffline)));
}

}  // namespace cellwatch::net
