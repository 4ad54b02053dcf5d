// A SkyRC charger answering the 0F frames: a T1000 over USB HID (answers in
// 64-byte reports, zero-padded; four ports) or a Q200neo over BLE (answers
// unpadded; no answer to the device query, as the real one). Every port
// charges a LiPo pack of its own (6, 4, 3 and 2 cells), then shows it done.
#include <array>
#include <stdexcept>
#include <string>

#include "protocol/skyrc_frame.h"
#include "tools/emulator/answering_charger.h"
#include "tools/emulator/pack_model.h"

namespace cellwatch::emulator {

namespace {

using Bytes = std::vector<std::uint8_t>;

class SkyrcCharger final : public AnsweringCharger {
public:
    explicit SkyrcCharger(bool usb) : usb_(usb) {
        constexpr std::array<int, 4> cells = {6, 4, 3, 2};
        for (std::size_t k = 0; k < ports_.size(); ++k) {
            PackParameters p;
            p.cells = cells[k];
            p.capacityMah = 1000;
            p.current = 2.0 - 0.4 * static_cast<double>(k);
            p.seed = 11 + k;
            ports_[k] = lithiumCharge(p);
        }
    }

    std::vector<Bytes> answer(std::span<const std::uint8_t> request, std::string_view /*target*/,
                              std::uint32_t nowMs) override {
        // A request is one frame at the start of its report; what follows it is padding.
        if (request.size() < 4 || request[0] != skyrc::kStart || request[1] < 2 ||
            request.size() < std::size_t{2} + request[1]) {
            return {};
        }
        const std::size_t len = request[1];
        const std::span<const std::uint8_t> body = request.subspan(2, len - 1);
        if (skyrc::checksum(body) != request[1 + len]) {
            return {};  // a charger ignores a frame with a bad sum
        }
        const std::uint8_t command = body[0];
        const std::uint8_t mask = body.size() > 1 ? body[1] : 0;
        int port = 0;
        for (int k = 0; k < 4; ++k) {
            port = mask == (1U << k) ? k + 1 : port;
        }
        switch (command) {
            case skyrc::kDeviceInfo: {
                if (!usb_) {
                    return {};
                }
                Bytes d = {0x00, '1', '0', '0', '1', '8', '2', 0, 0, 0, 0, 0, 1, 5};
                return {reply(command, d)};
            }
            case skyrc::kProgram:
                if (port == 0) {
                    return {};
                }
                return {
                    reply(command, Bytes{mask, 0x01, 0x00, static_cast<std::uint8_t>(cellsOf(port)),
                                         0x00, 20, 10, 0, 0, 0x01})};
            case skyrc::kStatus:
                if (port == 0) {
                    return {};
                }
                return {reply(command, status(port, mask, nowMs))};
            default:
                return {};
        }
    }

private:
    int cellsOf(int port) const {
        constexpr std::array<int, 4> cells = {6, 4, 3, 2};
        return cells[static_cast<std::size_t>(port - 1)];
    }

    Bytes reply(std::uint8_t command, const Bytes& data) const {
        Bytes f = skyrc::makeFrame(command, data);
        if (usb_) {
            f.resize(64, 0);
        }
        return f;
    }

    Bytes status(int port, std::uint8_t mask, std::uint32_t nowMs) const {
        const std::vector<ChargerReading>& run = ports_[static_cast<std::size_t>(port - 1)];
        const std::size_t step = nowMs / 1000;
        const bool done = step >= run.size();
        const ChargerReading& r = run[done ? run.size() - 1 : step];
        const auto mv16 = [](Decimal v) { return static_cast<std::uint16_t>(v.raw() / 10); };
        const auto seconds = static_cast<std::uint16_t>(std::min<std::size_t>(step, 0xFFFF));
        const std::uint16_t ma = done ? 0 : mv16(r.current);
        const auto mah = static_cast<std::uint16_t>(r.capacity.raw() / Decimal::kScale);
        Bytes d = {mask,
                   static_cast<std::uint8_t>(done ? 0x03 : 0x01),
                   static_cast<std::uint8_t>(mah >> 8),
                   static_cast<std::uint8_t>(mah),
                   static_cast<std::uint8_t>(seconds >> 8),
                   static_cast<std::uint8_t>(seconds),
                   static_cast<std::uint8_t>(mv16(r.voltage) >> 8),
                   static_cast<std::uint8_t>(mv16(r.voltage)),
                   static_cast<std::uint8_t>(ma >> 8),
                   static_cast<std::uint8_t>(ma),
                   0,
                   30,
                   0,
                   0};
        for (std::size_t c = 0; c < 6; ++c) {
            const std::uint16_t mv = mv16(r.cells[c]);
            d.push_back(static_cast<std::uint8_t>(mv >> 8));
            d.push_back(static_cast<std::uint8_t>(mv));
        }
        d.insert(d.end(), {0, 0, 0, 0, 1, 0});
        return d;
    }

    bool usb_;
    std::array<std::vector<ChargerReading>, 4> ports_;
};

}  // namespace

std::unique_ptr<AnsweringCharger> makeSkyrcCharger(std::string_view model) {
    if (model != "T1000" && model != "Q200neo") {
        throw std::invalid_argument("the emulator plays the SkyRC T1000 and Q200neo, not " +
                                    std::string(model));
    }
    return std::make_unique<SkyrcCharger>(model == "T1000");
}

}  // namespace cellwatch::emulator
