#include "protocol/charger_description.h"

#include <algorithm>

namespace cellwatch {

namespace {

struct UnitFactor {
    std::string_view unit;
    double factor;
};

constexpr UnitFactor kVolts[] = {{"V", 1.0}, {"mV", 0.001}};
constexpr UnitFactor kAmps[] = {{"A", 1.0}, {"mA", 0.001}};
constexpr UnitFactor kCapacity[] = {{"mAh", 1.0}, {"Ah", 1000.0}};
constexpr UnitFactor kEnergy[] = {{"Wh", 1.0}, {"mWh", 0.001}};
constexpr UnitFactor kPower[] = {{"W", 1.0}, {"mW", 0.001}};
constexpr UnitFactor kCelsius[] = {{"\xC2\xB0"
                                    "C",
                                    1.0},
                                   {"C", 1.0},
                                   {"degC", 1.0}};
constexpr UnitFactor kOhms[] = {
    {"m\xCE\xA9", 1.0}, {"mOhm", 1.0}, {"\xCE\xA9", 1000.0}, {"Ohm", 1000.0}};

double lookUp(std::span<const UnitFactor> units, std::string_view unit) {
    for (const UnitFactor& u : units) {
        if (u.unit == unit) {
            return u.factor;
        }
    }
    return 0.0;
}

}  // namespace

std::size_t checksumBytes(ChecksumKind kind) {
    switch (kind) {
        case ChecksumKind::None:
            return 0;
        case ChecksumKind::Crc16Modbus:
            return 2;
        default:
            return 1;
    }
}

std::uint32_t checksumOf(ChecksumKind kind, std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    switch (kind) {
        case ChecksumKind::None:
            return 0;
        case ChecksumKind::Sum8:
            for (std::uint8_t b : bytes) {
                sum += b;
            }
            return sum & 0xFFu;
        case ChecksumKind::Xor:
            for (std::uint8_t b : bytes) {
                sum ^= b;
            }
            return sum;
        case ChecksumKind::Crc16Modbus: {
            std::uint32_t crc = 0xFFFF;
            for (std::uint8_t b : bytes) {
                crc ^= b;
                for (int k = 0; k < 8; ++k) {
                    crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1;
                }
            }
            return crc;
        }
        case ChecksumKind::Crc8: {  // polynomial 0x07, starting at 0
            std::uint32_t crc = 0;
            for (std::uint8_t b : bytes) {
                crc ^= b;
                for (int k = 0; k < 8; ++k) {
                    crc = ((crc & 0x80u) != 0 ? (crc << 1) ^ 0x07u : crc << 1) & 0xFFu;
                }
            }
            return crc;
        }
    }
    return 0;
}

std::size_t fieldBytes(FieldType type) {
    switch (type) {
        case FieldType::U8:
        case FieldType::I8:
            return 1;
        case FieldType::U16:
        case FieldType::I16:
            return 2;
        default:
            return 4;
    }
}

double unitFactor(ReadingPart part, std::string_view unit) {
    if (unit.empty()) {
        return 1.0;
    }
    switch (part) {
        case ReadingPart::Voltage:
        case ReadingPart::InputVoltage:
        case ReadingPart::Cell:
            return lookUp(kVolts, unit);
        case ReadingPart::Current:
            return lookUp(kAmps, unit);
        case ReadingPart::Capacity:
            return lookUp(kCapacity, unit);
        case ReadingPart::Energy:
            return lookUp(kEnergy, unit);
        case ReadingPart::Power:
            return lookUp(kPower, unit);
        case ReadingPart::IntTemperature:
        case ReadingPart::ExtTemperature:
            return lookUp(kCelsius, unit);
        case ReadingPart::Resistance:
            return lookUp(kOhms, unit);
        default:
            return 0.0;
    }
}

std::size_t leastFrameBytes(const ChargerDescription& d) {
    std::size_t least = d.startBytes.size();
    for (const DescribedField& f : d.fields) {
        least = std::max(least, f.position + fieldBytes(f.type));
    }
    if (d.lengthField) {
        least = std::max(least, d.lengthOffset + fieldBytes(d.lengthType));
    }
    least = std::max(least, d.checksumFrom);
    return least + checksumBytes(d.checksum) + d.endBytes.size();
}

}  // namespace cellwatch
