#include "protocol/reading.h"

#include <algorithm>

namespace cellwatch {

namespace {

constexpr std::array<std::string_view, kChargeStateCount> kStateIds = {
    "idle", "charging", "discharging", "resting", "balancing", "storage", "done", "error"};
constexpr std::array<std::string_view, kChemistryCount> kChemistryIds = {
    "unknown", "lithium", "lipo", "lihv", "liion", "life", "nimh", "nicd", "pb"};

template <typename Enum, std::size_t N>
std::optional<Enum> fromId(const std::array<std::string_view, N>& ids, std::string_view id) {
    const auto it = std::find(ids.begin(), ids.end(), id);
    if (it == ids.end()) {
        return std::nullopt;
    }
    return static_cast<Enum>(it - ids.begin());
}

}  // namespace

std::string_view chargeStateId(ChargeState state) {
    return kStateIds[static_cast<std::size_t>(state)];
}

std::string_view chemistryId(Chemistry chemistry) {
    return kChemistryIds[static_cast<std::size_t>(chemistry)];
}

std::optional<ChargeState> chargeStateFromId(std::string_view id) {
    return fromId<ChargeState>(kStateIds, id);
}

std::optional<Chemistry> chemistryFromId(std::string_view id) {
    return fromId<Chemistry>(kChemistryIds, id);
}

}  // namespace cellwatch
