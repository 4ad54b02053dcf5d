#include "tools/emulator/status_encoder.h"

#include <algorithm>
#include <cstddef>

namespace cellwatch::emulator {
namespace {

constexpr std::uint8_t kFill = 0x80;  // a biased zero, in every byte nobody reads
constexpr std::int64_t kBias = 128;
constexpr std::int64_t kStartByteValue = static_cast<std::int64_t>(kStartByte) - kBias;  // -5
constexpr std::int64_t kPairLimit = 12799;  // hundredths in 127.99

// 76-byte layout offsets.
namespace short76 {
constexpr std::size_t kMode = 8;
constexpr std::size_t kBatteryType = 23;
constexpr std::size_t kCurrent = 33;
constexpr std::size_t kVoltage = 35;
constexpr std::size_t kExtTemperature = 37;
constexpr std::size_t kIntTemperature = 39;
constexpr std::size_t kInputVoltage = 41;
constexpr std::size_t kCapacity = 43;
constexpr std::size_t kCellBase = 43;  // cell k (1..12) at 43 + 2k
}  // namespace short76

// 112-byte layout offsets.
namespace long112 {
constexpr std::size_t kMode = 1;
constexpr std::size_t kBatteryType = 2;
constexpr std::size_t kInputVoltage = 4;
constexpr std::size_t kCapacity = 7;
constexpr std::size_t kCurrent = 11;
constexpr std::size_t kVoltage = 15;
constexpr std::size_t kCellBase = 17;       // cell k (1..12) at 17 + 2k
constexpr std::size_t kShortCapacity = 43;  // where a misread 76-byte frame looks
}  // namespace long112

std::uint8_t biased(std::int64_t value) {
    return static_cast<std::uint8_t>(value + kBias);
}

bool fitsByte(std::int64_t value) {
    return value >= -kBias && value < kBias && value != kStartByteValue;
}

// Writes a count of hundredths as a pair at `offset`. The canonical split
// gives both parts the sign of the value; when a part would be the start
// byte, the whole part moves by one and the hundredths by 100 the other way,
// which the receiver sums to the same value.
void putPair(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int64_t hundredths) {
    hundredths = std::clamp(hundredths, -kPairLimit, kPairLimit);
    const std::int64_t whole = hundredths / 100;  // truncates toward zero
    const std::int64_t rest = hundredths % 100;   // same sign as the value
    for (std::int64_t shift : {0, -1, 1}) {
        const std::int64_t w = whole + shift;
        const std::int64_t h = rest - 100 * shift;
        if (fitsByte(w) && fitsByte(h)) {
            bytes[offset] = biased(w);
            bytes[offset + 1] = biased(h);
            return;
        }
    }
    // Unreachable within +-127.99: one of the three splits always fits.
    bytes[offset] = kFill;
    bytes[offset + 1] = kFill;
}

void putCode(std::vector<std::uint8_t>& bytes, std::size_t offset, int code) {
    bytes[offset] = biased(code);
}

std::int64_t hundredthsOf(Decimal value) {
    return std::clamp<std::int64_t>(value.rounded(2).raw() / 100, -kPairLimit, kPairLimit);
}

std::int64_t wholeOf(Decimal value) {
    return std::clamp<std::int64_t>(value.roundedToInt(), -kPairLimit, kPairLimit);
}

// A reading reduced to what the wire can carry, in the units the pairs hold.
struct WireFields {
    Mode mode = Mode::Idle;
    Chemistry chemistry = Chemistry::Unknown;
    std::int64_t current = 0;         // hundredths of A, magnitude
    std::int64_t voltage = 0;         // hundredths of V
    std::int64_t extTemperature = 0;  // whole degrees
    std::int64_t intTemperature = 0;
    std::int64_t inputVoltage = 0;                // hundredths of V
    std::int64_t capacity = 0;                    // whole mAh, the true count
    std::array<std::int64_t, kMaxCells> cells{};  // hundredths of V
};

WireFields wireFields(const ChargerReading& reading, FrameLayout layout) {
    WireFields f;
    f.mode = reading.mode;
    f.chemistry = reading.chemistry;
    f.current = hundredthsOf(reading.current.abs());
    f.voltage = hundredthsOf(reading.voltage);
    f.inputVoltage = hundredthsOf(reading.inputVoltage);
    f.capacity = std::max<std::int64_t>(0, reading.capacity.roundedToInt());
    for (std::size_t k = 0; k < f.cells.size(); ++k) {
        f.cells[k] = hundredthsOf(reading.cells[k]);
    }
    if (layout == FrameLayout::Short76) {
        f.extTemperature = wholeOf(reading.extTemperature);
        f.intTemperature = wholeOf(reading.intTemperature);
    }
    if (f.mode == Mode::Idle) {
        // The 76-byte layout has no idle mode: it is the charge mode with a
        // battery voltage of 0.00.
        f.current = 0;
        if (layout == FrameLayout::Short76) {
            f.voltage = 0;
        }
    }
    return f;
}

int batteryCode76(Chemistry chemistry) {
    switch (chemistry) {
        case Chemistry::Lithium:
            return 1;
        case Chemistry::NiMH:
            return 2;
        case Chemistry::NiCd:
            return 3;
        case Chemistry::Lead:
            return 4;
        case Chemistry::Unknown:
            break;
    }
    return 0;
}

int batteryCode112(Chemistry chemistry) {
    switch (chemistry) {
        case Chemistry::Lithium:
            return 0;
        case Chemistry::NiMH:
            return 4;
        case Chemistry::NiCd:
            return 5;
        case Chemistry::Lead:
            return 6;
        case Chemistry::Unknown:
            break;
    }
    return 1;
}

int modeCode76(Mode mode) {
    return mode == Mode::Discharge ? 0 : 1;
}

int modeCode112(Mode mode) {
    switch (mode) {
        case Mode::Discharge:
            return 1;
        case Mode::Charge:
            return 2;
        case Mode::Idle:
            break;
    }
    return 0;
}

std::vector<std::uint8_t> encode76(const WireFields& f) {
    using namespace short76;
    std::vector<std::uint8_t> bytes(kShortFrameSize, kFill);
    bytes[0] = kStartByte;
    putCode(bytes, kMode, modeCode76(f.mode));
    putCode(bytes, kBatteryType, batteryCode76(f.chemistry));
    putPair(bytes, kCurrent, f.current);
    putPair(bytes, kVoltage, f.voltage);
    putPair(bytes, kExtTemperature, f.extTemperature);
    putPair(bytes, kIntTemperature, f.intTemperature);
    putPair(bytes, kInputVoltage, f.inputVoltage);
    putPair(bytes, kCapacity, wireCapacity(f.capacity));
    for (std::size_t k = 1; k <= f.cells.size(); ++k) {
        putPair(bytes, kCellBase + 2 * k, f.cells[k - 1]);
    }
    bytes[kEndByteOffset] = kEndByte;
    return bytes;
}

std::vector<std::uint8_t> encode112(const WireFields& f) {
    using namespace long112;
    std::vector<std::uint8_t> bytes(kLongFrameSize, kFill);  // offset 75 stays 0x80
    bytes[0] = kStartByte;
    putCode(bytes, kMode, modeCode112(f.mode));
    putCode(bytes, kBatteryType, batteryCode112(f.chemistry));
    putPair(bytes, kInputVoltage, f.inputVoltage);
    putPair(bytes, kCapacity, wireCapacity(f.capacity));
    putPair(bytes, kCurrent, f.current);
    putPair(bytes, kVoltage, f.voltage);
    for (std::size_t k = 1; k <= f.cells.size(); ++k) {
        putPair(bytes, kCellBase + 2 * k, f.cells[k - 1]);
    }
    return bytes;
}

const char* batteryText(Chemistry chemistry) {
    switch (chemistry) {
        case Chemistry::Lithium:
            return "LiIo/Po/Fe";
        case Chemistry::NiMH:
            return "Ni-MH";
        case Chemistry::NiCd:
            return "Ni-Cd";
        case Chemistry::Lead:
            return "Pb";
        case Chemistry::Unknown:
            break;
    }
    return "Unknown";
}

}  // namespace

std::int64_t wireCapacity(std::int64_t mah) {
    std::int64_t w = std::max<std::int64_t>(0, mah);
    while (w > kLargestWireCapacity) {
        w -= kCapacityRollOverStep;
    }
    return w;
}

std::vector<std::uint8_t> encodeStatus(const ChargerReading& reading, FrameLayout layout) {
    const WireFields f = wireFields(reading, layout);
    return layout == FrameLayout::Short76 ? encode76(f) : encode112(f);
}

std::vector<std::uint8_t> encodeDamagedStatus(const ChargerReading& reading, FrameLayout layout) {
    const WireFields f = wireFields(reading, layout);
    if (layout == FrameLayout::Short76) {
        std::vector<std::uint8_t> bytes = encode76(f);
        bytes[kEndByteOffset] = kFill;
        putPair(bytes, long112::kCapacity, wireCapacity(f.capacity));
        return bytes;
    }
    std::vector<std::uint8_t> bytes = encode112(f);
    bytes[kEndByteOffset] = kEndByte;
    putPair(bytes, long112::kShortCapacity, wireCapacity(f.capacity));
    return bytes;
}

std::string expectedDumpLine(const ChargerReading& reading, FrameLayout layout) {
    const WireFields f = wireFields(reading, layout);
    const Decimal voltage = Decimal::fromHundredths(f.voltage);
    Decimal current = Decimal::fromHundredths(f.current);
    const char* state = "Idle";
    if (f.mode == Mode::Discharge) {
        state = "-DSC-";
        current = -current;
    } else if (layout == FrameLayout::Short76) {
        // Charge side: the receiver calls it idle when the voltage is 0.00,
        // but still shows the current it was sent.
        if (f.voltage > 0) {
            state = "+CHG+";
        }
    } else if (f.mode == Mode::Charge) {
        state = "+CHG+";
    }

    std::string line = layout == FrameLayout::Short76 ? "76" : "112";
    auto add = [&line](const std::string& field) {
        line += '\t';
        line += field;
    };
    add(batteryText(f.chemistry));
    add(state);
    add(Decimal::fromInt(f.extTemperature).plainText());
    add(Decimal::fromInt(f.intTemperature).plainText());
    add(Decimal::fromHundredths(f.inputVoltage).format(kFormat2));
    add(voltage.format(kFormat2));
    add(current.format(kFormat2));
    add(Decimal::fromInt(f.capacity).plainText());
    add((voltage * current).abs().format(kFormat2));
    for (std::int64_t cell : f.cells) {
        add(Decimal::fromHundredths(cell).plainText());
    }
    return line;
}

}  // namespace cellwatch::emulator
