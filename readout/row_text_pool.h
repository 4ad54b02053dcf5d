// The charger's words for a row's state and battery type, each kept once
// with the enum it stands for (ChargeState or Chemistry): RowStore's rows
// hold an index into a pool rather than a text of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cellwatch {

class RowTextPool {
public:
    static constexpr std::size_t kLimit = 0xFFFF;

    // The index of a text (a state's when `isState`, else a battery type's),
    // added when it is new; a tab in it shows as a blank. False, and nothing
    // added, when the pool holds kLimit texts.
    bool intern(std::string_view text, bool isState, std::uint16_t& index);

    const std::string& text(std::uint16_t index) const { return texts_[index].text; }
    // The ChargeState or Chemistry of a text.
    std::uint8_t code(std::uint16_t index) const { return texts_[index].code; }

private:
    struct Entry {
        std::string text;
        std::uint8_t code = 0;
    };
    std::vector<Entry> texts_;
    std::unordered_map<std::string, std::uint16_t> index_;
    std::uint16_t last_ = 0;  // the text found last
};

}  // namespace cellwatch
