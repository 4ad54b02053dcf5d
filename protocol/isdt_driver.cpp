#include "protocol/isdt_driver.h"

namespace cellwatch {

namespace {

constexpr std::array<std::string_view, 7> kModels = {"C4 Air",  "A4 Air", "A8 Air", "NP2 Air",
                                                     "LP2 Air", "Air 8",  "K2 Air"};

// The hardware answer's id text names the model. CENTPERI came from an Air 8.
struct Model {
    std::string_view idText;
    std::string_view name;
    int slots;
    bool balance;  // a LiPo balance charger: its own state and type codes
};
constexpr Model kIdTexts[] = {
    {"C4Air", "C4 Air", 6, false},   {"A4Air", "A4 Air", 4, false},   {"A8Air", "A8 Air", 8, false},
    {"NP2Air", "NP2 Air", 2, false}, {"LP2Air", "LP2 Air", 2, false}, {"K2Air", "K2 Air", 2, true},
    {"Air8", "Air 8", 1, true},      {"CENTPERI", "Air 8", 1, true},
};

struct Code {
    std::string_view text;
    ChargeState state;
};
// Round-cell chargers (C4 Air, A4/A8 Air, NP2/LP2 Air).
constexpr Code kRoundStates[] = {
    {"idle", ChargeState::Idle},
    {"pre-charge", ChargeState::Charging},
    {"charging (CC)", ChargeState::Charging},
    {"charging", ChargeState::Charging},
    {"charging (CV)", ChargeState::Charging},
    {"error", ChargeState::Error},
    {"done", ChargeState::Done},
};
// Balance chargers (Air 8, K2 Air); 1 and 2 are not known.
constexpr Code kBalanceStates[] = {
    {"idle", ChargeState::Idle},
    {"state 1", ChargeState::Charging},
    {"state 2", ChargeState::Charging},
    {"charging (CC)", ChargeState::Charging},
    {"charging", ChargeState::Charging},
    {"charging (CV)", ChargeState::Charging},
    {"done", ChargeState::Done},
    {"storage", ChargeState::Storage},
    {"storage", ChargeState::Storage},
    {"storage", ChargeState::Storage},
    {"storage", ChargeState::Storage},
    {"storage done", ChargeState::Done},
    {"discharging", ChargeState::Discharging},
    {"discharge done", ChargeState::Done},
    {"balancing", ChargeState::Balancing},
    {"done", ChargeState::Done},
    {"working", ChargeState::Charging},
    {"working", ChargeState::Charging},
    {"working", ChargeState::Charging},
};

struct Type {
    std::string_view text;
    Chemistry chemistry;
};
constexpr Type kRoundTypes[] = {
    {"LiHV", Chemistry::LiHV},      {"Li-ion", Chemistry::LiIon},
    {"LiFe", Chemistry::LiFe},      {"NiZn", Chemistry::Unknown},
    {"NiMH/NiCd", Chemistry::NiMH}, {"Li-ion 1.5V", Chemistry::Lithium},
    {"auto", Chemistry::Unknown},
};
constexpr Type kBalanceTypes[] = {
    {"LiHV", Chemistry::LiHV},  {"LiPo", Chemistry::LiPo}, {"Li-ion", Chemistry::LiIon},
    {"LiFe", Chemistry::LiFe},  {"Pb", Chemistry::Pb},     {"NiMH/NiCd", Chemistry::NiMH},
    {"ULiHV", Chemistry::LiHV},
};

bool inRange(int slot) {
    return slot >= 0 && slot < IsdtDriver::kMostSlots;
}

}  // namespace

std::span<const std::string_view> IsdtDriver::modelList() {
    return kModels;
}

IsdtDriver::IsdtDriver(DriverContext& context, DriverSink& sink, const DriverOptions& options)
    : context_(context), sink_(sink), options_(options) {
    // A fixed id until the program gives its own: the charger asks for a
    // button press once per id.
    for (std::size_t k = 0; k < client_.size(); ++k) {
        client_[k] = static_cast<std::uint8_t>(0xC3 + 17 * k);
    }
}

// At the default MTU (23) a notification carries 20 bytes, and an answer
// longer than that comes in pieces: 20 bytes each, the last one shorter. No
// poll answer is 20 bytes long (work state 38, 39 or 203, electric 9, 31 or
// 51, resistance 19 or 35), so a 20-byte one waits for its rest.
void IsdtDriver::feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) {
    lastMs_ = timeMs;
    if (!held_.empty() && options_.checkTimes && timeMs - heldMs_ > kPieceWaitMs) {
        dropped_ += held_.size();  // its rest never came
        held_.clear();
    }
    const bool piece = bytes.size() == kPieceBytes;
    if (!held_.empty()) {
        held_.insert(held_.end(), bytes.begin(), bytes.end());
        heldMs_ = timeMs;
        if (piece && held_.size() < isdt::kBlockBytes) {
            return;
        }
        const std::vector<std::uint8_t> whole = std::move(held_);
        held_.clear();
        take(isdt::readMessage(whole), whole, timeMs);
        return;
    }
    if (piece && bytes[0] == isdt::kHeader &&
        (bytes[1] == isdt::kWorkResp || bytes[1] == isdt::kElectricResp ||
         bytes[1] == isdt::kIrResp)) {
        held_.assign(bytes.begin(), bytes.end());
        heldMs_ = timeMs;
        return;
    }
    take(isdt::readMessage(bytes), bytes, timeMs);
}

void IsdtDriver::endOfInput(std::uint32_t timeMs) {
    lastMs_ = timeMs;
    if (!held_.empty()) {
        const std::vector<std::uint8_t> rest = std::move(held_);
        held_.clear();
        take(isdt::readMessage(rest), rest, timeMs);
    }
    if (open_ >= 0) {
        tell(open_);
    }
}

DriverCounts IsdtDriver::counts() const {
    return {messages_, dropped_, held_.size()};
}

void IsdtDriver::setModel(const std::string& idText) {
    for (const Model& m : kIdTexts) {
        if (m.idText == idText) {
            model_ = m.name;
            slots_ = m.slots;
            balanceCharger_ = m.balance;
            return;
        }
    }
    model_ = idText;
}

void IsdtDriver::take(const isdt::Message& m, std::span<const std::uint8_t> bytes,
                      std::uint32_t timeMs) {
    using Kind = isdt::Message::Kind;
    if (m.kind == Kind::Unknown || m.kind == Kind::Short) {
        dropped_ += bytes.size();
        return;
    }
    ++messages_;
    // A file read whole, or a recording's bytes, have no requests to go by.
    if (options_.checkTimes && asking_ && !awaited(m)) {
        ++unawaited_;
        return;
    }
    const auto open = [&](int s) {
        if (open_ >= 0 && open_ != s) {
            tell(open_);
        }
        open_ = s;
        slot_[static_cast<std::size_t>(s)].message.assign(bytes.begin(), bytes.end());
        slot_[static_cast<std::size_t>(s)].timeMs = timeMs;
    };
    switch (m.kind) {
        case Kind::Bind:
            if (m.bindResult == 0) {
                answered(isdt::kBindResp, -1);
                if (stage_ == Stage::Bind) {
                    stage_ = Stage::Info;
                }
            } else if (m.bindResult == 1 && pending_ && pending_->answer == isdt::kBindResp) {
                pending_->waitMs = kButtonMs;  // the charger waits for its button
            }
            return;
        case Kind::Info:
            answered(isdt::kInfoResp, -1);
            setModel(m.info.idText);
            if (stage_ == Stage::Info) {
                stage_ = Stage::Poll;
            }
            return;
        case Kind::Alarm:
            answered(isdt::kAlarmResp, -1);
            return;
        case Kind::Block:
            answered(isdt::kWorkResp, -1);
            if (open_ >= 0) {
                tell(open_);
            }
            for (const isdt::WorkState& w : m.work) {
                Slot& s = slot_[static_cast<std::size_t>(w.slot)];
                s.work = w;
                s.message.assign(bytes.begin(), bytes.end());
                s.timeMs = timeMs;
                tell(w.slot);
            }
            return;
        case Kind::Work: {
            const isdt::WorkState& w = m.work.front();
            answered(isdt::kWorkResp, w.slot);
            if (!inRange(w.slot)) {
                return;
            }
            if (open_ == w.slot && slot_[static_cast<std::size_t>(w.slot)].work) {
                tell(w.slot);  // a new round of the same slot
            }
            open(w.slot);
            slot_[static_cast<std::size_t>(w.slot)].work = w;
            return;
        }
        case Kind::Electric: {
            const isdt::Electric& e = m.electric;
            answered(isdt::kElectricResp, e.slot);
            if (e.slot == -1 || (!inRange(e.slot) && !e.outputMv)) {
                for (auto& last : lastElectric_) {
                    last = e;  // charger-wide
                }
                return;
            }
            if (!inRange(e.slot)) {
                return;
            }
            if (open_ != e.slot) {
                open(e.slot);
            }
            slot_[static_cast<std::size_t>(e.slot)].timeMs = timeMs;
            slot_[static_cast<std::size_t>(e.slot)].electric = e;
            lastElectric_[static_cast<std::size_t>(e.slot)] = e;
            return;
        }
        case Kind::Resistance: {
            const isdt::Resistance& r = m.resistance;
            answered(isdt::kIrResp, r.slot);
            if (!inRange(r.slot)) {
                return;
            }
            if (open_ != r.slot) {
                open(r.slot);
            }
            slot_[static_cast<std::size_t>(r.slot)].timeMs = timeMs;
            slot_[static_cast<std::size_t>(r.slot)].resistance = r;
            lastResistance_[static_cast<std::size_t>(r.slot)] = r;
            return;
        }
        default:
            return;
    }
}

// Whether the message answers the request out.
bool IsdtDriver::awaited(const isdt::Message& m) const {
    using Kind = isdt::Message::Kind;
    std::uint8_t answer = 0;
    int slot = -1;
    switch (m.kind) {
        case Kind::Bind:
            answer = isdt::kBindResp;
            break;
        case Kind::Info:
            answer = isdt::kInfoResp;
            break;
        case Kind::Alarm:
            answer = isdt::kAlarmResp;
            break;
        case Kind::Block:
            answer = isdt::kWorkResp;
            break;
        case Kind::Work:
            answer = isdt::kWorkResp;
            slot = m.work.front().slot;
            break;
        case Kind::Electric:
            answer = isdt::kElectricResp;
            slot = m.electric.slot;
            break;
        case Kind::Resistance:
            answer = isdt::kIrResp;
            slot = m.resistance.slot;
            break;
        default:
            return false;
    }
    return pending_ && pending_->answer == answer &&
           (pending_->slot < 0 || slot < 0 || pending_->slot == slot);
}

void IsdtDriver::answered(std::uint8_t answer, int slot) {
    missesInRow_ = 0;
    if (!answering_) {
        answering_ = true;
        sink_.event(DriverEvent::Answering, 0);
    }
    if (pending_ && pending_->answer == answer &&
        (pending_->slot < 0 || slot < 0 || pending_->slot == slot)) {
        pending_.reset();
    }
}

void IsdtDriver::tell(int slot) {
    Slot& s = slot_[static_cast<std::size_t>(slot)];
    if (s.work) {
        Reading r = readingOf(slot, *s.work);
        r.elapsedMs = s.timeMs - context_.connectTicks();
        sink_.reading(r, s.message);
    }
    s = Slot{};
    if (open_ == slot) {
        open_ = -1;
    }
}

Reading IsdtDriver::readingOf(int slot, const isdt::WorkState& w) const {
    const auto k = static_cast<std::size_t>(slot);
    Reading r;
    r.charger = kIsdtDriverId;
    r.channel = slot + 1;
    const std::span<const Code> states = balanceCharger_ ? std::span<const Code>(kBalanceStates)
                                                         : std::span<const Code>(kRoundStates);
    const std::span<const Type> types =
        balanceCharger_ ? std::span<const Type>(kBalanceTypes) : std::span<const Type>(kRoundTypes);
    if (w.state < states.size()) {
        r.state = states[w.state].state;
        r.stateText = states[w.state].text;
    } else {
        r.state = ChargeState::Charging;
        r.stateText = "state " + std::to_string(w.state);
    }
    if (w.errorCode != 0) {
        r.state = ChargeState::Error;
        r.errorCode = w.errorCode;
        r.stateText = "error " + std::to_string(w.errorCode);
    } else if (r.state == ChargeState::Error) {
        r.errorCode = 0;
    }
    if (w.batteryType < types.size()) {
        r.chemistry = types[w.batteryType].chemistry;
        r.chemistryText = types[w.batteryType].text;
    }
    r.capacity = Decimal::fromInt(w.capacityMah);
    r.energy = Decimal::fromThousandths(w.energyMwh);
    std::int64_t ma = w.currentMa;

    const std::optional<isdt::Electric>& e =
        slot_[k].electric ? slot_[k].electric : lastElectric_[k];
    if (w.voltageMv) {
        r.voltage = Decimal::fromThousandths(*w.voltageMv);
    } else if (e && e->outputMv) {
        r.voltage = Decimal::fromThousandths(*e->outputMv);
    }
    if (e) {
        r.inputVoltage = Decimal::fromThousandths(e->inputMv);
        if (e->currentMa && !w.voltageMv) {
            ma = *e->currentMa;
        }
        for (std::size_t c = 0; c < e->cellsMv.size() && c < kMostCells; ++c) {
            r.cells[c] = Decimal::fromThousandths(e->cellsMv[c]);
            if (e->cellsMv[c] != 0) {
                r.cellCount = static_cast<int>(c) + 1;
            }
        }
    }
    if (r.state == ChargeState::Idle) {
        ma = 0;
    }
    r.current = Decimal::fromThousandths(r.state == ChargeState::Discharging ? -ma : ma);
    // A round cell alone in its slot is its own cell.
    if (r.cellCount == 0 && w.cellsInSeries == 1 && !r.voltage.isZero()) {
        r.cellCount = 1;
        r.cells[0] = r.voltage;
    }

    const std::optional<isdt::Resistance>& ir =
        slot_[k].resistance ? slot_[k].resistance : lastResistance_[k];
    if (w.resistanceTenthMohm) {
        if (*w.resistanceTenthMohm != 0 && *w.resistanceTenthMohm < 10000) {
            r.packResistance = Decimal::fromRaw(*w.resistanceTenthMohm * 1000);
        }
    } else if (ir) {
        // The pack's resistance: its cells' together.
        Decimal sum;
        bool any = false;
        for (std::size_t c = 0; c < ir->tenthMohm.size() && c < kMostCells; ++c) {
            const std::uint16_t v = ir->tenthMohm[c];
            if (v != 0 && v < 10000) {
                r.cellResistance[c] = Decimal::fromRaw(v * 1000);
                sum += *r.cellResistance[c];
                any = true;
            }
        }
        if (any) {
            r.packResistance = sum;
        }
    }
    return r;
}

DriverRequest IsdtDriver::send(std::vector<std::uint8_t> bytes, std::string_view target,
                               std::uint8_t answer, int slot, std::uint32_t nowMs,
                               std::uint32_t waitMs) {
    pending_ = Pending{answer, slot, nowMs, waitMs};
    lastSentMs_ = nowMs;
    DriverRequest r;
    r.bytes = std::move(bytes);
    r.channel = slot + 1;
    r.target = target;
    return r;
}

std::vector<DriverRequest> IsdtDriver::due(std::uint32_t nowMs) {
    lastMs_ = nowMs;
    std::vector<DriverRequest> out;
    if (pending_) {
        if (nowMs - pending_->sentMs < pending_->waitMs) {
            return out;
        }
        pending_.reset();
        if (++missesInRow_ >= kMissesForSilent && answering_) {
            answering_ = false;
            sink_.event(DriverEvent::Silent, 0);
            // Back: it must be bound again, after the link is made again.
            stage_ = Stage::Bind;
            infoTries_ = 0;
            queue_.clear();
        }
    }
    if (lastSentMs_ != 0 && nowMs - lastSentMs_ < kSpacingMs) {
        return out;
    }
    switch (stage_) {
        case Stage::Bind:
            out.push_back(send(isdt::bindRequest(client_), isdt::kBindCharacteristic,
                               isdt::kBindResp, -1, nowMs, kHandshakeMs));
            return out;
        case Stage::Info:
            if (infoTries_ < 2) {
                ++infoTries_;
                out.push_back(send(isdt::infoRequest(), isdt::kBindCharacteristic, isdt::kInfoResp,
                                   -1, nowMs, kHandshakeMs));
                return out;
            }
            stage_ = Stage::Poll;  // a charger without the query is polled all the same
            break;
        case Stage::Poll:
            break;
    }
    if (queue_.empty() && (!roundStartMs_ || nowMs - *roundStartMs_ >= kRoundMs)) {
        roundStartMs_ = nowMs;
        const bool block = model_ == "A8 Air";  // one poll answers for every slot
        const bool resistance = rounds_++ % kResistanceEvery == 0 && !block;
        for (int s = (block ? 0 : slots_ - 1); s >= 0; --s) {
            if (resistance) {
                queue_.emplace_back(isdt::kIrReq, s);
            }
            queue_.emplace_back(isdt::kElectricReq, s);
            queue_.emplace_back(isdt::kWorkReq, s);
        }
    }
    if (queue_.empty()) {
        return out;
    }
    const auto [command, s] = queue_.back();
    queue_.pop_back();
    if (open_ >= 0 && open_ != s) {
        tell(open_);  // its answers of this round are in
    }
    std::vector<std::uint8_t> bytes = command == isdt::kWorkReq       ? isdt::workRequest(s)
                                      : command == isdt::kElectricReq ? isdt::electricRequest(s)
                                                                      : isdt::irRequest(s);
    out.push_back(send(std::move(bytes), isdt::kPollCharacteristic,
                       static_cast<std::uint8_t>(command + 1), s, nowMs, kAnswerMs));
    return out;
}

std::optional<std::uint32_t> IsdtDriver::nextDueMs() const {
    if (pending_) {
        return pending_->sentMs + pending_->waitMs;
    }
    const std::uint32_t spaced = lastSentMs_ + kSpacingMs;
    if (stage_ != Stage::Poll || !queue_.empty() || !roundStartMs_) {
        return lastSentMs_ == 0 ? lastMs_ : spaced;
    }
    return *roundStartMs_ + kRoundMs;
}

}  // namespace cellwatch
