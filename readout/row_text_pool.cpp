#include "readout/row_text_pool.h"

#include <algorithm>

#include "protocol/reading_format.h"

namespace cellwatch {

bool RowTextPool::intern(std::string_view given, bool isState, std::uint16_t& index) {
    // The last text found comes again, row after row.
    if (last_ < texts_.size() && texts_[last_].text == given) {
        index = last_;
        return true;
    }
    // A tab shows as a blank, as in a row kept as texts (where it separates
    // the fields), so a row reads the same whichever way it is kept.
    std::string text(given);
    std::replace(text.begin(), text.end(), '\t', ' ');
    const auto found = index_.find(text);
    if (found != index_.end()) {
        index = found->second;
        last_ = index;
        return true;
    }
    if (texts_.size() >= kLimit) {
        return false;
    }
    index = static_cast<std::uint16_t>(texts_.size());
    const std::uint8_t code = isState ? static_cast<std::uint8_t>(ReadingFormat::stateOf(text))
                                      : static_cast<std::uint8_t>(ReadingFormat::chemistryOf(text));
    index_.emplace(text, index);
    texts_.push_back({std::move(text), code});
    last_ = index;
    return true;
}

}  // namespace cellwatch
