#include "import/log_reader.h"

#include <QCoreApplication>
#include <algorithm>

#include "protocol/table_fields.h"

namespace cellwatch::logimport {
namespace {

std::string_view firstLine(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        while (!line.empty() &&
               (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        if (!line.empty()) {
            return line;
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return {};
}

}  // namespace

QString refusalText(const Refusal& r, const RefusalWords& words) {
    const auto say = [&words](const char* english) {
        return words ? words(english) : QString::fromUtf8(english);
    };
    // %1... replaced in one pass: a file's words that hold "%2" stay as they are.
    const auto fill = [](const QString& text, const QStringList& args) {
        QString out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = i + 1 < text.size() ? text[i + 1].digitValue() : -1;
            if (text[i] == u'%' && n >= 1 && n <= args.size()) {
                out += args[n - 1];
                ++i;
            } else {
                out += text[i];
            }
        }
        return out;
    };
    QString text;
    if (r.text != nullptr) {
        text = fill(say(r.text), r.args);
    } else {
        const QString own = r.args.join(QStringLiteral(": "));
        // Another part's words come after a lead of the window's language.
        text = words ? fill(say(QT_TRANSLATE_NOOP("ImportReason", "it cannot be read: %1")), {own})
                     : own;
    }
    if (r.line > 0 && r.column > 0) {
        text = fill(say(QT_TRANSLATE_NOOP("ImportReason", "line %1, column %2: %3")),
                    {QString::number(r.line), QString::number(r.column), text});
    } else if (r.line > 0) {
        text = fill(say(QT_TRANSLATE_NOOP("ImportReason", "line %1: %2")),
                    {QString::number(r.line), text});
    }
    if (r.as) {
        const char* kind =
            *r.as == LogKind::ToolkitRc    ? QT_TRANSLATE_NOOP("ImportReason", "ToolkitRC log")
            : *r.as == LogKind::OpenFormat ? QT_TRANSLATE_NOOP("ImportReason", "OpenFormat lines")
                                           : QT_TRANSLATE_NOOP("ImportReason", "table");
        text = fill(say(QT_TRANSLATE_NOOP("ImportReason", "%1 (as %2)")), {text, say(kind)});
    }
    return text;
}

LogFault::LogFault(Refusal refusal)
    : std::runtime_error(refusalText(refusal).toStdString()), refusal_(std::move(refusal)) {}

QString LogFault::reason() const {
    Refusal bare = refusal_;
    bare.line = 0;
    bare.column = 0;
    return refusalText(bare);
}

std::size_t ImportedLog::rowCount() const {
    std::size_t rows = 0;
    for (const ImportedChannel& c : channels) {
        rows += c.rows->dataRowCount();
    }
    return rows;
}

std::uint32_t ImportedLog::durationSeconds() const {
    std::uint32_t most = 0;
    for (const ImportedChannel& c : channels) {
        const int last = c.rows->gridRowCount() - 1;
        if (last >= 1) {
            most = std::max(most, c.rows->seconds(last).value_or(0));
        }
    }
    return most;
}

std::optional<LogKind> kindOfText(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    const std::string_view line = firstLine(text);
    if (line.starts_with("==") && line.ends_with("==") && line.size() > 4) {
        return LogKind::ToolkitRc;
    }
    if (line.starts_with("$")) {
        return LogKind::OpenFormat;
    }
    // A journal's comment, a table's header or a row: commas or tabs.
    if (line.find(',') != std::string_view::npos || line.find('\t') != std::string_view::npos ||
        line.starts_with("#") || line.starts_with("\"#")) {
        return LogKind::OwnCsv;
    }
    return std::nullopt;
}

std::string_view chemistryTypeText(Chemistry chemistry) {
    if (isLithium(chemistry)) {
        return kTypeLithium;
    }
    switch (chemistry) {
        case Chemistry::NiMH:
            return kTypeNiMH;
        case Chemistry::NiCd:
            return kTypeNiCd;
        case Chemistry::Pb:
            return kTypeLead;
        default:
            return kTypeUnknown;
    }
}

Chemistry chemistryOfName(std::string_view name) {
    std::string lower;
    for (const char c : name) {
        if (c != '-' && c != ' ' && c != '_') {
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    struct Name {
        std::string_view text;
        Chemistry chemistry;
    };
    static constexpr Name kNames[] = {
        {"lipo", Chemistry::LiPo},    {"lihv", Chemistry::LiHV},  {"liion", Chemistry::LiIon},
        {"lilo", Chemistry::LiIon},   {"li", Chemistry::Lithium}, {"life", Chemistry::LiFe},
        {"lifepo4", Chemistry::LiFe}, {"nimh", Chemistry::NiMH},  {"nicd", Chemistry::NiCd},
        {"pb", Chemistry::Pb},        {"lead", Chemistry::Pb},
    };
    for (const Name& n : kNames) {
        if (lower == n.text) {
            return n.chemistry;
        }
    }
    return Chemistry::Unknown;
}

void settleReading(Reading& r) {
    r.state = r.current > Decimal()   ? ChargeState::Charging
              : r.current < Decimal() ? ChargeState::Discharging
                                      : ChargeState::Idle;
    r.stateText = r.state == ChargeState::Charging      ? kStateCharge
                  : r.state == ChargeState::Discharging ? kStateDischarge
                                                        : kStateIdle;
    r.chemistryText = chemistryTypeText(r.chemistry);
    if (r.power && *r.power < Decimal()) {
        r.power = -*r.power;
    }
}

}  // namespace cellwatch::logimport
