#include "tools/emulator/answering_charger.h"

#include <istream>
#include <ostream>
#include <stdexcept>

#include "protocol/frames_text.h"

namespace cellwatch::emulator {

std::unique_ptr<AnsweringCharger> makeSkyrcCharger(std::string_view model);
std::unique_ptr<AnsweringCharger> makeIsdtCharger(std::string_view model);

bool answersRequests(std::string_view charger) {
    return charger == "skyrc" || charger == "isdt";
}

std::unique_ptr<AnsweringCharger> makeAnsweringCharger(std::string_view charger,
                                                       std::string_view model) {
    if (charger == "skyrc") {
        return makeSkyrcCharger(model.empty() ? "T1000" : model);
    }
    if (charger == "isdt") {
        return makeIsdtCharger(model.empty() ? "C4 Air" : model);
    }
    throw std::invalid_argument("the emulator does not answer for " + std::string(charger));
}

std::string hexLine(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line;
    line.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!line.empty()) {
            line += ' ';
        }
        line += kDigits[b >> 4];
        line += kDigits[b & 0x0F];
    }
    return line;
}

void runHexLines(AnsweringCharger& charger, std::istream& in, std::ostream& out,
                 std::uint32_t (*nowMs)()) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::string_view text = line;
        std::string_view target;
        if (text.starts_with('@')) {
            const std::size_t space = text.find(' ');
            target = text.substr(1, space == std::string_view::npos ? text.npos : space - 1);
            text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        }
        const FramesLine request = parseFramesLine(text);
        if (request.kind == FramesLine::Kind::Skipped) {
            continue;
        }
        if (request.kind != FramesLine::Kind::Frame || request.timeMs) {
            out << "# bad request: " << line << std::endl;
            continue;
        }
        for (const std::vector<std::uint8_t>& reply :
             charger.answer(request.bytes, target, nowMs())) {
            out << hexLine(reply) << '\n';
        }
        out.flush();
    }
}

}  // namespace cellwatch::emulator
