#include "net/messages.h"

#include "net/json_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace cellwatch::net {
namespace {

constexpr std::array<char, 6> kMagic{'C', 'W', 'C', 'A', 'P', 0x1A};

template <typename T>
void putLittle(QByteArray& out, T value) {
    using U = std::make_unsigned_t<T>;
    auto u = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out.append(static_cast<char>(u & 0xFF));
        u = static_cast<U>(u >> 8);
    }
}

template <typename T>
T getLittle(const QByteArray& in, qsizetype at) {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) {
        u = static_cast<U>((u << 8) |
                           static_cast<std::uint8_t>(in[at + static_cast<qsizetype>(i)]));
    }
    return static_cast<T>(u);
}

}  // namespace

QString isoWithOffset(const QDateTime& t) {
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray rowJson(const RowValues& row) {
    JsonArrayText cells;
    for (const double v : row.cellsV) {
        cells.number(v);
    }
    return JsonObjectText()
        .string("wall", isoWithOffset(row.wall))
        .string("time", row.time)
        .string("battery", row.battery)
        .string("state", row.state)
        .number("ext_c", row.extC)
        .number("int_c", row.intC)
        .number("input_v", row.inputV)
        .number("voltage_v", row.voltageV)
        .number("current_a", row.currentA)
        .number("capacity_mah", row.capacityMah)
        .number("power_w", row.powerW)
        .json("cells_v", cells.text())
        .bytes();
}

std::optional<RowValues> parseRowJson(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    const QJsonArray cells = o.value(QStringLiteral("cells_v")).toArray();
    if (!o.value(QStringLiteral("voltage_v")).isDouble() || cells.size() != 12) {
        return std::nullopt;
    }
    RowValues row;
    row.wall = QDateTime::fromString(o.value(QStringLiteral("wall")).toString(), Qt::ISODateWithMs);
    row.time = o.value(QStringLiteral("time")).toString();
    row.battery = o.value(QStringLiteral("battery")).toString();
    row.state = o.value(QStringLiteral("state")).toString();
    row.extC = o.value(QStringLiteral("ext_c")).toDouble();
    row.intC = o.value(QStringLiteral("int_c")).toDouble();
    row.inputV = o.value(QStringLiteral("input_v")).toDouble();
    row.voltageV = o.value(QStringLiteral("voltage_v")).toDouble();
    row.currentA = o.value(QStringLiteral("current_a")).toDouble();
    row.capacityMah = o.value(QStringLiteral("capacity_mah")).toDouble();
    row.powerW = o.value(QStringLiteral("power_w")).toDouble();
    for (qsizetype i = 0; i < 12; ++i) {
        row.cellsV[static_cast<std::size_t>(i)] = cells[i].toDouble();
    }
    return row;
}

bool isPlausibleRow(const RowValues& row) {
    const auto finite = [](double v) { return std::isfinite(v); };
    const double values[] = {row.extC,     row.intC,        row.inputV, row.voltageV,
                             row.currentA, row.capacityMah, row.powerW};
    if (!std::all_of(std::begin(values), std::end(values), finite) ||
        !std::all_of(row.cellsV.begin(), row.cellsV.end(), finite)) {
        return false;
    }
    if (row.extC > 100 || row.intC > 100 || row.inputV > 50 || row.voltageV > 50 ||
        row.voltageV == 0) {
        return false;
    }
    return std::none_of(row.cellsV.begin(), row.cellsV.end(), [](double v) { return v > 5; });
}

QByteArray eventJson(const QDateTime& wall, const QString& event, const QString& kind,
                     const QString& text) {
    JsonObjectText o;
    o.string("wall", isoWithOffset(wall)).string("event", event);
    if (event == QLatin1String("alarm")) {
        o.string("kind", kind).string("text", text);
    }
    return o.bytes();
}

// The first family's start is the capture header of format 1, which every
// watcher reads; another driver's is format 2's, its id after the header.
QByteArray startBytes(const CaptureStart& start) {
    const bool named = start.driver != "tkrx";
    QByteArray out(kMagic.data(), kMagic.size());
    putLittle<std::uint16_t>(out, named ? kCaptureNamedVersion : kCaptureVersion);
    putLittle<std::int64_t>(out, start.wallMs);
    putLittle<std::int32_t>(out, start.utcOffsetSeconds);
    putLittle<std::uint32_t>(out, start.ticks);
    if (named) {
        out.append(static_cast<char>(start.driver.size()));
        out.append(start.driver.data(), static_cast<qsizetype>(start.driver.size()));
    }
    return out;
}

std::optional<CaptureStart> parseStart(const QByteArray& bytes) {
    constexpr auto kHeader = static_cast<qsizetype>(kCaptureHeaderSize);
    if (bytes.size() < kHeader ||
        std::memcmp(bytes.constData(), kMagic.data(), kMagic.size()) != 0) {
        return std::nullopt;
    }
    const auto version = getLittle<std::uint16_t>(bytes, 6);
    CaptureStart start;
    if (version == kCaptureNamedVersion && bytes.size() > kHeader) {
        const auto n = static_cast<std::uint8_t>(bytes[kHeader]);
        if (n == 0 || n > kCaptureMostDriverIdBytes || bytes.size() != kHeader + 1 + n) {
            return std::nullopt;
        }
        start.driver = bytes.mid(kHeader + 1).toStdString();
        if (start.driver == "tkrx") {
            return std::nullopt;  // the first family's start is always of format 1
        }
        for (char c : start.driver) {
            if (c <= ' ' || c > '~') {
                return std::nullopt;
            }
        }
    } else if (version == 0 || version > kCaptureVersion || bytes.size() != kHeader) {
        return std::nullopt;
    }
    start.wallMs = getLittle<std::int64_t>(bytes, 8);
    start.utcOffsetSeconds = getLittle<std::int32_t>(bytes, 16);
    start.ticks = getLittle<std::uint32_t>(bytes, 20);
    // An offset no time zone has (beyond 14 hours) or a moment no date can
    // show is no header of ours: the watcher's clock would stand nowhere.
    if (!QDateTime::fromMSecsSinceEpoch(start.wallMs, QTimeZone(start.utcOffsetSeconds))
             .isValid()) {
        return std::nullopt;
    }
    return start;
}

namespace {

QByteArray record(std::int64_t wallMs, std::uint32_t ticks, std::span<const std::uint8_t> bytes,
                  std::optional<CaptureDirection> direction) {
    const std::size_t n = std::min(bytes.size(), kCaptureMaxRecordBytes);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(kCaptureNamedRecordHeaderSize + n));
    putLittle<std::int64_t>(out, wallMs);
    putLittle<std::uint32_t>(out, ticks);
    if (direction) {
        out.append(static_cast<char>(*direction));
    }
    putLittle<std::uint16_t>(out, static_cast<std::uint16_t>(n));
    out.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(n));
    return out;
}

}  // namespace

QByteArray recordBytes(std::int64_t wallMs, std::uint32_t ticks,
                       std::span<const std::uint8_t> bytes) {
    return record(wallMs, ticks, bytes, std::nullopt);
}

QByteArray namedRecordBytes(std::int64_t wallMs, std::uint32_t ticks,
                            std::span<const std::uint8_t> bytes, CaptureDirection direction) {
    return record(wallMs, ticks, bytes, direction);
}

bool parseRecord(const QByteArray& payload, CaptureRecord& record, bool named) {
    const auto header =
        static_cast<qsizetype>(named ? kCaptureNamedRecordHeaderSize : kCaptureRecordHeaderSize);
    if (payload.size() < header) {
        return false;
    }
    const auto n = getLittle<std::uint16_t>(payload, header - 2);
    const auto direction = named ? static_cast<std::uint8_t>(payload[12]) : 0;
    if (payload.size() != header + n ||
        direction > static_cast<std::uint8_t>(CaptureDirection::Sent)) {
        return false;
    }
    record.wallMs = getLittle<std::int64_t>(payload, 0);
    record.ticks = getLittle<std::uint32_t>(payload, 8);
    record.direction = static_cast<CaptureDirection>(direction);
    const auto* data = reinterpret_cast<const std::uint8_t*>(payload.constData()) + header;
    record.bytes.assign(data, data + n);
    return true;
}

QByteArray resumeJson(const ResumeState& state) {
    JsonObjectText o;
    o.whole("connection_ticks", state.connectionTicks)
        .whole("connect_ticks", state.connectTicks)
        .whole("began_ms", state.beganMs)
        .whole("utc_offset", state.utcOffsetSeconds)
        .whole("began_ticks", state.beganTicks)
        .string("last_row", state.lastRow);
    if (state.rowMs != 0) {
        o.whole("row_ticks", state.rowTicks).whole("row_ms", state.rowMs);
    }
    if (state.sentMs != 0) {
        o.whole("sent_ms", state.sentMs);
    }
    if (!state.run.isEmpty()) {
        o.string("run", state.run);
    }
    return o.bytes();
}

std::optional<ResumeState> parseResumeJson(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    const auto ticks = [&o](const char* key) -> std::optional<std::uint32_t> {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isDouble()) {
            return std::nullopt;
        }
        const double d = v.toDouble();
        if (d < 0 || d > 4294967295.0 || d != static_cast<double>(static_cast<std::int64_t>(d))) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(static_cast<std::int64_t>(d));
    };
    const std::optional<std::uint32_t> connection = ticks("connection_ticks");
    const std::optional<std::uint32_t> connect = ticks("connect_ticks");
    const std::optional<std::uint32_t> began = ticks("began_ticks");
    const QJsonValue ms = o.value(QLatin1String("began_ms"));
    const QJsonValue offset = o.value(QLatin1String("utc_offset"));
    const QJsonValue row = o.value(QLatin1String("last_row"));
    // Offsets of the world's time zones lie within 14 hours either way.
    // Milliseconds since 1970 as a double are whole up to 2^53 (285,000 years).
    if (!connection || !connect || !began || !ms.isDouble() || !(std::fabs(ms.toDouble()) < 9e15) ||
        ms.toDouble() != std::trunc(ms.toDouble()) || !offset.isDouble() ||
        std::fabs(offset.toDouble()) > 14 * 3600 || !row.isString() ||
        row.toString().size() > 4096) {
        return std::nullopt;
    }
    ResumeState state;
    state.connectionTicks = *connection;
    state.connectTicks = *connect;
    state.beganTicks = *began;
    state.beganMs = static_cast<std::int64_t>(ms.toDouble());
    state.utcOffsetSeconds = offset.toInt();
    state.lastRow = row.toString();
    const QJsonValue rowMs = o.value(QLatin1String("row_ms"));
    if (const std::optional<std::uint32_t> rowTicks = ticks("row_ticks");
        rowTicks && rowMs.isDouble() && std::fabs(rowMs.toDouble()) < 9e15 &&
        rowMs.toDouble() == std::trunc(rowMs.toDouble())) {
        state.rowTicks = *rowTicks;
        state.rowMs = static_cast<std::int64_t>(rowMs.toDouble());
    }
    const QJsonValue sent = o.value(QLatin1String("sent_ms"));
    if (sent.isDouble() && std::fabs(sent.toDouble()) < 9e15) {
        state.sentMs = static_cast<std::int64_t>(sent.toDouble());
    }
    state.run = o.value(QLatin1String("run")).toString().left(64);
    if (!QDateTime::fromMSecsSinceEpoch(state.beganMs, QTimeZone(state.utcOffsetSeconds))
             .isValid()) {
        return std::nullopt;
    }
    return state;
}

}  // namespace cellwatch::net
