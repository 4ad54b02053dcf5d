// A ToolkitRC charger's SD-card log: tab-separated text (named .xls) in
// sections. "==Items==" holds the settings as Key:Value words (Type:LiPo
// Cells:4S CC:500mA ...), "==Data==" a header line of column names and one
// row per logging interval, "==End==" and "==Error==" what the charge came
// to. The charger has no clock: a row's time is its "h:m:s" counter (which
// starts again at 0:0:0 with each cycle of a file holding several) or a bare
// row number times the interval; the date comes from the file's name
// (2024-09-16_21-23-32.xls) or from the user.
//
// Columns are found by name, in either of the firmwares' spellings (the
// short "Vout Iout Capa InTmp ExtTmp B1..." and the spelled-out "Voltage
// Current Capacity IntTemp ExtTemp Cell1..."), with a unit in brackets
// where one is given ("Vout(mV)"); without one, voltages are in mV,
// currents in mA, power in W, temperatures in degrees Celsius.
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <string>

#include "import/log_reader.h"
#include "protocol/described_values.h"

namespace cellwatch::logimport {
namespace {

enum class Column {
    Skip,
    Time,
    InputVoltage,
    Voltage,
    Current,
    Power,
    Capacity,
    IntTemp,
    ExtTemp,
    Cell
};

struct ColumnKind {
    Column column = Column::Skip;
    int cell = 0;        // Column::Cell: 0 for cell 1
    double scale = 1.0;  // the file's number × scale = the reading's unit
};

std::string lowered(std::string_view s) {
    std::string out;
    for (const char c : s) {
        if (c != ' ' && c != '_' && c != '-' && c != '.') {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    return out;
}

// The factor from a unit written after a name to the reading's unit; 0 for
// a unit that does not fit.
double unitScale(Column column, const std::string& unit) {
    const bool volts =
        column == Column::Voltage || column == Column::InputVoltage || column == Column::Cell;
    if (volts || column == Column::Current) {
        const std::string base = volts ? "v" : "a";
        return unit == base ? 1.0 : unit == "m" + base ? 0.001 : 0.0;
    }
    if (column == Column::Capacity) {
        return unit == "mah" ? 1.0 : unit == "ah" ? 1000.0 : 0.0;
    }
    if (column == Column::Power) {
        return unit == "w" ? 1.0 : unit == "mw" ? 0.001 : 0.0;
    }
    if (column == Column::IntTemp || column == Column::ExtTemp) {
        return unit == "c" ||
                       unit ==
                           "\xc2\xb0"
                           "c" ||
                       unit == "\xe2\x84\x83"
                   ? 1.0
                   : 0.0;
    }
    return 1.0;
}

ColumnKind columnOf(std::string_view name) {
    std::string unit;
    const std::size_t open = name.find_first_of("([");
    if (open != std::string_view::npos) {
        const std::size_t close = name.find_first_of(")]", open);
        unit = lowered(
            name.substr(open + 1, close == std::string_view::npos ? close : close - open - 1));
        name = name.substr(0, open);
    }
    const std::string n = lowered(name);
    struct Name {
        std::string_view text;
        Column column;
        double scale;
    };
    static constexpr Name kNames[] = {
        {"time", Column::Time, 1},
        {"counter", Column::Time, 1},
        {"no", Column::Time, 1},
        {"vin", Column::InputVoltage, 0.001},
        {"input", Column::InputVoltage, 0.001},
        {"vout", Column::Voltage, 0.001},
        {"vbat", Column::Voltage, 0.001},
        {"voltage", Column::Voltage, 0.001},
        {"iout", Column::Current, 0.001},
        {"ibat", Column::Current, 0.001},
        {"current", Column::Current, 0.001},
        {"powerch", Column::Power, 1},
        {"powerout", Column::Power, 1},
        {"power", Column::Power, 1},
        {"capa", Column::Capacity, 1},
        {"capacity", Column::Capacity, 1},
        {"intmp", Column::IntTemp, 1},
        {"inttmp", Column::IntTemp, 1},
        {"inttemp", Column::IntTemp, 1},
        {"exttmp", Column::ExtTemp, 1},
        {"exttemp", Column::ExtTemp, 1},
    };
    ColumnKind kind;
    for (const Name& entry : kNames) {
        if (n == entry.text) {
            kind = {entry.column, 0, entry.scale};
        }
    }
    for (const std::string_view prefix : {"b", "cell", "c"}) {
        if (kind.column == Column::Skip && n.size() > prefix.size() && n.starts_with(prefix) &&
            std::all_of(n.begin() + static_cast<std::ptrdiff_t>(prefix.size()), n.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            const int cell = std::atoi(n.c_str() + prefix.size());
            if (cell >= 1 && cell <= kMostCells) {
                kind = {Column::Cell, cell - 1, 0.001};
            }
        }
    }
    if (kind.column != Column::Skip && kind.column != Column::Time && !unit.empty()) {
        kind.scale = unitScale(kind.column, unit);
        if (kind.scale == 0.0) {
            kind.column = Column::Skip;
        }
    }
    return kind;
}

// The columns when the data has no header line: the short names in the
// order the charger writes them.
std::vector<ColumnKind> defaultColumns() {
    std::vector<ColumnKind> columns;
    for (const char* name : {"time", "Vin", "Iin", "PowerIn", "Vout", "Iout", "PowerCh", "Capa",
                             "InTmp", "ExtTmp", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8"}) {
        columns.push_back(columnOf(name));
    }
    return columns;
}

struct Token {
    std::string_view text;
    int column;  // from 1
};

std::vector<Token> tokens(std::string_view line) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t from = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > from) {
            out.push_back({line.substr(from, i - from), static_cast<int>(from) + 1});
        }
    }
    return out;
}

// "h:m:s" in seconds; none for any other text.
std::optional<std::uint64_t> clockSeconds(std::string_view text) {
    std::uint64_t parts[3] = {0, 0, 0};
    int part = 0;
    std::size_t digits = 0;
    for (const char c : text) {
        if (c == ':') {
            if (digits == 0 || ++part > 2) {
                return std::nullopt;
            }
            digits = 0;
        } else if (c >= '0' && c <= '9' && ++digits <= 9) {
            parts[part] = parts[part] * 10 + static_cast<std::uint64_t>(c - '0');
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || digits == 0 || parts[1] > 59 || parts[2] > 59) {
        return std::nullopt;
    }
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

std::optional<std::uint64_t> rowNumber(std::string_view text) {
    std::uint64_t n = 0;
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

class ToolkitReader {
public:
    explicit ToolkitReader(const QString& fileName) { nameFacts(fileName); }
    ImportedLog read(std::string_view text);

private:
    void nameFacts(const QString& fileName);
    void item(std::string_view key, std::string_view value);
    void header(const std::vector<Token>& words, int line);
    void row(const std::vector<Token>& words, int line, int lineLength);

    ImportedLog log_;
    std::vector<ColumnKind> columns_;
    bool headerSeen_ = false;
    std::uint64_t intervalSeconds_ = 1;
    std::uint64_t offset_ = 0;  // seconds added after each restart of the counter
    std::optional<std::uint64_t> last_;
    Reading reading_;
};

void ToolkitReader::nameFacts(const QString& fileName) {
    const QString base = QFileInfo(fileName).completeBaseName();
    static const QRegularExpression dated(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})_(\\d{2})-(\\d{2})-(\\d{2})"));
    if (const auto m = dated.match(base); m.hasMatch()) {
        log_.start = QDateTime::fromString(
            m.captured(1) + u'T' + m.captured(2) + u':' + m.captured(3) + u':' + m.captured(4),
            Qt::ISODate);
    }
    static const QRegularExpression perCycle(QStringLiteral("^ch(\\d+)_(.+)_(\\d+)s_(\\d+)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const auto m = perCycle.match(base); m.hasMatch()) {
        log_.chemistry = chemistryOfName(m.captured(2).toStdString());
        log_.cells = m.captured(3).toInt();
    }
}

void ToolkitReader::item(std::string_view key, std::string_view value) {
    const std::string k = lowered(key);
    if (k == "type") {
        if (const Chemistry c = chemistryOfName(value); c != Chemistry::Unknown) {
            log_.chemistry = c;
        }
    } else if (k == "cells" || k == "cell") {
        const int cells = std::atoi(std::string(value).c_str());
        if (cells > 0 && cells <= kMostCells) {
            log_.cells = cells;
        }
    } else if (k.find("interval") != std::string::npos) {
        const int seconds = std::atoi(std::string(value).c_str());
        if (seconds > 0 && seconds <= 3600) {
            intervalSeconds_ = static_cast<std::uint64_t>(seconds);
        }
    }
}

void ToolkitReader::header(const std::vector<Token>& words, int line) {
    headerSeen_ = true;
    for (const Token& w : words) {
        columns_.push_back(columnOf(w.text));
    }
    if (columns_.front().column != Column::Time) {
        throw LogFault(line, words.front().column,
                       QT_TRANSLATE_NOOP("ImportReason",
                                         "the ==Data== header begins with \"%1\", not the time"),
                       qText(words.front().text));
    }
    if (std::none_of(columns_.begin(), columns_.end(),
                     [](const ColumnKind& c) { return c.column == Column::Voltage; })) {
        throw LogFault(
            line, 0,
            QT_TRANSLATE_NOOP("ImportReason", "the ==Data== header names no battery voltage"));
    }
}

void ToolkitReader::row(const std::vector<Token>& words, int line, int lineLength) {
    if (!headerSeen_) {
        headerSeen_ = true;
        columns_ = defaultColumns();
        // Without a header, a firmware may write fewer cells.
        if (words.size() >= 10 && words.size() < columns_.size()) {
            columns_.resize(words.size());
        }
    }
    if (words.size() < columns_.size()) {
        throw LogFault(line, lineLength + 1,
                       QT_TRANSLATE_NOOP("ImportReason", "the row ends after %1 of its %2 columns"),
                       words.size(), columns_.size());
    }
    if (words.size() > columns_.size()) {
        throw LogFault(
            line, words[columns_.size()].column,
            QT_TRANSLATE_NOOP("ImportReason", "the row has more than the header's %1 columns"),
            columns_.size());
    }
    Reading& r = reading_;
    r = Reading{};
    r.charger = "toolkitrc";
    r.chemistry = log_.chemistry;
    std::uint64_t seconds = 0;
    for (std::size_t k = 0; k < words.size(); ++k) {
        const ColumnKind& c = columns_[k];
        const Token& w = words[k];
        if (c.column == Column::Time) {
            if (const auto clock = clockSeconds(w.text)) {
                seconds = *clock;
            } else if (const auto n = rowNumber(w.text)) {
                seconds = *n * intervalSeconds_;
            } else {
                throw LogFault(line, w.column,
                               QT_TRANSLATE_NOOP("ImportReason",
                                                 "\"%1\" is no time (h:m:s) and no row number"),
                               qText(w.text));
            }
            continue;
        }
        const std::optional<double> number = described::decimalNumber(w.text);
        const std::optional<Decimal> value =
            number ? described::toDecimal(*number * c.scale) : std::nullopt;
        if (!value || std::fabs(*number * c.scale) > 1e7) {
            throw LogFault(line, w.column, QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no number"),
                           qText(w.text));
        }
        switch (c.column) {
            case Column::InputVoltage:
                r.inputVoltage = value;
                break;
            case Column::Voltage:
                r.voltage = *value;
                break;
            case Column::Current:
                r.current = *value;
                break;
            case Column::Power:
                r.power = value;
                break;
            case Column::Capacity:
                r.capacity = *value;
                break;
            case Column::IntTemp:
                r.intTemperature = value;
                break;
            case Column::ExtTemp:
                r.extTemperature = value;
                break;
            case Column::Cell:
                r.cells[static_cast<std::size_t>(c.cell)] = *value;
                if (!value->isZero()) {
                    r.cellCount = std::max(r.cellCount, c.cell + 1);
                }
                break;
            default:
                break;
        }
    }
    // The counter starts again with each cycle: the rows go on after the last.
    if (last_ && seconds + offset_ < *last_) {
        offset_ = *last_ + intervalSeconds_ - seconds;
    }
    const std::uint64_t at = seconds + offset_;
    if (at * 1000 > UINT32_MAX) {
        throw LogFault(line, words.front().column,
                       QT_TRANSLATE_NOOP("ImportReason", "the log runs longer than 49 days"));
    }
    last_ = at;
    r.elapsedMs = static_cast<std::uint32_t>(at * 1000);
    settleReading(r);
    log_.channels.front().rows->append(r);
}

ImportedLog ToolkitReader::read(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    log_.kind = LogKind::ToolkitRc;
    log_.charger = QStringLiteral("toolkitrc");
    log_.channels.emplace_back();
    enum class Section { None, Items, Data, End, Error } section = Section::None;
    bool dataSeen = false;
    int dataLine = 0;
    int line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find('\n');
        std::string_view l = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!l.empty() && l.back() == '\r') {
            l.remove_suffix(1);
        }
        for (std::size_t i = 0; i < l.size(); ++i) {
            const auto c = static_cast<unsigned char>(l[i]);
            if (c < 0x20 && c != '\t') {
                throw LogFault(line, static_cast<int>(i) + 1,
                               QT_TRANSLATE_NOOP("ImportReason", "binary data (byte %1), not text"),
                               c);
            }
        }
        const std::vector<Token> words = tokens(l);
        if (words.empty()) {
            continue;
        }
        const std::string_view first = words.front().text;
        if (words.size() == 1 && first.size() > 4 && first.starts_with("==") &&
            first.ends_with("==")) {
            const std::string name = lowered(first.substr(2, first.size() - 4));
            if (name == "items") {
                section = Section::Items;
            } else if (name == "data") {
                if (dataSeen) {
                    throw LogFault(line, words.front().column,
                                   QT_TRANSLATE_NOOP("ImportReason", "a second ==Data== section"));
                }
                section = Section::Data;
                dataSeen = true;
                dataLine = line;
            } else if (name == "end") {
                section = Section::End;
            } else if (name == "error") {
                section = Section::Error;
            } else {
                throw LogFault(
                    line, words.front().column,
                    QT_TRANSLATE_NOOP("ImportReason",
                                      "unknown section %1: a ToolkitRC log has ==Items==, "
                                      "==Data==, ==End== and ==Error=="),
                    qText(first));
            }
            continue;
        }
        switch (section) {
            case Section::None:
                throw LogFault(line, words.front().column,
                               QT_TRANSLATE_NOOP("ImportReason",
                                                 "text before the first section: a ToolkitRC log "
                                                 "begins with ==Items== or ==Data=="));
            case Section::Items:
                for (const Token& w : words) {
                    if (const std::size_t colon = w.text.find(':');
                        colon != std::string_view::npos) {
                        item(w.text.substr(0, colon), w.text.substr(colon + 1));
                    }
                }
                break;
            case Section::Data: {
                const bool numbered = clockSeconds(first) || rowNumber(first);
                if (!headerSeen_ && !numbered) {
                    header(words, line);
                } else {
                    row(words, line, static_cast<int>(l.size()));
                }
                break;
            }
            case Section::End:
            case Section::Error:
                break;
        }
    }
    if (!dataSeen) {
        throw LogFault(
            0, 0,
            QT_TRANSLATE_NOOP("ImportReason", "it has no ==Data== section: no ToolkitRC log"));
    }
    if (log_.channels.front().rows->dataRowCount() == 0) {
        throw LogFault(dataLine, 0,
                       QT_TRANSLATE_NOOP("ImportReason", "the ==Data== section holds no row"));
    }
    return std::move(log_);
}

}  // namespace

ImportedLog readToolkitLog(std::string_view text, const QString& fileName) {
    return ToolkitReader(fileName).read(text);
}

}  // namespace cellwatch::logimport
