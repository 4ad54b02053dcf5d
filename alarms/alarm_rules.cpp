#include "alarms/alarm_rules.h"

#include <initializer_list>

namespace cellwatch::alarms {
namespace {

constexpr std::array<std::string_view, kKindCount> kNames = {
    "cell-high", "cell-low", "cell-spread", "temperature",
    "input-low", "finished", "stalled",     "lost"};

// One message from its pieces. Built by appending rather than with
// `"text" + std::string(...)`: g++ 12 at -O3 with _FORTIFY_SOURCE reports a
// false -Wrestrict overlap inside that operator.
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view piece : pieces) {
        out.append(piece);
    }
    return out;
}

}  // namespace

std::string_view kindName(Kind kind) {
    return kNames[static_cast<std::size_t>(kind)];
}

std::optional<Kind> kindFromName(std::string_view name) {
    for (Kind kind : kAllKinds) {
        if (kindName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

int limitCount(Kind kind) {
    switch (kind) {
        case Kind::CellHigh:
        case Kind::CellLow:
        case Kind::Temperature:
            return 2;
        case Kind::Lost:
            return 0;
        default:
            return 1;
    }
}

Decimal rearmMargin(Kind kind) {
    switch (kind) {
        case Kind::CellHigh:
        case Kind::CellLow:
        case Kind::CellSpread:
            return Decimal::fromHundredths(2);
        case Kind::InputLow:
            return Decimal::fromHundredths(20);
        case Kind::Temperature:
            return Decimal::fromInt(2);
        default:
            return Decimal();
    }
}

std::string_view limitUnit(Kind kind) {
    switch (kind) {
        case Kind::Temperature:
            return "°C";
        case Kind::Finished:
        case Kind::Stalled:
            return "s";
        default:
            return "V";
    }
}

AlarmSettings AlarmSettings::defaults() {
    AlarmSettings s;
    s[Kind::CellHigh] = {true, Decimal::fromHundredths(425), Decimal::fromHundredths(245)};
    s[Kind::CellLow] = {true, Decimal::fromHundredths(300), Decimal::fromHundredths(175)};
    s[Kind::CellSpread] = {true, Decimal::fromHundredths(10), Decimal()};
    s[Kind::Temperature] = {true, Decimal::fromInt(50), Decimal::fromInt(70)};
    s[Kind::InputLow] = {true, Decimal::fromInt(11), Decimal()};
    s[Kind::Finished] = {true, Decimal::fromInt(10), Decimal()};
    s[Kind::Stalled] = {true, Decimal::fromInt(30), Decimal()};
    s[Kind::Lost] = {true, Decimal(), Decimal()};
    return s;
}

std::string applyLimit(AlarmSettings& settings, std::string_view assignment) {
    const std::size_t eq = assignment.find('=');
    if (eq == std::string_view::npos) {
        return joined({"'", assignment, "' is not KIND=LIMIT"});
    }
    std::string_view name = assignment.substr(0, eq);
    const std::string_view value = assignment.substr(eq + 1);
    bool second = false;
    for (std::string_view suffix : {kLeadSuffix, kInternalSuffix}) {
        if (name.ends_with(suffix)) {
            name.remove_suffix(suffix.size());
            second = true;
            const std::optional<Kind> k = kindFromName(name);
            const bool fits =
                k && (suffix == kLeadSuffix ? (*k == Kind::CellHigh || *k == Kind::CellLow)
                                            : *k == Kind::Temperature);
            if (!fits) {
                return joined({"unknown alarm '", assignment.substr(0, eq), "'"});
            }
            break;
        }
    }
    const std::optional<Kind> kind = kindFromName(name);
    if (!kind) {
        return joined({"unknown alarm '", name, "'"});
    }
    if (limitCount(*kind) == 0) {
        return joined({name, " has no limit"});
    }
    const std::optional<Decimal> limit = Decimal::parse(value);
    const bool seconds = limitUnit(*kind) == "s";
    const Decimal most = Decimal::fromInt(seconds ? 3600 : 1000);
    const Decimal least = seconds ? Decimal::fromInt(1) : Decimal();
    if (!limit || *limit < least || *limit > most || limit->rounded(2) != *limit) {
        return joined({"bad limit '", value, "' for ", name, " (",
                       seconds ? "1 to 3600 seconds" : "0 to 1000, two decimals at most", ")"});
    }
    Rule& rule = settings[*kind];
    (second ? rule.second : rule.limit) = *limit;
    return {};
}

}  // namespace cellwatch::alarms
