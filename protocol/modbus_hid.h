// The MODBUS-HID frame a charger's USB link carries in place of an RTU
// frame: one request per 64-byte output report, one answer per input
// report, as [L, 0x30, PDU...] where L counts the bytes from itself to the
// PDU's end; no unit address and no CRC (USB checks its own). The link
// turns the driver's RTU frames into such reports and the answers back into
// RTU frames, so one driver serves both links.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cellwatch::modbus {

inline constexpr std::uint8_t kHidFrameType = 0x30;

// The report payload for an RTU frame (unit, PDU, CRC); nothing for a frame
// too short, with a wrong CRC, or whose PDU does not fit a 64-byte report.
std::optional<std::vector<std::uint8_t>> hidReportOfRtu(std::span<const std::uint8_t> rtu);
// The RTU frame, for `unit`, of an answer report; nothing for a report that
// is no MODBUS-HID frame (the charger also pushes log packets of its own).
std::optional<std::vector<std::uint8_t>> rtuOfHidReport(std::span<const std::uint8_t> report,
                                                        std::uint8_t unit);

}  // namespace cellwatch::modbus
