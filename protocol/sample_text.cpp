#include "protocol/sample_text.h"

namespace cellwatch {

std::string sampleFieldText(const StatusSample& s, int field) {
    switch (field) {
        case kFieldBatteryType:
            return s.batteryType;
        case kFieldState:
            return s.state;
        case kFieldExtTemperature:
            return s.extTemperature.plainText();
        case kFieldIntTemperature:
            return s.intTemperature.plainText();
        case kFieldInputVoltage:
            return s.inputVoltage.format(kFormat2);
        case kFieldVoltage:
            return s.voltage.format(kFormat2);
        case kFieldCurrent:
            return s.current.format(kFormat2);
        case kFieldCapacity:
            return s.capacity.plainText();
        case kFieldPower:
            return s.power;
        default:
            if (field >= kFieldCell1 && field <= kFieldCell12) {
                return s.cells[static_cast<std::size_t>(field - kFieldCell1)].plainText();
            }
            return {};
    }
}

const char* layoutName(FrameLayout layout) {
    return layout == FrameLayout::Short76 ? "76" : "112";
}

std::string dumpLine(const StatusSample& s, FrameLayout layout) {
    std::string line = layoutName(layout);
    for (int field = kFieldBatteryType; field <= kFieldCell12; ++field) {
        line += '\t';
        line += sampleFieldText(s, field);
    }
    return line;
}

}  // namespace cellwatch
