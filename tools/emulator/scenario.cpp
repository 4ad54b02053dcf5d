#include "tools/emulator/scenario.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <stdexcept>

#include "tools/emulator/alarm_scenarios.h"
#include "tools/emulator/pack_model.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch::emulator {
namespace {

constexpr std::size_t kIdleMessages = 10;
constexpr std::size_t kShortRunMessages = 6;  // pause, late, garbage, damaged
constexpr double kDefaultSimSeconds = 1.0;
constexpr double kDemoSimSeconds = 30.0;
constexpr int kDefaultLithiumCells = 4;
constexpr int kDefaultNiMHCells = 6;

struct Context {
    const ScenarioOptions& options;
    std::uint64_t seed;  // this scenario's own
    std::size_t limit;   // most messages, 0 for none
    double simSeconds;
};

bool carriesMessage(const Step& step) {
    return step.kind == Step::Kind::Message || step.kind == Step::Kind::LateMessage ||
           step.kind == Step::Kind::DamagedMessage;
}

Step messageStep(const ChargerReading& reading, FrameLayout layout,
                 Step::Kind kind = Step::Kind::Message) {
    Step step;
    step.kind = kind;
    step.reading = reading;
    step.layout = layout;
    return step;
}

Step silenceStep(std::uint32_t ms) {
    Step step;
    step.kind = Step::Kind::Silence;
    step.ms = ms;
    return step;
}

Step garbageStep(Random& random, std::uint32_t minBytes, std::uint32_t maxBytes) {
    Step step;
    step.kind = Step::Kind::Garbage;
    const std::uint32_t n = random.between(minBytes, maxBytes);
    while (step.bytes.size() < n) {
        const auto b = static_cast<std::uint8_t>(random.between(0, 255));
        if (b != kStartByte) {
            step.bytes.push_back(b);
        }
    }
    return step;
}

void appendMessages(std::vector<Step>& steps, const std::vector<ChargerReading>& readings,
                    FrameLayout layout) {
    for (const ChargerReading& r : readings) {
        steps.push_back(messageStep(r, layout));
    }
}

PackParameters packParameters(const Context& c, Chemistry chemistry, std::size_t limit) {
    PackParameters p;
    p.cells = c.options.cells != 0
                  ? c.options.cells
                  : (chemistry == Chemistry::NiMH ? kDefaultNiMHCells : kDefaultLithiumCells);
    p.capacityMah = c.options.capacityMah;
    p.current = c.options.current.toDouble();
    p.stepSeconds = c.simSeconds;
    p.limit = limit;
    p.seed = c.seed;
    p.resistanceOhm = c.options.resistanceOhm;
    p.weakCell = c.options.weakCell;
    p.weakCapacity = c.options.weakCapacityPercent / 100.0;
    p.weakResistance = c.options.weakResistancePercent / 100.0;
    return p;
}

// The first few readings of a LiPo charge, for the scenarios about the line.
std::vector<ChargerReading> chargingReadings(const Context& c, std::size_t count) {
    return lithiumCharge(packParameters(c, Chemistry::Lithium, count));
}

std::vector<Step> buildLipoCharge(const Context& c) {
    std::vector<Step> steps;
    appendMessages(steps, lithiumCharge(packParameters(c, Chemistry::Lithium, c.limit)),
                   c.options.layout);
    return steps;
}

std::vector<Step> buildLipoDischarge(const Context& c) {
    std::vector<Step> steps;
    appendMessages(steps, lithiumDischarge(packParameters(c, Chemistry::Lithium, c.limit)),
                   c.options.layout);
    return steps;
}

// A charge and at once a discharge of the same pack, one recording: the
// charger's counter starts again from 0 for the discharge. The charge
// starts from about where the discharge ends (the cut-off under load), so
// that what goes in and what comes out compare.
std::vector<Step> buildLipoCycle(const Context& c) {
    std::vector<Step> steps;
    PackParameters p = packParameters(c, Chemistry::Lithium, c.limit);
    p.chargeStartSoc = 0.0;
    appendMessages(steps, lithiumCharge(p), c.options.layout);
    appendMessages(steps, lithiumDischarge(p), c.options.layout);
    return steps;
}

std::vector<Step> buildNimhCharge(const Context& c) {
    std::vector<Step> steps;
    appendMessages(steps, nimhCharge(packParameters(c, Chemistry::NiMH, c.limit)),
                   c.options.layout);
    return steps;
}

std::vector<Step> buildIdle(const Context& c) {
    std::vector<Step> steps;
    appendMessages(steps, idleReadings(kIdleMessages, c.seed), c.options.layout);
    return steps;
}

std::vector<Step> buildPause(const Context& c) {
    const auto readings = chargingReadings(c, kShortRunMessages);
    std::vector<Step> steps;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (i == readings.size() / 2) {
            steps.push_back(silenceStep(c.options.pauseMs));
        }
        steps.push_back(messageStep(readings[i], c.options.layout));
    }
    return steps;
}

std::vector<Step> buildLate(const Context& c) {
    const auto readings = chargingReadings(c, kShortRunMessages + 1);
    std::vector<Step> steps;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const bool late = i == readings.size() / 2;
        steps.push_back(messageStep(readings[i], c.options.layout,
                                    late ? Step::Kind::LateMessage : Step::Kind::Message));
        if (late) {
            steps.back().ms = c.options.lateMs;
        }
    }
    return steps;
}

std::vector<Step> buildGarbage(const Context& c) {
    Random random(c.seed ^ 0x6A09E667F3BCC909ULL);
    std::vector<Step> steps;
    steps.push_back(garbageStep(random, 10, 40));  // the line starts in the middle of something
    for (const ChargerReading& r : chargingReadings(c, kShortRunMessages)) {
        steps.push_back(messageStep(r, c.options.layout));
        steps.push_back(garbageStep(random, 1, 40));
    }
    return steps;
}

std::vector<Step> buildDamaged(const Context& c) {
    const auto readings = chargingReadings(c, kShortRunMessages);
    std::vector<Step> steps;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        steps.push_back(messageStep(readings[i], c.options.layout,
                                    i == 2 ? Step::Kind::DamagedMessage : Step::Kind::Message));
    }
    return steps;
}

std::vector<Step> buildDemo(const Context& c) {
    Context fast = c;
    fast.limit = 0;  // the demo's limit applies to the whole mix
    fast.simSeconds = c.options.simSeconds > 0 ? c.options.simSeconds : kDemoSimSeconds;
    Random random(c.seed ^ 0xBB67AE8584CAA73BULL);
    const FrameLayout layout = c.options.layout;

    std::vector<Step> steps;
    auto idle = [&](std::size_t n) {
        appendMessages(steps, idleReadings(n, random.next()), layout);
    };
    auto append = [&steps](const std::vector<Step>& more) {
        steps.insert(steps.end(), more.begin(), more.end());
    };
    idle(4);
    append(buildLipoCharge(fast));
    steps.push_back(silenceStep(c.options.pauseMs));
    idle(3);
    append(buildLipoDischarge(fast));
    steps.push_back(garbageStep(random, 8, 16));
    idle(3);
    append(buildNimhCharge(fast));
    idle(4);
    return steps;
}

struct ScenarioInfo {
    const char* name;
    const char* description;
    std::vector<Step> (*build)(const Context&);
};

constexpr std::array<ScenarioInfo, 10> kScenarios = {{
    {"lipo-charge", "lithium pack, constant current then 4.20 V/cell until below C/10",
     buildLipoCharge},
    {"lipo-discharge", "lithium pack discharged at constant current down to 3.30 V/cell",
     buildLipoDischarge},
    {"lipo-cycle", "lithium pack charged as lipo-charge, then at once discharged as lipo-discharge",
     buildLipoCycle},
    {"nimh-charge", "NiMH pack, constant current up to the voltage peak and a small drop",
     buildNimhCharge},
    {"idle", "idle messages (nothing connected)", buildIdle},
    {"pause", "charging messages with a silence of 5 s in between", buildPause},
    {"late", "a message stalled for 3.5 s after its first bytes", buildLate},
    {"garbage", "random bytes (never 0x7B) before and between messages", buildGarbage},
    {"damaged", "one message framed with the wrong length (bad end byte)", buildDamaged},
    {"demo", "a mix for a live demonstration: idle, charge, pause, discharge, NiMH", buildDemo},
}};

// The scenarios that raise alarms, with the rest.
std::vector<Step> buildAlarm(const Context& c, const std::string& name) {
    for (const AlarmScenarioInfo& info : alarmScenarios()) {
        if (name == info.name) {
            return info.build(c.options.layout, c.options.cells, c.seed);
        }
    }
    return {};
}

const ScenarioInfo* findScenario(const std::string& name) {
    for (const ScenarioInfo& info : kScenarios) {
        if (name == info.name) {
            return &info;
        }
    }
    return nullptr;
}

bool known(const std::string& name) {
    if (findScenario(name) != nullptr) {
        return true;
    }
    return std::any_of(alarmScenarios().begin(), alarmScenarios().end(),
                       [&name](const AlarmScenarioInfo& info) { return name == info.name; });
}

// Keeps at most `limit` messages, with the steps between them.
void keepMessages(std::vector<Step>& steps, std::size_t limit) {
    if (limit == 0) {
        return;
    }
    std::size_t seen = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (carriesMessage(steps[i]) && ++seen == limit) {
            steps.resize(i + 1);
            return;
        }
    }
}

// See buildScenario: no count may drop once the receiver's roll-over
// correction is armed, and the count must be seen within 12791..12799
// before it goes beyond.
void keepCapacityTrackable(std::vector<Step>& steps) {
    std::int64_t largest = 0;
    std::int64_t lift = 0;
    for (Step& step : steps) {
        if (!carriesMessage(step)) {
            continue;
        }
        std::int64_t c = step.reading.capacity.roundedToInt() + lift;
        if (largest >= kCapacityRollOverThreshold && c < largest) {
            lift += largest - c;
            c = largest;
        }
        if (largest < kCapacityRollOverThreshold && c > kLargestWireCapacity) {
            c = kCapacityRollOverThreshold;
        }
        step.reading.capacity = Decimal::fromInt(c);
        largest = std::max(largest, c);
    }
}

void validate(const ScenarioOptions& o) {
    for (const std::string& name : o.names) {
        if (!known(name)) {
            throw std::invalid_argument("unknown scenario '" + name + "'");
        }
    }
    if (o.cells < 0 || o.cells > kMaxCells) {
        throw std::invalid_argument("cells must be 1 to 12");
    }
    if (o.capacityMah < 100 || o.capacityMah > 100000) {
        throw std::invalid_argument("capacity must be 100 to 100000 mAh");
    }
    if (o.current < Decimal::fromHundredths(1) || o.current > Decimal::fromInt(50)) {
        throw std::invalid_argument("current must be 0.01 to 50 A");
    }
    if (o.resistanceOhm != 0 && !(o.resistanceOhm >= 0.001 && o.resistanceOhm <= 10)) {
        throw std::invalid_argument("resistance must be 0.001 to 10 ohm");
    }
    const int cells = o.cells != 0 ? o.cells : kDefaultLithiumCells;
    if (o.weakCell < 0 || o.weakCell > cells) {
        throw std::invalid_argument("the weak cell must be one of the pack's cells");
    }
    if (o.weakCapacityPercent < 10 || o.weakCapacityPercent > 100) {
        throw std::invalid_argument("the weak cell's capacity must be 10 to 100 %");
    }
    if (o.weakResistancePercent < 100 || o.weakResistancePercent > 1000) {
        throw std::invalid_argument("the weak cell's resistance must be 100 to 1000 %");
    }
    if (!(o.simSeconds >= 0 && o.simSeconds <= 3600)) {
        throw std::invalid_argument("simulated seconds per message must be 0 to 3600");
    }
}

}  // namespace

std::vector<std::string> scenarioNames() {
    std::vector<std::string> names;
    for (const ScenarioInfo& info : kScenarios) {
        names.emplace_back(info.name);
    }
    for (const AlarmScenarioInfo& info : alarmScenarios()) {
        names.emplace_back(info.name);
    }
    return names;
}

std::string scenarioDescription(const std::string& name) {
    const ScenarioInfo* info = findScenario(name);
    if (info != nullptr) {
        return info->description;
    }
    for (const AlarmScenarioInfo& alarm : alarmScenarios()) {
        if (name == alarm.name) {
            return alarm.description;
        }
    }
    return "";
}

std::vector<Step> buildScenario(const ScenarioOptions& options) {
    validate(options);
    std::vector<Step> steps;
    Random seeds(options.seed);
    for (const std::string& name : options.names) {
        const Context context{options, seeds.next(), options.messages,
                              options.simSeconds > 0 ? options.simSeconds : kDefaultSimSeconds};
        const ScenarioInfo* info = findScenario(name);
        std::vector<Step> part = info != nullptr ? info->build(context) : buildAlarm(context, name);
        keepMessages(part, options.messages);
        steps.insert(steps.end(), part.begin(), part.end());
    }
    keepCapacityTrackable(steps);
    return steps;
}

std::vector<std::uint8_t> encodeStep(const Step& step) {
    switch (step.kind) {
        case Step::Kind::Message:
        case Step::Kind::LateMessage:
            return encodeStatus(step.reading, step.layout);
        case Step::Kind::DamagedMessage:
            return encodeDamagedStatus(step.reading, step.layout);
        case Step::Kind::Garbage:
            return step.bytes;
        case Step::Kind::Silence:
            break;
    }
    return {};
}

std::vector<std::uint8_t> encodeSteps(const std::vector<Step>& steps) {
    std::vector<std::uint8_t> stream;
    for (const Step& step : steps) {
        const auto bytes = encodeStep(step);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    return stream;
}

std::vector<std::string> expectedDumpLines(const std::vector<Step>& steps, StreamEnd end) {
    // Where each intact message starts in the stream, and how long it is.
    struct Placed {
        const Step* step;
        std::size_t size;
    };
    std::map<std::size_t, Placed> messages;
    std::vector<std::uint8_t> stream;
    for (const Step& step : steps) {
        const auto bytes = encodeStep(step);
        if (step.kind == Step::Kind::Message || step.kind == Step::Kind::LateMessage) {
            messages.emplace(stream.size(), Placed{&step, bytes.size()});
        }
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }

    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < stream.size()) {
        if (stream[pos] != kStartByte) {
            ++pos;
            continue;
        }
        const bool endsShort =
            stream.size() - pos > kEndByteOffset && stream[pos + kEndByteOffset] == kEndByte;
        if (stream.size() - pos - 1 < kBytesNeededAfterStart &&
            (end == StreamEnd::StaysOpen || !endsShort)) {
            break;  // the receiver waits for bytes that never come
        }
        const std::size_t frameSize = endsShort ? kShortFrameSize : kLongFrameSize;
        const auto found = messages.find(pos);
        if (found != messages.end() && found->second.size == frameSize) {
            lines.push_back(
                expectedDumpLine(found->second.step->reading, found->second.step->layout));
        } else {
            lines.emplace_back("*");
        }
        pos += frameSize;
    }
    return lines;
}

}  // namespace cellwatch::emulator
