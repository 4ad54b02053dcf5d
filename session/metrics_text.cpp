#include "session/metrics_text.h"

#include <string_view>
#include <utility>

#include "protocol/reading_format.h"

namespace cellwatch::session {

namespace {

using Label = std::pair<std::string_view, std::string>;
using Labels = std::vector<Label>;

// A value kept in thousandths of the unit (mAh, mΩ) in the unit: one
// division, so that the double is the nearest one to the decimal value.
double thousandths(const Decimal& d) {
    return static_cast<double>(d.raw()) / static_cast<double>(Decimal::kScale * 1000);
}
std::optional<double> thousandths(const std::optional<Decimal>& d) {
    return d ? std::optional<double>(thousandths(*d)) : std::nullopt;
}
std::optional<double> plain(const std::optional<Decimal>& d) {
    return d ? std::optional<double>(d->toDouble()) : std::nullopt;
}

void appendSample(std::string& out, std::string_view name, const Labels& labels,
                  const std::string& value) {
    out += name;
    if (!labels.empty()) {
        out += '{';
        for (std::size_t i = 0; i < labels.size(); ++i) {
            out += i == 0 ? "" : ",";
            out += labels[i].first;
            out += "=\"";
            out += metricsLabelValue(labels[i].second);
            out += '"';
        }
        out += '}';
    }
    out += ' ';
    out += value;
    out += '\n';
}

std::string number(double value) {
    std::string text;
    ReadingFormat::appendJsonNumber(text, value);
    return text;
}
std::string whole(std::uint64_t value) {
    std::string text;
    ReadingFormat::appendWhole(text, static_cast<std::int64_t>(value));
    return text;
}

Labels chargerLabels(const ChargerMetrics& charger) {
    return {{"charger", charger.charger}};
}

Labels channelLabels(const ChargerMetrics& charger, const ChannelMetrics& channel) {
    Labels labels = chargerLabels(charger);
    labels.emplace_back("channel", std::to_string(channel.channel));
    if (!channel.pack.empty()) {
        labels.emplace_back("pack", channel.pack);
    }
    return labels;
}

Labels with(Labels labels, std::string_view name, std::string value) {
    labels.emplace_back(name, std::move(value));
    return labels;
}

constexpr std::array<LinkState, 6> kLinkStates = {
    LinkState::Disconnected, LinkState::Connecting, LinkState::Connected,
    LinkState::Replaying,    LinkState::Lost,       LinkState::WaitingForAdapter};

class Exposition {
public:
    explicit Exposition(const std::vector<ChargerMetrics>& chargers) : chargers_(chargers) {}

    // A family: its HELP and TYPE lines and the samples `each` writes, or
    // nothing when it writes none.
    template <typename Each>
    void family(std::string_view name, std::string_view type, std::string_view help, Each each) {
        std::string samples;
        each(samples);
        if (samples.empty()) {
            return;
        }
        out_ += "# HELP ";
        out_ += name;
        out_ += ' ';
        out_ += help;
        out_ += "\n# TYPE ";
        out_ += name;
        out_ += ' ';
        out_ += type;
        out_ += '\n';
        out_ += samples;
    }

    // Each channel's latest reading: what `each(samples, labels, reading)` writes.
    template <typename Each>
    void readings(std::string_view name, std::string_view help, Each each) {
        family(name, "gauge", help, [&](std::string& samples) {
            for (const ChargerMetrics& charger : chargers_) {
                for (const ChannelMetrics& channel : charger.channels) {
                    if (channel.latest) {
                        each(samples, channelLabels(charger, channel), *channel.latest);
                    }
                }
            }
        });
    }

    // One value of each channel's latest reading, where it has one.
    template <typename Value>
    void reading(std::string_view name, std::string_view help, Value value) {
        readings(name, help, [&](std::string& samples, const Labels& labels, const Reading& r) {
            if (const std::optional<double> v = value(r)) {
                appendSample(samples, name, labels, number(*v));
            }
        });
    }

    template <typename Each>
    void channels(std::string_view name, std::string_view type, std::string_view help, Each each) {
        family(name, type, help, [&](std::string& samples) {
            for (const ChargerMetrics& charger : chargers_) {
                for (const ChannelMetrics& channel : charger.channels) {
                    each(samples, channelLabels(charger, channel), channel);
                }
            }
        });
    }

    template <typename Each>
    void chargers(std::string_view name, std::string_view help, Each each) {
        family(name, "gauge", help, [&](std::string& samples) {
            for (const ChargerMetrics& charger : chargers_) {
                each(samples, chargerLabels(charger), charger);
            }
        });
    }

    std::string take() { return std::move(out_); }

private:
    const std::vector<ChargerMetrics>& chargers_;
    std::string out_;
};

}  // namespace

std::string metricsLabelValue(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string metricsText(const std::vector<ChargerMetrics>& chargers) {
    Exposition x(chargers);
    using O = std::optional<double>;
    x.reading("cellwatch_voltage_volts", "The pack's voltage.",
              [](const Reading& r) -> O { return r.voltage.toDouble(); });
    x.reading("cellwatch_current_amperes", "The current, negative while discharging.",
              [](const Reading& r) -> O { return r.current.toDouble(); });
    // mAh and Wh in coulombs and joules (3.6 C a mAh, 3600 J a Wh), in one division.
    x.reading("cellwatch_capacity_coulombs", "The charge put in or taken out so far.",
              [](const Reading& r) -> O {
                  return static_cast<double>(r.capacity.raw() * 36) /
                         static_cast<double>(Decimal::kScale * 10);
              });
    x.reading("cellwatch_power_watts", "The power.",
              [](const Reading& r) { return plain(r.power); });
    x.reading("cellwatch_energy_joules", "The energy put in or taken out so far.",
              [](const Reading& r) -> O {
                  return r.energy ? O(static_cast<double>(r.energy->raw() * 36) / 100.0)
                                  : std::nullopt;
              });
    x.reading("cellwatch_input_voltage_volts", "The charger's supply voltage.",
              [](const Reading& r) { return plain(r.inputVoltage); });
    x.reading("cellwatch_resistance_ohms", "The pack's internal resistance.",
              [](const Reading& r) { return thousandths(r.packResistance); });
    x.readings("cellwatch_temperature_celsius",
               "A temperature: the probe on the pack (external) or inside the charger (internal).",
               [](std::string& samples, const Labels& labels, const Reading& r) {
                   const std::string_view name = "cellwatch_temperature_celsius";
                   if (r.extTemperature) {
                       appendSample(samples, name, with(labels, "sensor", "external"),
                                    number(r.extTemperature->toDouble()));
                   }
                   if (r.intTemperature) {
                       appendSample(samples, name, with(labels, "sensor", "internal"),
                                    number(r.intTemperature->toDouble()));
                   }
               });
    x.readings("cellwatch_cell_voltage_volts", "A cell's voltage.",
               [](std::string& samples, const Labels& labels, const Reading& r) {
                   for (int i = 0; i < std::min(r.cellCount, kMostCells); ++i) {
                       const Decimal v = r.cells[static_cast<std::size_t>(i)];
                       if (!v.isZero()) {  // an empty slot
                           appendSample(samples, "cellwatch_cell_voltage_volts",
                                        with(labels, "cell", std::to_string(i + 1)),
                                        number(v.toDouble()));
                       }
                   }
               });
    x.readings("cellwatch_cell_resistance_ohms", "A cell's internal resistance.",
               [](std::string& samples, const Labels& labels, const Reading& r) {
                   for (int i = 0; i < std::min(r.cellCount, kMostCells); ++i) {
                       if (const O v = thousandths(r.cellResistance[static_cast<std::size_t>(i)])) {
                           appendSample(samples, "cellwatch_cell_resistance_ohms",
                                        with(labels, "cell", std::to_string(i + 1)), number(*v));
                       }
                   }
               });
    x.chargers("cellwatch_link_up", "Whether the charger's link is up (1) or not (0).",
               [](std::string& samples, const Labels& labels, const ChargerMetrics& c) {
                   const bool up = c.link == LinkState::Connected || c.link == LinkState::Replaying;
                   appendSample(samples, "cellwatch_link_up", labels, up ? "1" : "0");
               });
    x.chargers("cellwatch_link_state", "The charger's link state: 1 for the present one.",
               [](std::string& samples, const Labels& labels, const ChargerMetrics& c) {
                   for (const LinkState state : kLinkStates) {
                       appendSample(samples, "cellwatch_link_state",
                                    with(labels, "state", linkStateName(state)),
                                    c.link == state ? "1" : "0");
                   }
               });
    x.channels("cellwatch_alarms_total", "counter", "Alarms raised, by kind.",
               [](std::string& samples, const Labels& labels, const ChannelMetrics& c) {
                   for (const alarms::Kind kind : alarms::kAllKinds) {
                       appendSample(samples, "cellwatch_alarms_total",
                                    with(labels, "kind", std::string(alarms::kindName(kind))),
                                    whole(c.alarms[static_cast<std::size_t>(kind)]));
                   }
               });
    x.channels("cellwatch_rows_total", "counter", "Rows recorded.",
               [](std::string& samples, const Labels& labels, const ChannelMetrics& c) {
                   appendSample(samples, "cellwatch_rows_total", labels, whole(c.rows));
               });
    x.channels("cellwatch_last_row_age_seconds", "gauge", "Seconds since the last row came.",
               [](std::string& samples, const Labels& labels, const ChannelMetrics& c) {
                   if (c.lastRowAgeSeconds) {
                       appendSample(samples, "cellwatch_last_row_age_seconds", labels,
                                    number(*c.lastRowAgeSeconds));
                   }
               });
    return x.take();
}

}  // namespace cellwatch::session
