// Compact JSON text for the network's messages (MQTT and the phone page),
// byte for byte as Qt's JSON writer makes it: an object's members in the
// order of their keys, strings in UTF-8 with only '"', '\' and control
// characters escaped. Every number's text is made by ReadingFormat.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cellwatch::net {

// A JSON string of `text`, quoted.
void appendJsonString(std::string& out, const QString& text);

class JsonObjectText {
public:
    JsonObjectText& string(std::string_view key, const QString& text);
    // A measured value; nothing (std::nullopt) is null.
    JsonObjectText& number(std::string_view key, std::optional<double> value);
    JsonObjectText& whole(std::string_view key, std::int64_t value);
    // A value that is JSON text already (an object or an array).
    JsonObjectText& json(std::string_view key, std::string text);

    std::string text() const;
    QByteArray bytes() const { return QByteArray::fromStdString(text()); }

private:
    std::vector<std::pair<std::string, std::string>> members_;
};

class JsonArrayText {
public:
    JsonArrayText& number(std::optional<double> value);
    JsonArrayText& json(const std::string& text);
    bool empty() const { return count_ == 0; }
    std::string text() const { return text_ + ']'; }

private:
    void comma();

    std::string text_ = "[";
    int count_ = 0;
};

}  // namespace cellwatch::net
