#include "net/json_text.h"

#include <algorithm>

#include "protocol/reading_format.h"

namespace cellwatch::net {
namespace {

char hexDigit(unsigned v) {
    return static_cast<char>(v < 10 ? '0' + v : 'a' + v - 10);
}

void appendEscapedUnit(std::string& out, char16_t u) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += hexDigit((u >> shift) & 0xF);
    }
}

}  // namespace

void appendJsonString(std::string& out, const QString& text) {
    out += '"';
    const auto* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = p + text.size();
    while (p != end) {
        const char16_t u = *p++;
        if (u < 0x80) {
            const char c = static_cast<char>(u);
            switch (c) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '\b':
                    out += "\\b";
                    break;
                case '\f':
                    out += "\\f";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (u < 0x20) {
                        appendEscapedUnit(out, u);
                    } else {
                        out += c;
                    }
            }
            continue;
        }
        char32_t code = u;
        if (u >= 0xD800 && u < 0xDC00 && p != end && *p >= 0xDC00 && *p < 0xE000) {
            code = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (*p++ - 0xDC00);
        } else if (u >= 0xD800 && u < 0xE000) {
            appendEscapedUnit(out, u);  // half a pair: no UTF-8 for it
            continue;
        }
        if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    out += '"';
}

JsonObjectText& JsonObjectText::string(std::string_view key, const QString& text) {
    std::string value;
    appendJsonString(value, text);
    return json(key, std::move(value));
}

JsonObjectText& JsonObjectText::number(std::string_view key, std::optional<double> value) {
    std::string text;
    if (value) {
        ReadingFormat::appendJsonNumber(text, *value);
    } else {
        text = "null";
    }
    return json(key, std::move(text));
}

JsonObjectText& JsonObjectText::whole(std::string_view key, std::int64_t value) {
    std::string text;
    ReadingFormat::appendWhole(text, value);
    return json(key, std::move(text));
}

JsonObjectText& JsonObjectText::json(std::string_view key, std::string text) {
    members_.emplace_back(std::string(key), std::move(text));
    return *this;
}

std::string JsonObjectText::text() const {
    std::vector<const std::pair<std::string, std::string>*> sorted;
    sorted.reserve(members_.size());
    for (const auto& member : members_) {
        sorted.push_back(&member);
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto* a, const auto* b) { return a->first < b->first; });
    std::string out = "{";
    for (const auto* member : sorted) {
        if (out.size() > 1) {
            out += ',';
        }
        appendJsonString(out, QString::fromStdString(member->first));
        out += ':';
        out += member->second;
    }
    out += '}';
    return out;
}

void JsonArrayText::comma() {
    if (count_++ > 0) {
        text_ += ',';
    }
}

JsonArrayText& JsonArrayText::number(std::optional<double> value) {
    comma();
    if (value) {
        ReadingFormat::appendJsonNumber(text_, *value);
    } else {
        text_ += "null";
    }
    return *this;
}

JsonArrayText& JsonArrayText::json(const std::string& text) {
    comma();
    text_ += text;
    return *this;
}

}  // namespace cellwatch::net
