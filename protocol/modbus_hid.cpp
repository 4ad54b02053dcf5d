#include "protocol/modbus_hid.h"

#include "protocol/modbus_rtu.h"

namespace cellwatch::modbus {

namespace {

constexpr std::size_t kReportBytes = 64;

}  // namespace

std::optional<std::vector<std::uint8_t>> hidReportOfRtu(std::span<const std::uint8_t> rtu) {
    if (rtu.size() < 4 || !crcMatches(rtu)) {
        return std::nullopt;
    }
    const std::span<const std::uint8_t> pdu = rtu.subspan(1, rtu.size() - 3);
    if (pdu.size() + 2 > kReportBytes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> report;
    report.reserve(pdu.size() + 2);
    report.push_back(static_cast<std::uint8_t>(pdu.size() + 2));
    report.push_back(kHidFrameType);
    report.insert(report.end(), pdu.begin(), pdu.end());
    return report;
}

std::optional<std::vector<std::uint8_t>> rtuOfHidReport(std::span<const std::uint8_t> report,
                                                        std::uint8_t unit) {
    if (report.size() < 3 || report[1] != kHidFrameType) {
        return std::nullopt;
    }
    const std::size_t length = report[0];
    if (length < 3 || length > report.size()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> frame;
    frame.reserve(length + 1);
    frame.push_back(unit);
    frame.insert(frame.end(), report.begin() + 2,
                 report.begin() + static_cast<std::ptrdiff_t>(length));
    const std::uint16_t crc = crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

}  // namespace cellwatch::modbus
