// OpenFormat log files: the lines an older Windows logger saved, one
// message a line starting with '$'.
//   - Plain lines: $channel;state;time;value;...;value;checksum, the
//     checksum the XOR of the bytes from the '$' to the last ';' (0 in
//     every line of a device that sends none), the time in seconds from 0
//     (empty: one line a second).
//   - Self-describing lines: header lines ($N$;name, $C$;Name [unit];...,
//     $V$;HEX, $F$;factors, $I$;step ms[;ddMMyyyy_HHmmssfff], $T$;item;format)
//     and data lines $v1;v2;... with only values.
// What each value is comes from the charger descriptions of the two kinds
// (the live driver reads the same lines): each line checked here goes to a
// described driver, whose reading becomes the row. The times are the file's
// own, not the time a line was read.
#include <QDate>
#include <QTime>
#include <algorithm>
#include <map>

#include "drivers/described_chargers.h"
#include "import/log_reader.h"
#include "protocol/described_driver.h"
#include "protocol/described_values.h"

namespace cellwatch::logimport {
namespace {

using described::decimalNumber;
using described::integerNumber;
using described::splitItems;
using described::trimmed;

// One reading at a time out of a described driver.
class Catcher final : public DriverContext, public DriverSink {
public:
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t>) override { caught = r; }
    void event(DriverEvent, int) override {}
    std::optional<Reading> caught;
};

// A time item read with a .NET-style format ("ddHHmmss", "yyyy-MM-dd HH:mm:ss.fff").
struct ItemTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    bool dated = false;  // the format holds year, month and day
};

std::optional<ItemTime> readItemTime(std::string_view text, std::string_view format) {
    ItemTime t;
    std::size_t at = 0;
    bool year = false, month = false, day = false;
    for (std::size_t i = 0; i < format.size();) {
        const char f = format[i];
        std::size_t run = 1;
        while (i + run < format.size() && format[i + run] == f) {
            ++run;
        }
        if (std::string_view("yMdHhmsf").find(f) == std::string_view::npos) {
            if (at >= text.size() || text[at] != f) {
                return std::nullopt;
            }
            ++at;
            ++i;
            continue;
        }
        if (at + run > text.size()) {
            return std::nullopt;
        }
        int value = 0;
        for (std::size_t k = 0; k < run; ++k) {
            const char c = text[at + k];
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + (c - '0');
        }
        at += run;
        i += run;
        switch (f) {
            case 'y':
                t.year = run <= 2 ? 2000 + value : value;
                year = true;
                break;
            case 'M':
                t.month = value;
                month = true;
                break;
            case 'd':
                t.day = value;
                day = true;
                break;
            case 'H':
            case 'h':
                t.hour = value;
                break;
            case 'm':
                t.minute = value;
                break;
            case 's':
                t.second = value;
                break;
            default:
                t.ms = run == 1 ? value * 100 : run == 2 ? value * 10 : value;
                for (std::size_t k = 3; k < run; ++k) {
                    t.ms /= 10;
                }
        }
    }
    if (at != text.size() || t.hour > 23 || t.minute > 59 || t.second > 59) {
        return std::nullopt;
    }
    t.dated = year && month && day;
    return t;
}

// What the header lines of the self-describing kind have said so far.
struct HeaderState {
    int columns = -1;  // -1: no $C$ line yet
    bool hex = false;
    int timeItem = -1;
    std::string timeFormat;
    std::uint32_t stepMs = 0;  // $I$
    std::uint64_t lines = 0;   // data lines since the last $I$ or $N$
};

class OpenFormatReader {
public:
    explicit OpenFormatReader(const OpenFormatDescriptions& d) : d_(d) {}
    ImportedLog read(std::string_view text);

private:
    void plainLine(std::string_view line, int n);
    void describedLine(std::string_view line, int n);
    void headerLine(const std::vector<std::string_view>& items, std::string_view line, int n);
    // Feeds a checked line to the driver and keeps its reading at `ms`.
    void take(std::string_view line, int n, int channel, std::int64_t ms, int timeColumn);
    static int columnOf(std::string_view line, std::string_view item) {
        return static_cast<int>(item.data() - line.data()) + 1;
    }

    const OpenFormatDescriptions& d_;
    Catcher catcher_;
    std::unique_ptr<DescribedDriver> driver_;
    std::optional<bool> checksums_;  // plain lines: whether they carry one (decided by the first)
    HeaderState header_;
    std::optional<QDateTime> headerStart_;
    std::optional<std::int64_t> firstMs_;  // of the time items
    struct Clock {
        std::int64_t lastMs = -1;
        std::int64_t offsetMs = 0;
        std::int64_t firstMs = -1;
        std::uint64_t lines = 0;
    };
    std::map<int, Clock> clocks_;
    std::map<int, std::unique_ptr<RowStore>> rows_;
    ImportedLog log_;
};

void OpenFormatReader::take(std::string_view line, int n, int channel, std::int64_t ms,
                            int timeColumn) {
    catcher_.caught.reset();
    const std::string bytes = std::string(line) + "\r\n";
    driver_->feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, 0);
    if (!catcher_.caught) {
        throw LogFault(n, 0,
                       QT_TRANSLATE_NOOP("ImportReason",
                                         "the line does not fit the description of these lines "
                                         "(its channel or its items)"));
    }
    Clock& c = clocks_[channel];
    if (c.firstMs < 0) {
        c.firstMs = ms;
    }
    std::int64_t at = ms - c.firstMs + c.offsetMs;
    if (c.lastMs >= 0 && at < c.lastMs) {
        // The device's time started again: the rows go on after the last.
        c.offsetMs += c.lastMs + 1000 - at;
        at = c.lastMs + 1000;
    }
    if (at > static_cast<std::int64_t>(UINT32_MAX)) {
        throw LogFault(n, timeColumn,
                       QT_TRANSLATE_NOOP("ImportReason", "the log runs longer than 49 days"));
    }
    c.lastMs = at;
    Reading r = *catcher_.caught;
    r.elapsedMs = static_cast<std::uint32_t>(at);
    r.charger = log_.charger.toStdString();
    r.channel = channel;
    settleReading(r);
    auto& store = rows_[channel];
    if (!store) {
        store = std::make_unique<RowStore>();
    }
    store->append(r);
}

void OpenFormatReader::plainLine(std::string_view line, int n) {
    std::vector<std::string_view> items;
    if (!splitItems(line.substr(1), ';', items)) {
        throw LogFault(n, 0,
                       QT_TRANSLATE_NOOP("ImportReason", "more items than any charger sends"));
    }
    if (items.size() < 4) {
        throw LogFault(
            n, static_cast<int>(line.size()) + 1,
            QT_TRANSLATE_NOOP("ImportReason",
                              "%1 items: a line holds a channel, a state, a time, values "
                              "and a checksum"),
            items.size());
    }
    const std::string_view sum = items.back();
    const auto sent = integerNumber(sum, 10);
    if (!sent || *sent < 0 || *sent > 255) {
        throw LogFault(n, columnOf(line, sum),
                       QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no checksum"), qText(sum));
    }
    const std::size_t checked = static_cast<std::size_t>(sum.data() - line.data());
    std::uint32_t xorSum = 0;
    for (std::size_t i = 0; i < checked; ++i) {
        xorSum ^= static_cast<unsigned char>(line[i]);
    }
    if (!checksums_) {
        checksums_ = !(*sent == 0 && xorSum != 0);
    }
    if (*checksums_ ? std::uint32_t(*sent) != xorSum : *sent != 0) {
        throw LogFault(
            n, columnOf(line, sum),
            QT_TRANSLATE_NOOP("ImportReason", "the checksum %1 does not match the line's %2"),
            *sent, *checksums_ ? xorSum : 0);
    }
    const auto channel = integerNumber(items[0], 10);
    if (!channel || *channel < 1 || *channel > 8) {
        throw LogFault(n, 2, QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no channel (1 to 8)"),
                       qText(items[0]));
    }
    if (!integerNumber(items[1], 10)) {
        throw LogFault(n, columnOf(line, items[1]),
                       QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no state number"),
                       qText(items[1]));
    }
    for (std::size_t k = 3; k + 1 < items.size(); ++k) {
        if (!trimmed(items[k]).empty() && !decimalNumber(items[k])) {
            throw LogFault(n, columnOf(line, items[k]),
                           QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no number"),
                           qText(items[k]));
        }
    }
    Clock& c = clocks_[static_cast<int>(*channel)];
    std::int64_t ms = static_cast<std::int64_t>(c.lines++) * 1000;  // no time: a line a second
    if (!trimmed(items[2]).empty()) {
        const auto seconds = decimalNumber(items[2]);
        if (!seconds || *seconds < 0 || *seconds > 4.2e6) {
            throw LogFault(n, columnOf(line, items[2]),
                           QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no time in seconds"),
                           qText(items[2]));
        }
        ms = std::llround(*seconds * 1000.0);
    }
    take(line, n, static_cast<int>(*channel), ms, columnOf(line, items[2]));
}

void OpenFormatReader::headerLine(const std::vector<std::string_view>& items, std::string_view line,
                                  int n) {
    const std::string_view first = items[0];
    if (first.size() > 2) {
        const auto channel = integerNumber(first.substr(1, first.size() - 2), 10);
        if (!channel || *channel != 1) {
            throw LogFault(n, 2,
                           QT_TRANSLATE_NOOP("ImportReason",
                                             "channel %1: only one channel of these lines is read"),
                           qText(first.substr(1, first.size() - 2)));
        }
    }
    const char letter = first.front();
    if (letter == 'C') {
        header_.columns = static_cast<int>(items.size()) - 1;
        bool voltage = false;
        for (std::size_t k = 1; k < items.size(); ++k) {
            const std::string_view name = trimmed(items[k].substr(0, items[k].find('[')));
            for (const DescribedField& f : d_.described->fields) {
                voltage = voltage || (f.part == ReadingPart::Voltage && f.name == name);
            }
        }
        if (!voltage) {
            throw LogFault(n, 0,
                           QT_TRANSLATE_NOOP("ImportReason",
                                             "the $C$ line names no column read as the battery's "
                                             "voltage"));
        }
    } else if (letter == 'V' && items.size() > 1) {
        header_.hex = trimmed(items[1]) == "HEX";
    } else if (letter == 'N') {
        header_.lines = 0;
    } else if (letter == 'R') {
        header_.stepMs = 0;
        header_.timeItem = -1;
    } else if (letter == 'I') {
        const auto step = items.size() > 1 ? integerNumber(items[1], 10) : std::nullopt;
        if (!step || *step < 1 || *step > 86'400'000) {
            throw LogFault(n, items.size() > 1 ? columnOf(line, items[1]) : 0,
                           QT_TRANSLATE_NOOP("ImportReason", "$I$ needs a step in milliseconds"));
        }
        header_.stepMs = static_cast<std::uint32_t>(*step);
        header_.timeItem = -1;
        header_.lines = 0;
        if (items.size() > 2 && !headerStart_) {
            const auto t = readItemTime(trimmed(items[2]), "ddMMyyyy_HHmmssfff");
            const QDateTime start(QDate(t ? t->year : 0, t ? t->month : 0, t ? t->day : 0),
                                  QTime(t ? t->hour : 0, t ? t->minute : 0, t ? t->second : 0));
            if (!t || !start.isValid()) {
                throw LogFault(
                    n, columnOf(line, items[2]),
                    QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no start (ddMMyyyy_HHmmssfff)"),
                    qText(items[2]));
            }
            headerStart_ = start;
        }
    } else if (letter == 'T') {
        const auto item = items.size() > 2 ? integerNumber(items[1], 10) : std::nullopt;
        if (!item || *item < 0 || *item > static_cast<std::int64_t>(kDescribedMostFields)) {
            throw LogFault(
                n, 0,
                QT_TRANSLATE_NOOP("ImportReason", "$T$ needs the time's item and its format"));
        }
        header_.timeItem = static_cast<int>(*item);
        header_.timeFormat = std::string(trimmed(items[2]));
        header_.stepMs = 0;
    }
}

void OpenFormatReader::describedLine(std::string_view line, int n) {
    std::vector<std::string_view> items;
    if (!splitItems(line.substr(1), ';', items)) {
        throw LogFault(n, 0,
                       QT_TRANSLATE_NOOP("ImportReason", "more items than any charger sends"));
    }
    const std::string_view first = items[0];
    const bool isHeader =
        first.size() >= 2 && first.back() == '$' && first.front() >= 'A' && first.front() <= 'Z';
    if (isHeader) {
        headerLine(items, line, n);
        const std::string bytes = std::string(line) + "\r\n";
        driver_->feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, 0);
        return;
    }
    if (header_.columns < 0) {
        throw LogFault(
            n, 1,
            QT_TRANSLATE_NOOP("ImportReason", "a data line before any $C$ line names the columns"));
    }
    const std::size_t wanted =
        static_cast<std::size_t>(header_.columns) + (header_.timeItem >= 0 ? 1 : 0);
    if (items.size() != wanted) {
        throw LogFault(n, items.size() > wanted ? columnOf(line, items[wanted]) : 0,
                       QT_TRANSLATE_NOOP("ImportReason", "%1 items where the header says %2"),
                       items.size(), wanted);
    }
    std::int64_t ms =
        static_cast<std::int64_t>(header_.lines) * (header_.stepMs ? header_.stepMs : 1000);
    int timeColumn = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (static_cast<int>(k) == header_.timeItem) {
            const auto t = readItemTime(trimmed(items[k]), header_.timeFormat);
            timeColumn = columnOf(line, items[k]);
            if (!t) {
                throw LogFault(n, timeColumn,
                               QT_TRANSLATE_NOOP("ImportReason",
                                                 "\"%1\" does not match the time format \"%2\""),
                               qText(items[k]), QString::fromStdString(header_.timeFormat));
            }
            if (t->dated) {
                const QDateTime when(QDate(t->year, t->month, t->day),
                                     QTime(t->hour, t->minute, t->second, t->ms));
                if (!when.isValid()) {
                    throw LogFault(n, timeColumn,
                                   QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no date"),
                                   qText(items[k]));
                }
                if (!headerStart_) {
                    headerStart_ = when;
                }
                ms = headerStart_->msecsTo(when);
            } else {
                ms =
                    ((static_cast<std::int64_t>(t->day) * 24 + t->hour) * 60 + t->minute) * 60'000 +
                    t->second * 1000 + t->ms;
            }
            continue;
        }
        const bool number = header_.hex ? integerNumber(items[k], 16).has_value()
                                        : decimalNumber(items[k]).has_value();
        if (!number) {
            throw LogFault(n, columnOf(line, items[k]),
                           header_.hex
                               ? QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no hex number")
                               : QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no number"),
                           qText(items[k]));
        }
    }
    ++header_.lines;
    take(line, n, 1, ms, timeColumn);
}

ImportedLog OpenFormatReader::read(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    log_.kind = LogKind::OpenFormat;
    int n = 0;
    std::optional<bool> selfDescribing;
    while (!text.empty()) {
        ++n;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (trimmed(line).empty()) {
            continue;
        }
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            if (c < 0x20 && c != '\t') {
                throw LogFault(n, static_cast<int>(i) + 1,
                               QT_TRANSLATE_NOOP("ImportReason", "binary data (byte %1), not text"),
                               c);
            }
        }
        if (line.front() != '$') {
            throw LogFault(n, 1,
                           QT_TRANSLATE_NOOP("ImportReason", "an OpenFormat line begins with $"));
        }
        if (line.size() > kDescribedMostBytes) {
            throw LogFault(n, static_cast<int>(kDescribedMostBytes) + 1,
                           QT_TRANSLATE_NOOP("ImportReason", "the line is longer than %1 bytes"),
                           kDescribedMostBytes);
        }
        if (!selfDescribing) {
            const std::size_t close = line.find('$', 1);
            selfDescribing = line.size() > 2 && line[1] >= 'A' && line[1] <= 'Z' &&
                             close != std::string_view::npos &&
                             (close + 1 == line.size() || line[close + 1] == ';');
            const auto& description = *selfDescribing ? d_.described : d_.plain;
            if (!description) {
                throw LogFault(
                    0, 0,
                    QT_TRANSLATE_NOOP("ImportReason",
                                      "the charger description of these lines (%1) is not "
                                      "installed"),
                    *selfDescribing ? QStringLiteral("openformat-zero")
                                    : QStringLiteral("openformat"));
            }
            log_.charger = QString::fromStdString(description->id);
            DriverOptions options;
            options.checkTimes = false;
            driver_ = std::make_unique<DescribedDriver>(description, catcher_, catcher_, options);
        }
        if (*selfDescribing) {
            describedLine(line, n);
        } else {
            plainLine(line, n);
        }
    }
    if (rows_.empty()) {
        throw LogFault(0, 0, QT_TRANSLATE_NOOP("ImportReason", "it holds no data line"));
    }
    for (auto& [channel, rows] : rows_) {
        ImportedChannel c;
        c.channel = rows_.size() > 1 ? channel : 0;
        c.rows = std::move(rows);
        log_.channels.push_back(std::move(c));
    }
    if (headerStart_) {
        log_.start = *headerStart_;
    }
    return std::move(log_);
}

}  // namespace

OpenFormatDescriptions installedOpenFormatDescriptions() {
    if (!describedCharger("openformat") || !describedCharger("openformat-zero")) {
        addDescribedChargers(chargerFolders());
    }
    return {describedCharger("openformat"), describedCharger("openformat-zero")};
}

ImportedLog readOpenFormatLog(std::string_view text, const OpenFormatDescriptions& descriptions) {
    return OpenFormatReader(descriptions).read(text);
}

}  // namespace cellwatch::logimport
