#include "alarms/chemistry_limits.h"

#include <cmath>

namespace cellwatch::alarms {
namespace {

Decimal limitDecimal(double volts) {
    return Decimal::fromHundredths(std::llround(volts * 100.0));
}

bool lithiumChemistry(PackChemistry c) {
    return c == PackChemistry::LiPo || c == PackChemistry::LiHV || c == PackChemistry::LiIon ||
           c == PackChemistry::LiFe;
}

}  // namespace

ChemistryLimits chemistryLimits(PackChemistry chemistry) {
    switch (chemistry) {
        case PackChemistry::LiPo:
            return {4.20, 4.25, 3.00};
        case PackChemistry::LiHV:
            return {4.35, 4.40, 3.00};
        case PackChemistry::LiIon:
            return {4.20, 4.25, 2.80};
        case PackChemistry::LiFe:
            return {3.60, 3.70, 2.50};
        case PackChemistry::NiMH:
            return {1.45, 1.60, 0.90};
        case PackChemistry::NiCd:
            return {1.45, 1.60, 0.85};
        case PackChemistry::Pb:
            return {2.40, 2.45, 1.75};
        case PackChemistry::Unknown:
            break;
    }
    return {};
}

ChemistryLimits packLimits(const PackInfo& pack) {
    ChemistryLimits limits = chemistryLimits(pack.chemistry);
    if (pack.cellHighV > 0) {
        limits.cellHighV = pack.cellHighV;
    }
    if (pack.cellLowV > 0) {
        limits.cellLowV = pack.cellLowV;
    }
    return limits;
}

AlarmSettings settingsForPack(const AlarmSettings& settings, const PackInfo& pack) {
    AlarmSettings out = settings;
    const ChemistryLimits limits = packLimits(pack);
    // A pack of unknown chemistry with limits of its own: they are taken for
    // the lithium cells, the cells a balance lead reports.
    const bool lead = pack.chemistry == PackChemistry::Pb;
    const bool lithium =
        lithiumChemistry(pack.chemistry) || pack.chemistry == PackChemistry::Unknown;
    if (!lead && !lithium) {
        return out;
    }
    const auto put = [lead](Rule& rule, double volts) {
        if (volts > 0) {
            (lead ? rule.second : rule.limit) = limitDecimal(volts);
        }
    };
    put(out[Kind::CellHigh], limits.cellHighV);
    put(out[Kind::CellLow], limits.cellLowV);
    return out;
}

}  // namespace cellwatch::alarms
