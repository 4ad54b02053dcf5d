#include "serial/capture.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "serial/file_open.h"

namespace cellwatch {
namespace {

constexpr std::array<std::uint8_t, 6> kMagic{'C', 'W', 'C', 'A', 'P', 0x1A};

template <typename T>
void putLE(std::uint8_t* at, T value) {
    auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        at[i] = static_cast<std::uint8_t>(u >> (8 * i));
    }
}

template <typename T>
T getLE(const std::uint8_t* at) {
    std::make_unsigned_t<T> u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        u |= static_cast<std::make_unsigned_t<T>>(static_cast<std::make_unsigned_t<T>>(at[i])
                                                  << (8 * i));
    }
    return static_cast<T>(u);
}

std::string reason() {
    return std::strerror(errno);
}

bool goodDriverId(std::string_view id) {
    if (id.empty() || id.size() > kCaptureMostDriverIdBytes) {
        return false;
    }
    for (char c : id) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

}  // namespace

// --- writing -------------------------------------------------------------------------------

CaptureWriter::CaptureWriter(const std::string& path) : path_(path) {
    std::string why;
    file_ = openFileForWriting(path, why);
    if (file_ == nullptr) {
        throw CaptureError("cannot write " + path_ + ": " + why);
    }
}

CaptureWriter::~CaptureWriter() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void CaptureWriter::fail() {
    throw CaptureError("cannot write " + path_ + ": " + reason());
}

void CaptureWriter::put(std::span<const std::uint8_t> bytes) {
    if (file_ == nullptr) {
        errno = EBADF;
        fail();
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail();
    }
}

void CaptureWriter::writeStart(const CaptureStart& start) {
    std::array<std::uint8_t, kCaptureHeaderSize> header{};
    std::copy(kMagic.begin(), kMagic.end(), header.begin());
    if (!goodDriverId(start.driver)) {
        throw CaptureError("cannot write " + path_ + ": no charger driver named");
    }
    putLE<std::uint16_t>(&header[6], kCaptureNamedVersion);
    putLE<std::int64_t>(&header[8], start.wallMs);
    putLE<std::int32_t>(&header[16], start.utcOffsetSeconds);
    putLE<std::uint32_t>(&header[20], start.ticks);
    put(header);
    const auto idSize = static_cast<std::uint8_t>(start.driver.size());
    put({&idSize, 1});
    put({reinterpret_cast<const std::uint8_t*>(start.driver.data()), start.driver.size()});
    if (std::fflush(file_) != 0) {
        fail();
    }
    started_ = true;
}

void CaptureWriter::writeRecord(std::int64_t wallMs, std::uint32_t ticks,
                                std::span<const std::uint8_t> bytes, CaptureDirection direction) {
    if (!started_) {
        throw CaptureError("cannot write " + path_ + ": a record before the header");
    }
    do {
        const std::size_t n = std::min(bytes.size(), kCaptureMaxRecordBytes);
        std::array<std::uint8_t, kCaptureNamedRecordHeaderSize> head{};
        putLE<std::int64_t>(&head[0], wallMs);
        putLE<std::uint32_t>(&head[8], ticks);
        head[12] = static_cast<std::uint8_t>(direction);
        putLE<std::uint16_t>(&head[13], static_cast<std::uint16_t>(n));
        put(head);
        put(bytes.first(n));
        bytes = bytes.subspan(n);
    } while (!bytes.empty());
    if (std::fflush(file_) != 0) {
        fail();
    }
}

void CaptureWriter::close() {
    if (file_ == nullptr) {
        return;
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        fail();
    }
}

// --- reading -------------------------------------------------------------------------------

CaptureReader::CaptureReader(const std::string& path) : path_(path) {
    std::string why;
    file_ = openFileForReading(path, why);
    if (file_ == nullptr) {
        throw CaptureError("cannot read " + path_ + ": " + why);
    }
    std::array<std::uint8_t, kCaptureHeaderSize> header{};
    const std::size_t got = take(header);
    const std::size_t magicSeen = std::min(got, kMagic.size());
    if (got == 0 || !std::equal(kMagic.begin(), kMagic.begin() + magicSeen, header.begin())) {
        std::fclose(file_);
        file_ = nullptr;
        throw CaptureError(path_ + " is not a Cellwatch capture");
    }
    if (got < header.size()) {
        std::fclose(file_);
        file_ = nullptr;
        throw CaptureError(path_ + " is not a whole capture: its header is cut off");
    }
    version_ = getLE<std::uint16_t>(&header[6]);
    if (version_ != kCaptureVersion && version_ != kCaptureNamedVersion) {
        std::fclose(file_);
        file_ = nullptr;
        throw CaptureError(path_ + " is a capture of format " + std::to_string(version_) +
                           ", which this version of Cellwatch cannot read");
    }
    start_.wallMs = getLE<std::int64_t>(&header[8]);
    start_.utcOffsetSeconds = getLE<std::int32_t>(&header[16]);
    start_.ticks = getLE<std::uint32_t>(&header[20]);
    if (version_ == kCaptureNamedVersion) {
        std::uint8_t idSize = 0;
        std::string id(kCaptureMostDriverIdBytes, '\0');
        const bool whole = take({&idSize, 1}) == 1 && idSize <= kCaptureMostDriverIdBytes &&
                           take({reinterpret_cast<std::uint8_t*>(id.data()), idSize}) == idSize;
        id.resize(idSize);
        if (!whole || !goodDriverId(id)) {
            std::fclose(file_);
            file_ = nullptr;
            throw CaptureError(path_ + " is not a whole capture: its charger's name is " +
                               (whole ? "bad" : "cut off"));
        }
        start_.driver = id;
    }
}

CaptureReader::~CaptureReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

std::size_t CaptureReader::take(std::span<std::uint8_t> dest) {
    const std::size_t got = std::fread(dest.data(), 1, dest.size(), file_);
    if (got < dest.size() && std::ferror(file_) != 0) {
        throw CaptureError("cannot read " + path_ + ": " + reason());
    }
    return got;
}

bool CaptureReader::next(CaptureRecord& record) {
    if (file_ == nullptr || truncated_) {
        return false;
    }
    const bool named = version_ == kCaptureNamedVersion;
    std::array<std::uint8_t, kCaptureNamedRecordHeaderSize> buffer{};
    const std::span<std::uint8_t> head =
        std::span(buffer).first(named ? kCaptureNamedRecordHeaderSize : kCaptureRecordHeaderSize);
    const std::size_t got = take(head);
    if (got < head.size()) {
        truncated_ = got > 0;
        return false;
    }
    record.wallMs = getLE<std::int64_t>(&head[0]);
    record.ticks = getLE<std::uint32_t>(&head[8]);
    if (named && head[12] > static_cast<std::uint8_t>(CaptureDirection::Sent)) {
        throw CaptureError("cannot read " + path_ + ": a record of no known direction (" +
                           std::to_string(head[12]) + ")");
    }
    record.direction = named && head[12] != 0 ? CaptureDirection::Sent : CaptureDirection::Received;
    record.bytes.resize(getLE<std::uint16_t>(&head[named ? 13 : 12]));
    if (take(record.bytes) < record.bytes.size()) {
        truncated_ = true;
        return false;
    }
    return true;
}

}  // namespace cellwatch
