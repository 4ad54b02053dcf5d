#include "protocol/described_driver.h"

#include "protocol/described_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace cellwatch {

using namespace described;

namespace {

constexpr int kMissedPollsBeforeSilent = 3;

}  // namespace

DescribedDriver::DescribedDriver(std::shared_ptr<const ChargerDescription> description,
                                 DriverContext& context, DriverSink& sink, const DriverOptions&)
    : d_(std::move(description)), context_(context), sink_(sink) {
    models_.assign(d_->models.begin(), d_->models.end());
    reading_.charger = d_->id;
    for (const DescribedField& f : d_->fields) {
        // A scale of whole ten-thousandths (1, 0.001, 0.01...) reads whole
        // numbers exactly; 0 for any other.
        const double raw = f.scale * static_cast<double>(Decimal::kScale);
        const bool exact = f.part < ReadingPart::ErrorCode && f.part != ReadingPart::Skip &&
                           raw >= 1.0 && raw <= 1000.0 && std::fabs(raw - std::round(raw)) < 1e-9;
        rawFactors_.push_back(exact ? std::llround(raw) : 0);
    }
    headers_.resize(static_cast<std::size_t>(d_->channels));
}

void DescribedDriver::feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) {
    if (d_->framing == DescribedFraming::Binary) {
        for (std::size_t from = 0; from < bytes.size();) {
            const std::size_t room = 2 * kDescribedMostBytes - buffer_.size();
            const std::size_t n = std::min(room, bytes.size() - from);
            buffer_.insert(buffer_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           bytes.begin() + static_cast<std::ptrdiff_t>(from + n));
            from += n;
            binaryFrames(timeMs);
        }
        return;
    }
    // Whole pieces up to each line end at once.
    while (!bytes.empty()) {
        const void* end = std::memchr(bytes.data(), '\n', bytes.size());
        const std::size_t n =
            end == nullptr
                ? bytes.size()
                : static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - bytes.data());
        const std::size_t room = kDescribedMostBytes - std::min(line_.size(), kDescribedMostBytes);
        line_.append(reinterpret_cast<const char*>(bytes.data()), std::min(n, room));
        if (n > room) {
            overlong_ = true;
            counts_.bytesDropped += n - room;
        }
        if (end == nullptr) {
            return;
        }
        textByte('\n', timeMs);
        bytes = bytes.subspan(n + 1);
    }
}

void DescribedDriver::endOfInput(std::uint32_t timeMs) {
    if (overlong_) {
        counts_.bytesDropped += line_.size();
    } else if (!line_.empty()) {
        textLine(timeMs);  // the last line, without its end
    }
    counts_.bytesDropped += buffer_.size();
    line_.clear();
    buffer_.clear();
    overlong_ = false;
}

void DescribedDriver::textByte(std::uint8_t byte, std::uint32_t timeMs) {
    if (byte != '\n') {
        if (line_.size() < kDescribedMostBytes) {
            line_.push_back(static_cast<char>(byte));
        } else {
            overlong_ = true;
            ++counts_.bytesDropped;
        }
        return;
    }
    if (!line_.empty() && line_.back() == '\r') {
        line_.pop_back();
    }
    if (overlong_) {
        counts_.bytesDropped += line_.size() + 1;
    } else {
        textLine(timeMs);
    }
    line_.clear();
    overlong_ = false;
}

void DescribedDriver::textLine(std::uint32_t timeMs) {
    std::string_view line = line_;
    const std::size_t at = d_->start.empty() ? 0 : line.find(d_->start);
    if (at == std::string_view::npos || trimmed(line).empty()) {
        counts_.bytesDropped += line.size();
        return;
    }
    counts_.bytesDropped += at;
    line.remove_prefix(at);
    ++counts_.messages;
    Values v;
    const std::string_view body = line.substr(d_->start.size());
    bool ok = false;
    header_ = false;
    if (d_->framing == DescribedFraming::HeaderLines) {
        ok = headerLine(body, v);
    } else {
        std::string_view checked = line;
        if (d_->checksum != ChecksumKind::None) {
            const std::size_t last = line.rfind(d_->separator);
            if (last == std::string_view::npos || last < d_->start.size()) {
                counts_.bytesDropped += line.size();
                return;
            }
            const auto sent = integerNumber(line.substr(last + 1), d_->checksumHex ? 16 : 10);
            const std::size_t from = d_->checksumWithStart ? 0 : d_->start.size();
            const std::size_t to = d_->checksumWithSeparator ? last + 1 : last;
            const auto* p = reinterpret_cast<const std::uint8_t*>(line.data());
            if (!sent || std::uint64_t(*sent) != checksumOf(d_->checksum, {p + from, to - from})) {
                counts_.bytesDropped += line.size();
                return;
            }
            checked = line.substr(0, last);
        }
        ok = decodeColumns(checked.substr(d_->start.size()), v);
    }
    if (ok) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(line.data());
        emit(v, {p, line.size()}, timeMs);
    } else if (!header_) {
        counts_.bytesDropped += line.size();  // a line that says nothing readable
    }
}

bool DescribedDriver::takeText(const DescribedField& f, std::string_view item, Values& v,
                               std::int64_t rawFactor) const {
    if (f.part == ReadingPart::State || f.part == ReadingPart::Chemistry) {
        (f.part == ReadingPart::State ? v.stateValue : v.chemistryValue).assign(trimmed(item));
        (f.part == ReadingPart::State ? v.hasState : v.hasChemistry) = true;
        return true;
    }
    if (rawFactor != 0 && !item.empty() && item.size() <= 15) {
        // A plain whole number in a unit of whole ten-thousandths: no
        // floating point on the common path.
        const bool negative = item.front() == '-';
        std::int64_t whole = 0;
        std::size_t k = negative ? 1 : 0;
        for (; k < item.size() && static_cast<unsigned char>(item[k] - '0') < 10; ++k) {
            whole = whole * 10 + (item[k] - '0');
        }
        if (k == item.size() && k > (negative ? 1u : 0u)) {
            const Decimal d = Decimal::fromRaw((negative ? -whole : whole) * rawFactor);
            (f.part == ReadingPart::Cell ? v.cells[f.cell] : v.parts[static_cast<int>(f.part)]) = d;
            return true;
        }
    }
    if (trimmed(item).empty()) {
        return f.part != ReadingPart::Channel;  // a value not sent this time
    }
    const std::optional<double> number = decimalNumber(item);
    return number && store(f.part, f.cell, *number * f.scale, v);
}

bool DescribedDriver::decodeColumns(std::string_view body, Values& v) const {
    thread_local std::vector<std::string_view> items;
    if (!splitItems(body, d_->separator, items)) {
        return false;
    }
    for (std::size_t k = 0; k < d_->fields.size(); ++k) {
        const DescribedField& f = d_->fields[k];
        if (f.position >= items.size() || !takeText(f, items[f.position], v, rawFactors_[k])) {
            return false;
        }
    }
    return true;
}

bool DescribedDriver::headerLine(std::string_view body, Values& v) {
    thread_local std::vector<std::string_view> items;
    if (!splitItems(body, d_->separator, items)) {
        return false;
    }
    const std::string_view first = items[0];
    if (!first.empty() && first.back() == '$' && first.front() >= 'A' && first.front() <= 'Z') {
        const auto number = first.size() > 2 ? integerNumber(first.substr(1, first.size() - 2), 10)
                                             : std::optional<std::int64_t>(1);
        if (!number || *number < 1 || *number > d_->channels) {
            return false;
        }
        headerChannel_ = static_cast<int>(*number);
        HeaderChannel& h = headers_[static_cast<std::size_t>(headerChannel_ - 1)];
        header_ = true;
        const char letter = first.front();
        if (letter == 'C') {
            h.columns.clear();
            h.factors.clear();
            for (std::size_t k = 1; k < items.size(); ++k) {
                std::string_view name = items[k];
                std::string_view unit;
                const std::size_t open = name.find('[');
                if (open != std::string_view::npos) {
                    const std::size_t close = name.find(']', open);
                    unit = name.substr(open + 1,
                                       close == std::string_view::npos ? close : close - open - 1);
                    unit = trimmed(unit.substr(0, unit.find(',')));
                    name = name.substr(0, open);
                }
                name = trimmed(name);
                HeaderColumn column;
                for (const DescribedField& f : d_->fields) {
                    const double factor = unitFactor(f.part, unit);
                    if (f.name == name && (factor != 0.0 || f.part >= ReadingPart::ErrorCode)) {
                        column = {f.part, f.cell, f.scale * (factor != 0.0 ? factor : 1.0)};
                        break;
                    }
                }
                h.columns.push_back(column);
            }
        } else if (letter == 'V' && items.size() > 1) {
            h.hex = trimmed(items[1]) == "HEX";
        } else if (letter == 'F') {
            h.factors.clear();
            for (std::size_t k = 1; k < items.size(); ++k) {
                h.factors.push_back(decimalNumber(items[k]).value_or(1.0));
            }
        } else if (letter == 'T' && items.size() > 1) {
            h.timeItem = static_cast<int>(integerNumber(items[1], 10).value_or(-1));
        }
        return false;  // a header is no reading
    }
    const HeaderChannel& h = headers_[static_cast<std::size_t>(headerChannel_ - 1)];
    const std::size_t timeItems = h.timeItem >= 0 ? 1 : 0;
    if (h.columns.empty() || items.size() != h.columns.size() + timeItems ||
        h.timeItem >= static_cast<int>(items.size())) {
        return false;
    }
    v.channel = headerChannel_;
    std::size_t column = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (static_cast<int>(k) == h.timeItem) {
            continue;
        }
        const HeaderColumn& c = h.columns[column];
        const double factor = column < h.factors.size() ? h.factors[column] : 1.0;
        ++column;
        if (c.part == ReadingPart::State || c.part == ReadingPart::Chemistry) {
            DescribedField f;
            f.part = c.part;
            takeText(f, items[k], v, 0);
            continue;
        }
        std::optional<double> number;
        if (h.hex) {
            const auto whole = integerNumber(items[k], 16);
            number = whole ? std::optional<double>(static_cast<double>(*whole)) : std::nullopt;
        } else {
            number = decimalNumber(items[k]);
        }
        if (!number || !store(c.part, c.cell, *number * factor * c.scale, v)) {
            return false;
        }
    }
    return true;
}

void DescribedDriver::binaryFrames(std::uint32_t timeMs) {
    const ChargerDescription& d = *d_;
    const std::size_t least = leastFrameBytes(d);
    std::size_t at = 0;
    auto drop = [&](std::size_t n) {
        at += n;
        counts_.bytesDropped += n;
    };
    for (;;) {
        std::span<const std::uint8_t> rest(buffer_.data() + at, buffer_.size() - at);
        if (!d.startBytes.empty()) {
            const auto found =
                std::search(rest.begin(), rest.end(), d.startBytes.begin(), d.startBytes.end());
            const auto skip = static_cast<std::size_t>(found - rest.begin());
            if (found == rest.end()) {
                // Keep what could be the beginning of a start.
                const std::size_t keep = std::min(rest.size(), d.startBytes.size() - 1);
                drop(rest.size() - keep);
                break;
            }
            drop(skip);
            rest = rest.subspan(skip);
        }
        std::size_t total = d.fixedLength;
        if (d.lengthField) {
            const std::size_t need = d.lengthOffset + fieldBytes(d.lengthType);
            if (rest.size() < need) {
                break;
            }
            const auto length = static_cast<std::int64_t>(readUnsigned(
                rest.data() + d.lengthOffset, fieldBytes(d.lengthType), d.lengthBigEndian));
            const std::int64_t sum = length + d.lengthAdjust;
            if (sum < static_cast<std::int64_t>(least) ||
                sum > static_cast<std::int64_t>(kDescribedMostBytes)) {
                drop(1);
                continue;
            }
            total = static_cast<std::size_t>(sum);
        }
        if (rest.size() < total) {
            break;
        }
        const std::span<const std::uint8_t> frame = rest.first(total);
        const std::size_t checksumAt = total - d.endBytes.size() - checksumBytes(d.checksum);
        bool good = std::equal(d.endBytes.begin(), d.endBytes.end(),
                               frame.end() - static_cast<std::ptrdiff_t>(d.endBytes.size()));
        if (good && d.checksum != ChecksumKind::None) {
            const std::uint64_t sent = readUnsigned(frame.data() + checksumAt,
                                                    checksumBytes(d.checksum), d.checksumBigEndian);
            good = sent == checksumOf(d.checksum,
                                      frame.subspan(d.checksumFrom, checksumAt - d.checksumFrom));
        }
        Values v;
        if (!good) {
            drop(1);
            continue;
        }
        ++counts_.messages;
        if (decodeFrame(frame, v)) {
            emit(v, frame, timeMs);
        }
        at += total;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(at));
}

bool DescribedDriver::decodeFrame(std::span<const std::uint8_t> frame, Values& v) const {
    for (const DescribedField& f : d_->fields) {
        if (f.position + fieldBytes(f.type) > frame.size() ||
            !store(f.part, f.cell,
                   readField(frame.data() + f.position, f.type, f.bigEndian) *
                       (f.part >= ReadingPart::ErrorCode ? 1.0 : f.scale),
                   v)) {
            return false;
        }
    }
    return true;
}

void DescribedDriver::emit(Values& v, std::span<const std::uint8_t> message, std::uint32_t timeMs) {
    if (v.channel == 0 && !asked_.empty()) {
        v.channel = asked_.front();
    }
    if (!asked_.empty()) {
        asked_.pop_front();
    }
    if (v.channel == 0) {
        v.channel = 1;
    }
    if (v.channel < 1 || v.channel > d_->channels) {
        ++counts_.bytesDropped;
        return;
    }
    answeredSincePoll_ = true;
    missedPolls_ = 0;
    if (!answering_) {
        answering_ = true;
        sink_.event(DriverEvent::Answering, 0);
    }
    // The parts not set below go back to nothing (the rest is set each time;
    // the charger's id was set at the start).
    Reading& r = reading_;
    r.errorCode.reset();
    r.cellCount = 0;
    r.cells.fill(Decimal());
    r.stateText.clear();
    r.chemistry = Chemistry::Unknown;
    r.chemistryText.clear();
    r.channel = v.channel;
    r.elapsedMs = timeMs - context_.connectTicks();
    auto part = [&v](ReadingPart p) { return v.parts[static_cast<int>(p)]; };
    r.voltage = part(ReadingPart::Voltage).value_or(Decimal());
    r.current = part(ReadingPart::Current).value_or(Decimal());
    r.capacity = part(ReadingPart::Capacity).value_or(Decimal());
    r.energy = part(ReadingPart::Energy);
    r.power = part(ReadingPart::Power);
    r.inputVoltage = part(ReadingPart::InputVoltage);
    r.intTemperature = part(ReadingPart::IntTemperature);
    r.extTemperature = part(ReadingPart::ExtTemperature);
    r.packResistance = part(ReadingPart::Resistance);
    if (const auto code = part(ReadingPart::ErrorCode)) {
        r.errorCode = static_cast<int>(code->roundedToInt());
    }
    for (int k = 0; k < kMostCells; ++k) {
        if (v.cells[k]) {
            r.cells[static_cast<std::size_t>(k)] = *v.cells[k];
            if (!v.cells[k]->isZero()) {
                r.cellCount = k + 1;
            }
        }
    }
    if (r.power && *r.power < Decimal()) {
        r.power = -*r.power;
    }
    // Without a state the current tells: charging, discharging or idle.
    r.state = r.current > Decimal()   ? ChargeState::Charging
              : r.current < Decimal() ? ChargeState::Discharging
                                      : ChargeState::Idle;
    if (v.hasState) {
        r.stateText = v.stateValue;
        if (const DescribedMapEntry* e = findValue(d_->states, v.stateValue)) {
            r.state = static_cast<ChargeState>(e->id);
            r.stateText = e->text;
        }
    }
    if (v.hasChemistry) {
        r.chemistryText = v.chemistryValue;
        if (const DescribedMapEntry* e = findValue(d_->chemistries, v.chemistryValue)) {
            r.chemistry = static_cast<Chemistry>(e->id);
            r.chemistryText = e->text;
        }
    }
    if (r.state == ChargeState::Discharging && r.current > Decimal()) {
        r.current = -r.current;
    }
    sink_.reading(r, message);
}

std::vector<DriverRequest> DescribedDriver::due(std::uint32_t nowMs) {
    if (d_->requests.empty() || (nextPoll_ && nowMs - *nextPoll_ > 0x7FFFFFFFu)) {
        return {};
    }
    if (nextPoll_) {
        missedPolls_ = answeredSincePoll_ ? 0 : missedPolls_ + 1;
        if (missedPolls_ >= kMissedPollsBeforeSilent && answering_) {
            answering_ = false;
            sink_.event(DriverEvent::Silent, 0);
        }
    }
    answeredSincePoll_ = false;
    nextPoll_ = nowMs + d_->periodMs;
    asked_.clear();
    std::vector<DriverRequest> out;
    for (const DescribedRequest& q : d_->requests) {
        out.push_back({q.bytes, q.channel, {}});
        asked_.push_back(q.channel);
    }
    return out;
}

std::optional<std::uint32_t> DescribedDriver::nextDueMs() const {
    if (d_->requests.empty()) {
        return std::nullopt;
    }
    return nextPoll_.value_or(0);
}

DriverCounts DescribedDriver::counts() const {
    DriverCounts c = counts_;
    c.bytesUnframed = line_.size() + buffer_.size();
    return c;
}

DriverEntry describedDriverEntry(std::shared_ptr<const ChargerDescription> description) {
    struct Kept {
        std::shared_ptr<const ChargerDescription> description;
        std::vector<std::string_view> models;
    };
    auto kept = std::make_shared<Kept>();
    kept->description = std::move(description);
    kept->models.assign(kept->description->models.begin(), kept->description->models.end());
    DriverEntry entry{
        kept->description->id, kept->description->maker, kept->models, kept->description->line, {}};
    entry.make = [kept](DriverContext& context, DriverSink& sink, const DriverOptions& options) {
        return std::unique_ptr<ChargerDriver>(
            std::make_unique<DescribedDriver>(kept->description, context, sink, options));
    };
    return entry;
}

}  // namespace cellwatch
