#include "protocol/isdt_frames.h"

#include <algorithm>

namespace cellwatch::isdt {

namespace {

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::vector<std::uint8_t> poll(std::uint8_t lead, std::uint8_t command, int slot) {
    return {lead, command, static_cast<std::uint8_t>(slot)};
}

// E1 hwMaj hwMin fwMaj fwMin + an 8-byte id: a serial, or text on some
// firmwares ("C4Air   ").
Message readInfo(std::span<const std::uint8_t> b) {
    Message m;
    if (b.size() < 13) {
        m.kind = Message::Kind::Short;
        return m;
    }
    m.kind = Message::Kind::Info;
    m.info = {b[1], b[2], b[3], b[4], {}, 0};
    const auto id = b.subspan(5, 8);
    const bool text =
        std::all_of(id.begin(), id.end(), [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
    if (text) {
        std::string t(id.begin(), id.end());
        t.erase(t.find_last_not_of(' ') + 1);
        m.info.idText = t;
    } else {
        for (std::size_t k = 0; k < 8; ++k) {
            m.info.serial |= static_cast<std::uint64_t>(id[k]) << (8 * k);
        }
    }
    return m;
}

WorkState readBlockSlot(std::span<const std::uint8_t> s, int slot) {
    WorkState w;
    w.slot = slot;
    w.state = s[0];
    w.percent = s[1];
    w.capacityMah = le32(s, 2);
    w.energyMwh = le32(s, 6);
    w.periodMs = le32(s, 10);
    w.batteryType = s[14];
    w.currentMa = le32(s, 15);
    w.voltageMv = le16(s, 19);
    w.resistanceTenthMohm = le16(s, 21);
    w.errorCode = le16(s, 23);
    return w;
}

Message readWork(std::span<const std::uint8_t> b) {
    Message m;
    if (b.size() >= kBlockBytes && b[2] == kBlockSlots) {
        m.kind = Message::Kind::Block;
        for (std::size_t k = 0; k < kBlockSlots; ++k) {
            m.work.push_back(readBlockSlot(b.subspan(3 + k * kBlockSlotBytes, kBlockSlotBytes),
                                           static_cast<int>(k)));
        }
        return m;
    }
    if (b.size() < kWorkBytes) {
        m.kind = Message::Kind::Short;
        return m;
    }
    m.kind = Message::Kind::Work;
    WorkState w;
    w.slot = b[2];
    w.state = b[3];
    w.percent = b[4];
    w.capacityMah = le32(b, 5);
    w.energyMwh = le32(b, 9);
    w.periodMs = le32(b, 13);
    w.batteryType = b[17];
    w.cellsInSeries = b[18];
    w.currentMa = le32(b, 22);
    w.errorCode = le16(b, 36);
    m.work.push_back(w);
    return m;
}

// Three forms, by length: long (32-bit values, 16 cells), short (16-bit
// voltages, 8 cells), and the A8 Air's device-wide 9 bytes.
Message readElectric(std::span<const std::uint8_t> b) {
    Message m;
    Electric& e = m.electric;
    e.slot = b[2];
    if (b.size() > 35) {
        e.inputMv = le32(b, 3);
        e.inputMa = le32(b, 7);
        e.outputMv = le32(b, 11);
        e.currentMa = le32(b, 15);
        for (std::size_t at = 19; at + 1 < b.size() && e.cellsMv.size() < kMostCells; at += 2) {
            e.cellsMv.push_back(le16(b, at));
        }
    } else if (b.size() >= 15) {
        e.inputMv = le16(b, 3);
        e.inputMa = le32(b, 5);
        e.outputMv = le16(b, 9);
        e.currentMa = le32(b, 11);
        for (std::size_t at = 15; at + 1 < b.size() && e.cellsMv.size() < 8; at += 2) {
            e.cellsMv.push_back(le16(b, at));
        }
    } else if (b.size() >= 9) {
        e.slot = -1;
        e.inputMv = le16(b, 3);
        e.inputMa = le32(b, 5);
    } else {
        m.kind = Message::Kind::Short;
        return m;
    }
    m.kind = Message::Kind::Electric;
    return m;
}

}  // namespace

std::vector<std::uint8_t> bindRequest(const ClientId& client) {
    // 18, the client's id, 00 01.
    std::vector<std::uint8_t> r(client.size() + 3, 0);
    r[0] = kBindReq;
    std::copy(client.begin(), client.end(), r.begin() + 1);
    r.back() = 0x01;
    return r;
}
std::vector<std::uint8_t> infoRequest() {
    return {kInfoReq};
}
std::vector<std::uint8_t> workRequest(int slot) {
    return poll(0x13, kWorkReq, slot);
}
std::vector<std::uint8_t> electricRequest(int slot) {
    return poll(0x12, kElectricReq, slot);
}
std::vector<std::uint8_t> irRequest(int slot) {
    return poll(0x13, kIrReq, slot);
}

Message readMessage(std::span<const std::uint8_t> b) {
    Message m;
    if (b.empty()) {
        return m;
    }
    if (b[0] == kBindResp) {
        if (b.size() < 2) {
            m.kind = Message::Kind::Short;
            return m;
        }
        m.kind = Message::Kind::Bind;
        m.bindResult = b[1];
        return m;
    }
    if (b[0] == kInfoResp) {
        return readInfo(b);
    }
    if (b[0] != kHeader || b.size() < 2) {
        return m;
    }
    if (b[1] == kInfoResp) {
        return readInfo(b.subspan(1));  // some firmwares put the header first
    }
    if (b[1] == kAlarmResp) {
        m.kind = b.size() >= 3 ? Message::Kind::Alarm : Message::Kind::Short;
        return m;
    }
    if (b[1] != kWorkResp && b[1] != kElectricResp && b[1] != kIrResp) {
        return m;
    }
    if (b.size() < 3) {
        m.kind = Message::Kind::Short;
        return m;
    }
    if (b[1] == kWorkResp) {
        return readWork(b);
    }
    if (b[1] == kElectricResp) {
        return readElectric(b);
    }
    m.kind = Message::Kind::Resistance;
    m.resistance.slot = b[2];
    // The cell count follows from the length: 16 at most.
    for (std::size_t at = 3; at + 1 < b.size() && m.resistance.tenthMohm.size() < kMostCells;
         at += 2) {
        m.resistance.tenthMohm.push_back(le16(b, at));
    }
    return m;
}

}  // namespace cellwatch::isdt
