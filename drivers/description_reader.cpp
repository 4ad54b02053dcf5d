#include "drivers/description_reader.h"

#include "drivers/description_json.h"

#include <json/json.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <sstream>

namespace cellwatch {

namespace {

using namespace description_json;

struct PartName {
    std::string_view name;
    ReadingPart part;
};

constexpr PartName kParts[] = {
    {"skip", ReadingPart::Skip},
    {"voltage", ReadingPart::Voltage},
    {"current", ReadingPart::Current},
    {"capacity", ReadingPart::Capacity},
    {"energy", ReadingPart::Energy},
    {"power", ReadingPart::Power},
    {"inputVoltage", ReadingPart::InputVoltage},
    {"intTemperature", ReadingPart::IntTemperature},
    {"extTemperature", ReadingPart::ExtTemperature},
    {"resistance", ReadingPart::Resistance},
    {"errorCode", ReadingPart::ErrorCode},
    {"channel", ReadingPart::Channel},
    {"state", ReadingPart::State},
    {"chemistry", ReadingPart::Chemistry},
};

struct TypeName {
    std::string_view name;
    FieldType type;
};

constexpr TypeName kTypes[] = {
    {"u8", FieldType::U8},       {"i8", FieldType::I8},   {"u16", FieldType::U16},
    {"i16", FieldType::I16},     {"u32", FieldType::U32}, {"i32", FieldType::I32},
    {"float", FieldType::Float},
};

bool bigEndian(const Json::Value& v) {
    static constexpr std::pair<std::string_view, bool> kOrders[] = {{"little", false},
                                                                    {"big", true}};
    return choice(v, "order", kOrders);
}

FieldType fieldType(const Json::Value& v) {
    const std::string s = text(v, "type");
    for (const TypeName& t : kTypes) {
        if (t.name == s) {
            return t.type;
        }
    }
    refuse(v, "\"type\" must be one of u8, i8, u16, i16, u32, i32, float, not " + inQuotes(s));
}

std::pair<ReadingPart, int> partOf(const Json::Value& v) {
    const std::string s = text(v, "part");
    for (const PartName& p : kParts) {
        if (p.name == s) {
            return {p.part, 0};
        }
    }
    if (s.starts_with("cell") && s.size() <= 6) {
        const std::string n = s.substr(4);
        if (std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            !n.empty() && n[0] != '0' && std::stoi(n) <= kMostCells) {
            return {ReadingPart::Cell, std::stoi(n) - 1};
        }
    }
    refuse(v, "unknown part " + inQuotes(s) +
                  " (voltage, current, capacity, energy, power, inputVoltage, intTemperature, "
                  "extTemperature, resistance, cell1..cell16, errorCode, channel, state, "
                  "chemistry, skip)");
}

void readMap(const Json::Value& v, const char* key, bool states,
             std::vector<DescribedMapEntry>& out) {
    if (!v.isObject()) {
        refuse(v, inQuotes(key) + " must be an object of the maker's values");
    }
    if (v.empty()) {
        refuse(v, inQuotes(key) + " is empty");
    }
    if (v.size() > kDescribedMostMapEntries) {
        refuse(v, inQuotes(key) + " has more than " + std::to_string(kDescribedMostMapEntries));
    }
    for (const std::string& value : v.getMemberNames()) {
        const Json::Value& e = v[value];
        if (value == "comment") {
            continue;
        }
        DescribedMapEntry entry;
        entry.value = value;
        entry.text = value;
        const Json::Value* idValue = &e;
        if (e.isObject()) {
            onlyKeys(e, {"id", "text"});
            idValue = &required(e, "id");
            if (e.isMember("text")) {
                entry.text = text(e["text"], "text", 40);
            }
        }
        const std::string id = text(*idValue, "id", 40);
        if (states) {
            const auto state = chargeStateFromId(id);
            if (!state) {
                refuse(*idValue, "unknown state " + inQuotes(id) +
                                     " (idle, charging, discharging, resting, balancing, "
                                     "storage, done, error)");
            }
            entry.id = static_cast<int>(*state);
        } else {
            const auto chemistry = chemistryFromId(id);
            if (!chemistry) {
                refuse(*idValue, "unknown chemistry " + inQuotes(id) +
                                     " (unknown, lithium, lipo, lihv, liion, life, nimh, nicd, "
                                     "pb)");
            }
            entry.id = static_cast<int>(*chemistry);
        }
        out.push_back(std::move(entry));
    }
}

std::size_t frameBytesLimit(const ChargerDescription& d) {
    return d.fixedLength > 0 ? d.fixedLength - checksumBytes(d.checksum) - d.endBytes.size()
                             : kDescribedMostBytes - checksumBytes(d.checksum) - d.endBytes.size();
}

void readField(const Json::Value& v, ChargerDescription& d, bool defaultBig) {
    const bool binary = d.framing == DescribedFraming::Binary;
    const bool header = d.framing == DescribedFraming::HeaderLines;
    if (binary) {
        onlyKeys(v, {"part", "offset", "type", "order", "unit", "scale"});
    } else if (header) {
        onlyKeys(v, {"part", "name", "scale"});
    } else {
        onlyKeys(v, {"part", "column", "unit", "scale"});
    }
    DescribedField f;
    std::tie(f.part, f.cell) = partOf(required(v, "part"));
    if (binary) {
        f.position = static_cast<std::size_t>(
            whole(required(v, "offset"), "offset", 0, kDescribedMostBytes - 1));
        f.type = v.isMember("type") ? fieldType(v["type"]) : FieldType::U8;
        f.bigEndian = v.isMember("order") ? bigEndian(v["order"]) : defaultBig;
        if (f.position + fieldBytes(f.type) > frameBytesLimit(d)) {
            refuse(v["offset"], "the field at offset " + std::to_string(f.position) +
                                    " lies beyond the frame's " +
                                    std::to_string(frameBytesLimit(d)) +
                                    " bytes before its "
                                    "checksum and end");
        }
    } else if (header) {
        f.name = text(required(v, "name"), "name", 80);
    } else {
        f.position = static_cast<std::size_t>(
            whole(required(v, "column"), "column", 0, kDescribedMostFields - 1));
    }
    const std::string unit = v.isMember("unit") ? text(v["unit"], "unit", 16) : "";
    const double factor = unitFactor(f.part, unit);
    if (factor == 0.0) {
        refuse(v["unit"],
               "the unit " + inQuotes(unit) + " does not fit " + inQuotes(v["part"].asString()));
    }
    f.scale = factor;
    if (v.isMember("scale")) {
        const Json::Value& s = v["scale"];
        if (!s.isNumeric() || !std::isfinite(s.asDouble()) || s.asDouble() == 0.0 ||
            std::fabs(s.asDouble()) > 1e6 || std::fabs(s.asDouble()) < 1e-9) {
            refuse(s, "\"scale\" must be a number other than 0, within +-1000000");
        }
        f.scale *= s.asDouble();
    }
    d.fields.push_back(std::move(f));
}

void readFraming(const Json::Value& v, ChargerDescription& d) {
    static constexpr std::pair<std::string_view, DescribedFraming> kKinds[] = {
        {"text", DescribedFraming::TextLines},
        {"header-text", DescribedFraming::HeaderLines},
        {"binary", DescribedFraming::Binary}};
    if (!v.isObject()) {
        refuse(v, "\"framing\" must be an object");
    }
    d.framing = choice(required(v, "kind"), "kind", kKinds);
    if (d.framing != DescribedFraming::Binary) {
        onlyKeys(v, {"kind", "start", "separator"});
        d.start = v.isMember("start") ? text(v["start"], "start", 8) : "";
        const std::string sep = v.isMember("separator") ? text(v["separator"], "separator") : ";";
        if (sep.size() != 1 || sep[0] == '\n' || sep[0] == '\r') {
            refuse(v["separator"], "\"separator\" must be one character");
        }
        d.separator = sep[0];
        return;
    }
    onlyKeys(v, {"kind", "start", "end", "length", "lengthField"});
    if (v.isMember("start")) {
        d.startBytes = hexBytes(v["start"], "start", 8);
    }
    if (v.isMember("end")) {
        d.endBytes = hexBytes(v["end"], "end", 8);
    }
    if (v.isMember("length") == v.isMember("lengthField")) {
        refuse(v, "binary framing needs either \"length\" or \"lengthField\"");
    }
    if (v.isMember("length")) {
        d.fixedLength =
            static_cast<std::size_t>(whole(v["length"], "length", 1, kDescribedMostBytes));
        return;
    }
    const Json::Value& l = v["lengthField"];
    onlyKeys(l, {"offset", "type", "order", "adjust"});
    d.lengthField = true;
    d.lengthOffset = static_cast<std::size_t>(
        whole(required(l, "offset"), "offset", 0, kDescribedMostBytes - 4));
    d.lengthType = l.isMember("type") ? fieldType(l["type"]) : FieldType::U8;
    if (d.lengthType != FieldType::U8 && d.lengthType != FieldType::U16) {
        refuse(l["type"], "a length field is u8 or u16");
    }
    d.lengthBigEndian = l.isMember("order") && bigEndian(l["order"]);
    d.lengthAdjust =
        l.isMember("adjust") ? static_cast<int>(whole(l["adjust"], "adjust", -1024, 1024)) : 0;
}

void readChecksum(const Json::Value& v, ChargerDescription& d) {
    static constexpr std::pair<std::string_view, ChecksumKind> kKinds[] = {
        {"none", ChecksumKind::None},
        {"sum8", ChecksumKind::Sum8},
        {"xor", ChecksumKind::Xor},
        {"crc16-modbus", ChecksumKind::Crc16Modbus},
        {"crc8", ChecksumKind::Crc8}};
    static constexpr std::pair<std::string_view, bool> kWritten[] = {{"decimal", false},
                                                                     {"hex", true}};
    if (!v.isObject()) {
        refuse(v, "\"checksum\" must be an object");
    }
    if (d.framing == DescribedFraming::Binary) {
        onlyKeys(v, {"kind", "from", "order"});
        d.checksumFrom = static_cast<std::size_t>(
            v.isMember("from") ? whole(v["from"], "from", 0, kDescribedMostBytes - 1) : 0);
        d.checksumBigEndian = v.isMember("order") && bigEndian(v["order"]);
    } else {
        onlyKeys(v, {"kind", "written", "withStart", "withSeparator"});
        d.checksumHex = v.isMember("written") && choice(v["written"], "written", kWritten);
        d.checksumWithStart = !v.isMember("withStart") || flag(v["withStart"], "withStart");
        d.checksumWithSeparator =
            !v.isMember("withSeparator") || flag(v["withSeparator"], "withSeparator");
    }
    d.checksum = choice(required(v, "kind"), "kind", kKinds);
    if (d.framing == DescribedFraming::HeaderLines && d.checksum != ChecksumKind::None) {
        refuse(v, "header-described lines carry no checksum");
    }
}

void readLine(const Json::Value& v, ChargerDescription& d) {
    static constexpr std::pair<std::string_view, Parity> kParities[] = {
        {"none", Parity::None}, {"even", Parity::Even}, {"odd", Parity::Odd}};
    onlyKeys(v, {"baud", "bits", "parity", "stop"});
    d.line.baud = static_cast<std::uint32_t>(whole(required(v, "baud"), "baud", 50, 4'000'000));
    d.line.dataBits =
        static_cast<std::uint8_t>(v.isMember("bits") ? whole(v["bits"], "bits", 5, 8) : 8);
    d.line.parity = v.isMember("parity") ? choice(v["parity"], "parity", kParities) : Parity::None;
    d.line.stopBits =
        static_cast<std::uint8_t>(v.isMember("stop") ? whole(v["stop"], "stop", 1, 2) : 1);
}

void readPoll(const Json::Value& v, ChargerDescription& d) {
    onlyKeys(v, {"periodMs", "requests"});
    d.periodMs = static_cast<std::uint32_t>(whole(required(v, "periodMs"), "periodMs",
                                                  kDescribedLeastPeriodMs, kDescribedMostPeriodMs));
    const Json::Value& list = required(v, "requests");
    if (!list.isArray() || list.empty() || list.size() > kDescribedMostRequests) {
        refuse(list, "\"requests\" must be a list of 1 to " +
                         std::to_string(kDescribedMostRequests) + " requests");
    }
    for (const Json::Value& q : list) {
        onlyKeys(q, {"channel", "bytes"});
        DescribedRequest request;
        request.channel = static_cast<int>(whole(required(q, "channel"), "channel", 1, d.channels));
        request.bytes = hexBytes(required(q, "bytes"), "bytes", 256);
        if (request.bytes.empty()) {
            refuse(q["bytes"], "a request has no bytes");
        }
        d.requests.push_back(std::move(request));
    }
    d.line.writes = true;
}

ChargerDescription readRoot(const Json::Value& root) {
    onlyKeys(root, {"id", "maker", "models", "line", "framing", "checksum", "fields", "states",
                    "chemistries", "channels", "poll"});
    ChargerDescription d;
    d.id = text(required(root, "id"), "id", 32);
    if (d.id.empty() || !std::all_of(d.id.begin(), d.id.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        })) {
        refuse(root["id"], "\"id\" must be 1 to 32 of a-z, 0-9, - and _");
    }
    d.maker = text(required(root, "maker"), "maker", 80);
    const Json::Value& models = required(root, "models");
    if (!models.isArray() || models.size() > 32) {
        refuse(models, "\"models\" must be a list of at most 32 names");
    }
    for (const Json::Value& m : models) {
        d.models.push_back(text(m, "models", 80));
    }
    if (root.isMember("comment")) {
        d.comment = text(root["comment"], "comment", 4000);
    }
    if (root.isMember("channels")) {
        d.channels =
            static_cast<int>(whole(root["channels"], "channels", 1, kDescribedMostChannels));
    }
    readLine(required(root, "line"), d);
    readFraming(required(root, "framing"), d);
    if (root.isMember("checksum")) {
        readChecksum(root["checksum"], d);
    }
    const Json::Value& fields = required(root, "fields");
    if (!fields.isArray() || fields.empty() || fields.size() > kDescribedMostFields) {
        refuse(fields, "\"fields\" must be a list of 1 to " + std::to_string(kDescribedMostFields) +
                           " fields");
    }
    const bool defaultBig = false;
    for (const Json::Value& f : fields) {
        readField(f, d, defaultBig);
    }
    if (root.isMember("states")) {
        readMap(root["states"], "states", true, d.states);
    }
    if (root.isMember("chemistries")) {
        readMap(root["chemistries"], "chemistries", false, d.chemistries);
    }
    if (root.isMember("poll")) {
        readPoll(root["poll"], d);
    }
    if (d.framing == DescribedFraming::Binary && d.fixedLength > 0 &&
        (leastFrameBytes(d) > d.fixedLength || d.checksumFrom > frameBytesLimit(d))) {
        refuse(root["framing"]["length"], "the frame is too short for its start, checksum and end");
    }
    return d;
}

std::size_t lineOf(std::string_view json, std::ptrdiff_t offset) {
    const auto end = static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(json.size())));
    return 1 + static_cast<std::size_t>(std::count(json.begin(), json.begin() + end, '\n'));
}

// jsoncpp's "* Line 3, Column 5\n  Missing ',' ..." as "3: missing ',' ...".
std::string syntaxError(const std::string& message) {
    std::istringstream in(message);
    std::string first, what;
    std::getline(in, first);
    std::getline(in, what);
    const std::size_t at = first.find("Line ");
    const std::string line =
        at == std::string::npos ? "1" : first.substr(at + 5, first.find(',', at) - at - 5);
    const std::size_t text = what.find_first_not_of(' ');
    return line + ": " + (text == std::string::npos ? "not JSON" : what.substr(text));
}

}  // namespace

DescriptionRead readChargerDescription(std::string_view json) {
    if (json.size() > kDescriptionMostBytes) {
        return {nullptr, "1: larger than " + std::to_string(kDescriptionMostBytes / 1024) + " KiB"};
    }
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    builder.settings_["stackLimit"] = 16;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(json.data(), json.data() + json.size(), &root, &errors)) {
            return {nullptr, syntaxError(errors)};
        }
        return {std::make_shared<const ChargerDescription>(readRoot(root)), {}};
    } catch (const Refused& r) {
        return {nullptr, std::to_string(lineOf(json, r.at->getOffsetStart())) + ": " + r.what};
    } catch (const Json::Exception& e) {
        return {nullptr, "1: " + std::string(e.what())};
    }
}

DescriptionRead readChargerDescriptionFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {nullptr, file.string() + ": cannot be read"};
    }
    std::string json(kDescriptionMostBytes + 1, '\0');
    in.read(json.data(), static_cast<std::streamsize>(json.size()));
    json.resize(static_cast<std::size_t>(in.gcount()));
    DescriptionRead read = readChargerDescription(json);
    if (!read.description) {
        read.error = file.string() + ":" + read.error;
    }
    return read;
}

}  // namespace cellwatch
