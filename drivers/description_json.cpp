// The checks of a description's JSON values, each refusing with the value
// at fault.
#include "drivers/description_json.h"

#include <algorithm>

#include "protocol/frames_text.h"

namespace cellwatch::description_json {

[[noreturn]] void refuse(const Json::Value& at, std::string what) {
    throw Refused{&at, std::move(what)};
}

std::string inQuotes(std::string_view s) {
    std::string text(1, '"');
    text.append(s);
    text.push_back('"');
    return text;
}

void onlyKeys(const Json::Value& object, std::initializer_list<std::string_view> keys) {
    if (!object.isObject()) {
        refuse(object, "must be an object");
    }
    for (const std::string& name : object.getMemberNames()) {
        if (name != "comment" && std::find(keys.begin(), keys.end(), name) == keys.end()) {
            refuse(object[name], "unknown key " + inQuotes(name));
        }
    }
}

const Json::Value& required(const Json::Value& object, const char* key) {
    if (!object.isMember(key)) {
        refuse(object, "missing key " + inQuotes(key));
    }
    return object[key];
}

std::string text(const Json::Value& v, const char* key, std::size_t most) {
    if (!v.isString()) {
        refuse(v, inQuotes(key) + " must be a string");
    }
    std::string s = v.asString();
    if (s.size() > most) {
        refuse(v, inQuotes(key) + " is longer than " + std::to_string(most) + " characters");
    }
    return s;
}

std::int64_t whole(const Json::Value& v, const char* key, std::int64_t least, std::int64_t most) {
    if (!v.isInt64() || v.asLargestInt() < least || v.asLargestInt() > most) {
        refuse(v, inQuotes(key) + " must be a whole number from " + std::to_string(least) + " to " +
                      std::to_string(most));
    }
    return v.asLargestInt();
}

bool flag(const Json::Value& v, const char* key) {
    if (!v.isBool()) {
        refuse(v, inQuotes(key) + " must be true or false");
    }
    return v.asBool();
}

std::vector<std::uint8_t> hexBytes(const Json::Value& v, const char* key, std::size_t most) {
    const std::string s = text(v, key, 4 * most);
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : s) {
        if (c == ' ') {
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0) {
            refuse(v, inQuotes(key) + " must be hex bytes (\"0F 03 55\")");
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0 || bytes.size() > most) {
        refuse(v, inQuotes(key) + " must be whole hex bytes, at most " + std::to_string(most));
    }
    return bytes;
}

}  // namespace cellwatch::description_json
