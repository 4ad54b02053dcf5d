#include "net/influx_line.h"

#include <algorithm>

#include "alarms/alarm_rules.h"
#include "protocol/reading_format.h"

namespace cellwatch::net {
namespace {

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

void appendTags(std::string& out, std::string_view measurement, const InfluxTags& tags) {
    out += measurement;
    if (!tags.charger.empty()) {
        out += ",charger=";
        appendInfluxTag(out, tags.charger);
    }
    out += ",channel=";
    ReadingFormat::appendWhole(out, tags.channel);
    if (!tags.pack.empty()) {
        out += ",pack=";
        appendInfluxTag(out, tags.pack);
    }
}

// Fields of one line, each after a comma but the first.
class Fields {
public:
    explicit Fields(std::string& out) : out_(out) { out_ += ' '; }

    void number(std::string_view key, double value) {
        name(key);
        ReadingFormat::appendJsonNumber(out_, value);
    }
    void number(std::string_view key, Decimal value) { number(key, value.toDouble()); }
    void number(std::string_view key, const std::optional<Decimal>& value) {
        if (value) {
            number(key, *value);
        }
    }
    void whole(std::string_view key, std::int64_t value) {
        name(key);
        ReadingFormat::appendWhole(out_, value);
        out_ += 'i';
    }
    void text(std::string_view key, std::string_view value) {
        name(key);
        appendInfluxString(out_, value);
    }

private:
    void name(std::string_view key) {
        if (any_) {
            out_ += ',';
        }
        any_ = true;
        out_ += key;
        out_ += '=';
    }

    std::string& out_;
    bool any_ = false;
};

void appendTime(std::string& out, std::int64_t timeNs) {
    out += ' ';
    ReadingFormat::appendWhole(out, timeNs);
}

}  // namespace

void appendInfluxTag(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == ' ' || c == '=') {
            out += '\\';
            out += c;
        } else if (isControl(c)) {
            out += "\\ ";
        } else if (c == '\\') {
            out += '/';
        } else {
            out += c;
        }
    }
}

void appendInfluxString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (isControl(c)) {
            out += ' ';
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendInfluxRow(std::string& out, const InfluxTags& tags, const Reading& r,
                     std::int64_t timeNs) {
    appendTags(out, kInfluxRowMeasurement, tags);
    Fields fields(out);
    fields.number("voltage_v", r.voltage);
    fields.number("current_a", r.current);
    fields.number("capacity_mah", r.capacity);
    fields.number("energy_wh", r.energy);
    fields.number("power_w", r.power);
    fields.number("input_v", r.inputVoltage);
    fields.number("temp_int_c", r.intTemperature);
    fields.number("temp_ext_c", r.extTemperature);
    fields.number("resistance_mohm", r.packResistance);
    // A cell slot at 0 V is a cell the pack does not have.
    static constexpr std::string_view kCellKeys[kMostCells] = {
        "cell1_v",  "cell2_v",  "cell3_v",  "cell4_v",  "cell5_v",  "cell6_v",
        "cell7_v",  "cell8_v",  "cell9_v",  "cell10_v", "cell11_v", "cell12_v",
        "cell13_v", "cell14_v", "cell15_v", "cell16_v"};
    static constexpr std::string_view kResistanceKeys[kMostCells] = {
        "cell1_mohm",  "cell2_mohm",  "cell3_mohm",  "cell4_mohm",  "cell5_mohm",  "cell6_mohm",
        "cell7_mohm",  "cell8_mohm",  "cell9_mohm",  "cell10_mohm", "cell11_mohm", "cell12_mohm",
        "cell13_mohm", "cell14_mohm", "cell15_mohm", "cell16_mohm"};
    const int cells = std::clamp(r.cellCount, 0, kMostCells);
    for (int i = 0; i < cells; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!r.cells[at].isZero()) {
            fields.number(kCellKeys[at], r.cells[at]);
        }
        fields.number(kResistanceKeys[at], r.cellResistance[at]);
    }
    fields.whole("state", static_cast<int>(r.state));
    if (r.errorCode) {
        fields.whole("error_code", *r.errorCode);
    }
    appendTime(out, timeNs);
}

void appendInfluxAlarm(std::string& out, const InfluxTags& tags, const alarms::Alarm& alarm,
                       std::int64_t timeNs, std::optional<Decimal> limit) {
    appendTags(out, kInfluxAlarmMeasurement, tags);
    out += ",kind=";
    appendInfluxTag(out, alarms::kindName(alarm.kind));
    Fields fields(out);
    fields.text("text", alarm.text);
    fields.number("limit", limit);
    appendTime(out, timeNs);
}

}  // namespace cellwatch::net
