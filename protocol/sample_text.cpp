#include "protocol/sample_text.h"

#include "protocol/reading_format.h"
#include "protocol/sample_bridge.h"

namespace cellwatch {

std::string elapsedText(std::uint32_t ms) {
    return ReadingFormat::elapsedText(ms);
}

std::optional<std::uint32_t> parseElapsedText(std::string_view text) {
    return ReadingFormat::parseElapsed(text);
}

std::string sampleFieldText(const StatusSample& s, int field) {
    if (field == kFieldPower) {
        return s.power;  // the decoder's text as it made it
    }
    if (field < kFieldElapsed || field > kFieldCell12) {
        return {};
    }
    return ReadingFormat::fieldText(readingFromSample(s), field);
}

const char* layoutName(FrameLayout layout) {
    return layout == FrameLayout::Short76 ? "76" : "112";
}

}  // namespace cellwatch
