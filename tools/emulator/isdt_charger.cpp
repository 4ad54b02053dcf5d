// An ISDT charger answering on its two characteristics: a C4 Air (six
// slots, one answer per poll) or an A8 Air (eight slots, one work-state
// answer for all of them). It binds any client at once. Every slot charges
// a NiMH cell of its own, then shows it done.
#include <array>
#include <stdexcept>
#include <string>

#include "protocol/isdt_frames.h"
#include "tools/emulator/answering_charger.h"
#include "tools/emulator/pack_model.h"

namespace cellwatch::emulator {

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFFU);
    put16(b, v >> 16);
}
std::uint32_t milli(Decimal v) {
    return static_cast<std::uint32_t>(v.raw() / 10);
}

class IsdtCharger final : public AnsweringCharger {
public:
    explicit IsdtCharger(bool a8) : a8_(a8), slots_(a8 ? 8 : 6) {
        for (int k = 0; k < slots_; ++k) {
            PackParameters p;
            p.cells = 1;
            p.capacityMah = 800;
            p.current = 1.0 + 0.1 * k;
            p.seed = 21 + static_cast<std::uint64_t>(k);
            runs_[static_cast<std::size_t>(k)] = nimhCharge(p);
        }
    }

    std::vector<Bytes> answer(std::span<const std::uint8_t> request, std::string_view target,
                              std::uint32_t nowMs) override {
        if (request.empty()) {
            return {};
        }
        const bool onBind = target.empty() || target == isdt::kBindCharacteristic;
        const bool onPoll = target.empty() || target == isdt::kPollCharacteristic;
        if (request[0] == isdt::kBindReq && request.size() == 19 && onBind) {
            return {{isdt::kBindResp, 0x00}};
        }
        if (request[0] == isdt::kInfoReq && request.size() == 1 && onBind) {
            const std::string_view id = a8_ ? "A8Air   " : "C4Air   ";
            Bytes b = {isdt::kInfoResp, 1, 0, 2, 0};
            b.insert(b.end(), id.begin(), id.end());
            return {b};
        }
        if (!onPoll || request.size() < 2) {
            return {};
        }
        if (request[0] == 0x12 && request[1] == 0x92) {
            return {{isdt::kHeader, isdt::kAlarmResp, 0x00}};
        }
        if (request.size() != 3 || request[2] >= slots_) {
            return {};
        }
        const int slot = request[2];
        switch (request[1]) {
            case isdt::kWorkReq:
                return {a8_ ? block(nowMs) : work(slot, nowMs)};
            case isdt::kElectricReq:
                return {electric(slot, nowMs)};
            case isdt::kIrReq: {
                Bytes b = {isdt::kHeader, isdt::kIrResp, static_cast<std::uint8_t>(slot)};
                put16(b, 450 + 10 * static_cast<std::uint32_t>(slot));
                b.resize(19, 0);
                return {b};
            }
            default:
                return {};
        }
    }

private:
    const ChargerReading& at(int slot, std::uint32_t nowMs, bool& done) const {
        const std::vector<ChargerReading>& run = runs_[static_cast<std::size_t>(slot)];
        const std::size_t step = nowMs / 1000;
        done = step >= run.size();
        return run[done ? run.size() - 1 : step];
    }

    Bytes work(int slot, std::uint32_t nowMs) const {
        bool done = false;
        const ChargerReading& r = at(slot, nowMs, done);
        Bytes b = {isdt::kHeader, isdt::kWorkResp, static_cast<std::uint8_t>(slot),
                   static_cast<std::uint8_t>(done ? 6 : 3),
                   static_cast<std::uint8_t>(done ? 100 : 50)};
        const auto mah = static_cast<std::uint32_t>(r.capacity.raw() / Decimal::kScale);
        put32(b, mah);
        put32(b, mah * 1300 / 1000);  // mWh at about 1.3 V
        put32(b, nowMs);
        b.insert(b.end(), {4, 1, 2});  // NiMH, one cell, link type 2
        put16(b, 1480);
        put32(b, done ? 0 : milli(r.current));
        b.resize(isdt::kWorkBytes + 1, 0);
        return b;
    }

    Bytes electric(int slot, std::uint32_t nowMs) const {
        Bytes b = {isdt::kHeader, isdt::kElectricResp, static_cast<std::uint8_t>(slot)};
        if (a8_) {
            put16(b, 12000);
            put32(b, 1500);
            return b;
        }
        bool done = false;
        const ChargerReading& r = at(slot, nowMs, done);
        put16(b, 12000);
        put32(b, 1500);
        put16(b, milli(r.voltage));
        put32(b, done ? 0 : milli(r.current));
        b.resize(31, 0);
        return b;
    }

    Bytes block(std::uint32_t nowMs) const {
        Bytes b = {isdt::kHeader, isdt::kWorkResp, static_cast<std::uint8_t>(isdt::kBlockSlots)};
        for (int s = 0; s < 8; ++s) {
            bool done = false;
            const ChargerReading& r = at(s, nowMs, done);
            const auto mah = static_cast<std::uint32_t>(r.capacity.raw() / Decimal::kScale);
            b.push_back(static_cast<std::uint8_t>(done ? 6 : 3));
            b.push_back(static_cast<std::uint8_t>(done ? 100 : 50));
            put32(b, mah);
            put32(b, mah * 1300 / 1000);
            put32(b, nowMs);
            b.push_back(4);
            put32(b, done ? 0 : milli(r.current));
            put16(b, milli(r.voltage));
            put16(b, 450 + 10 * static_cast<std::uint32_t>(s));
            put16(b, 0);
        }
        return b;
    }

    bool a8_;
    int slots_;
    std::array<std::vector<ChargerReading>, 8> runs_;
};

}  // namespace

std::unique_ptr<AnsweringCharger> makeIsdtCharger(std::string_view model) {
    if (model != "C4 Air" && model != "A8 Air") {
        throw std::invalid_argument("the emulator plays the ISDT C4 Air and A8 Air, not " +
                                    std::string(model));
    }
    return std::make_unique<IsdtCharger>(model == "A8 Air");
}

}  // namespace cellwatch::emulator
