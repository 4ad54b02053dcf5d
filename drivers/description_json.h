// The checks of a charger description's JSON values: each returns the value
// in the form asked for, or refuses with the value at fault (its line is
// told) and what is wrong with it.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cellwatch::description_json {

// A refusal: the line of the value at fault and what is wrong.
struct Refused {
    const Json::Value* at;
    std::string what;
};

[[noreturn]] void refuse(const Json::Value& at, std::string what);
std::string inQuotes(std::string_view s);
// An object with no keys but these (and "comment").
void onlyKeys(const Json::Value& object, std::initializer_list<std::string_view> keys);
const Json::Value& required(const Json::Value& object, const char* key);
std::string text(const Json::Value& v, const char* key, std::size_t most = 200);
std::int64_t whole(const Json::Value& v, const char* key, std::int64_t least, std::int64_t most);
bool flag(const Json::Value& v, const char* key);
// "0F 03 55": at most `most` bytes.
std::vector<std::uint8_t> hexBytes(const Json::Value& v, const char* key, std::size_t most);

// One of `names`' texts, as its value.
template <typename T, std::size_t N>
T choice(const Json::Value& v, const char* key, const std::pair<std::string_view, T> (&names)[N]) {
    const std::string s = text(v, key);
    std::string all;
    for (const auto& [name, value] : names) {
        if (name == s) {
            return value;
        }
        all += (all.empty() ? "" : ", ") + std::string(name);
    }
    refuse(v, inQuotes(key) + " must be one of " + all + ", not " + inQuotes(s));
}

}  // namespace cellwatch::description_json
