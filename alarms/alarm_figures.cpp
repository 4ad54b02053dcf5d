#include "alarms/alarm_figures.h"

#include "protocol/reading_format.h"

namespace cellwatch::alarms {
namespace {

std::string volts(Decimal v) {
    return v.format(kFormat2) + " V";
}

std::string degrees(Decimal t) {
    return t.plainText() + " °C";
}

std::string limitText(const std::string& value) {
    return " (limit " + value + ")";
}

std::string runName(Run run) {
    return run == Run::Discharge ? "discharge" : "charge";
}

std::string elapsed(std::uint32_t seconds) {
    return ReadingFormat::elapsedText(seconds * 1000U);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a line from its start: each call takes what it reads off the front,
// and a failed one leaves the reader failed.
class Reader {
public:
    explicit Reader(std::string_view line) : rest_(line) {}

    bool ok() const { return ok_; }
    bool done() const { return ok_ && rest_.empty(); }
    bool atEnd() const { return rest_.empty(); }
    std::string_view rest() const { return rest_; }

    Reader& word(std::string_view text) {
        ok_ = ok_ && rest_.starts_with(text);
        if (ok_) {
            rest_.remove_prefix(text.size());
        }
        return *this;
    }
    bool tryWord(std::string_view text) {
        if (ok_ && rest_.starts_with(text)) {
            rest_.remove_prefix(text.size());
            return true;
        }
        return false;
    }
    Reader& number(Decimal& out) {
        const std::string_view text =
            take([](char c) { return isDigit(c) || c == '.' || c == '-'; });
        const std::optional<Decimal> value = ok_ ? Decimal::parse(text) : std::nullopt;
        ok_ = value.has_value();
        if (ok_) {
            out = *value;
        }
        return *this;
    }
    template <typename Whole>
    Reader& whole(Whole& out) {
        const std::string_view text = take(isDigit);
        ok_ = ok_ && !text.empty() && text.size() <= 9;
        if (ok_) {
            out = 0;
            for (char c : text) {
                out = static_cast<Whole>(out * 10 + (c - '0'));
            }
        }
        return *this;
    }
    Reader& elapsedSeconds(std::uint32_t& out) {
        // Digits with colons between them ("0:00:58", not the ": " after it).
        std::size_t n = 0;
        while (n < rest_.size() && (isDigit(rest_[n]) || (rest_[n] == ':' && n + 1 < rest_.size() &&
                                                          isDigit(rest_[n + 1])))) {
            ++n;
        }
        const std::string_view text = rest_.substr(0, n);
        rest_.remove_prefix(n);
        ok_ = ok_ && ReadingFormat::readOwnElapsed(text, out);
        return *this;
    }
    Reader& run(Run& out) {
        if (tryWord("discharge")) {
            out = Run::Discharge;
        } else if (tryWord("charge")) {
            out = Run::Charge;
        } else {
            ok_ = false;
        }
        return *this;
    }

private:
    template <typename Accept>
    std::string_view take(Accept accept) {
        std::size_t n = 0;
        while (ok_ && n < rest_.size() && accept(rest_[n])) {
            ++n;
        }
        const std::string_view taken = rest_.substr(0, n);
        rest_.remove_prefix(n);
        return taken;
    }

    std::string_view rest_;
    bool ok_ = true;
};

// The figures read off `line` for `kind`, not yet checked against the line.
std::optional<Figures> readFigures(Kind kind, std::string_view line) {
    Figures f;
    Reader r(line);
    switch (kind) {
        case Kind::CellHigh:
        case Kind::CellLow:
            r.word("Cell ").whole(f.cell).word(" at ").number(f.value).word(" V (limit ");
            r.number(f.limit).word(" V)");
            break;
        case Kind::CellSpread:
            r.word("Cells ").number(f.spread).word(" V apart: cell ").whole(f.cell).word(" at ");
            r.number(f.value).word(" V, cell ").whole(f.lowCell).word(" at ").number(f.lowValue);
            r.word(" V (limit ").number(f.limit).word(" V)");
            break;
        case Kind::Temperature:
            if (r.tryWord("External temperature ")) {
                f.external = true;
                r.number(f.value).word(" °C (limit ").number(f.limit).word(" °C)");
                if (r.atEnd()) {
                    break;
                }
                r.word("; internal temperature ");
            } else {
                r.word("Internal temperature ");
            }
            f.internal = true;
            r.number(f.internalValue).word(" °C (limit ").number(f.internalLimit).word(" °C)");
            break;
        case Kind::InputLow:
            r.word("Input at ").number(f.value).word(" V (limit ").number(f.limit).word(" V)");
            break;
        case Kind::Finished:
            r.word("The ").run(f.run).word(" finished after ").elapsedSeconds(f.lastRowSeconds);
            r.word(" (no charging or discharging for ").whole(f.seconds).word(" s)");
            break;
        case Kind::Stalled:
            r.word("No new row for ").whole(f.seconds).word(" s while the ").run(f.run);
            r.word(" was running (last row at ").elapsedSeconds(f.lastRowSeconds).word(")");
            break;
        case Kind::Lost:
            r.word("Link lost during the ").run(f.run).word(", last row at ");
            r.elapsedSeconds(f.lastRowSeconds);
            if (r.tryWord(": ")) {
                f.reason = std::string(r.rest());
                return f;
            }
            break;
    }
    return r.done() ? std::optional<Figures>(f) : std::nullopt;
}

}  // namespace

std::string alarmLine(Kind kind, const Figures& f) {
    switch (kind) {
        case Kind::CellHigh:
        case Kind::CellLow:
            return "Cell " + std::to_string(f.cell) + " at " + volts(f.value) +
                   limitText(volts(f.limit));
        case Kind::CellSpread:
            return "Cells " + volts(f.spread) + " apart: cell " + std::to_string(f.cell) + " at " +
                   volts(f.value) + ", cell " + std::to_string(f.lowCell) + " at " +
                   volts(f.lowValue) + limitText(volts(f.limit));
        case Kind::Temperature: {
            std::string text;
            if (f.external) {
                text = "External temperature " + degrees(f.value) + limitText(degrees(f.limit));
            }
            if (f.internal) {
                text += (text.empty() ? "Internal temperature " : "; internal temperature ") +
                        degrees(f.internalValue) + limitText(degrees(f.internalLimit));
            }
            return text;
        }
        case Kind::InputLow:
            return "Input at " + volts(f.value) + limitText(volts(f.limit));
        case Kind::Finished:
            return "The " + runName(f.run) + " finished after " + elapsed(f.lastRowSeconds) +
                   " (no charging or discharging for " + std::to_string(f.seconds) + " s)";
        case Kind::Stalled:
            return "No new row for " + std::to_string(f.seconds) + " s while the " +
                   runName(f.run) + " was running (last row at " + elapsed(f.lastRowSeconds) + ")";
        case Kind::Lost: {
            std::string text = "Link lost during the " + runName(f.run) + ", last row at " +
                               elapsed(f.lastRowSeconds);
            if (!f.reason.empty()) {
                text += ": " + f.reason;
            }
            return text;
        }
    }
    return {};
}

std::optional<Figures> readAlarmLine(Kind kind, std::string_view line) {
    std::optional<Figures> figures = readFigures(kind, line);
    // Only a line written exactly so: "4.260 V" or "Cell 03" would not come back the same.
    if (figures && alarmLine(kind, *figures) != line) {
        return std::nullopt;
    }
    return figures;
}

}  // namespace cellwatch::alarms
