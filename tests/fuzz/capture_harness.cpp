#include "capture_harness.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_temp_file.h"
#include "serial/capture.h"

namespace cellwatch {

void runCaptureHarness(const std::uint8_t* data, std::size_t size) {
    static const FuzzTempFile input("input.cwcap");
    static const FuzzTempFile copy("copy.cwcap");
    input.write(data, size);
    std::size_t taken = kCaptureHeaderSize;
    bool truncated = false;
    try {
        CaptureReader reader(input.path().string());
        CaptureWriter writer(copy.path().string());
        writer.writeStart(reader.start());
        const bool named = reader.version() == kCaptureNamedVersion;
        taken += named ? 1 + reader.start().driver.size() : 0;
        CaptureRecord record;
        while (reader.next(record)) {
            if (record.bytes.size() > kCaptureMaxRecordBytes ||
                (!named && record.direction != CaptureDirection::Received)) {
                std::abort();
            }
            writer.writeRecord(record.wallMs, record.ticks, record.bytes, record.direction);
            taken += (named ? kCaptureNamedRecordHeaderSize : kCaptureRecordHeaderSize) +
                     record.bytes.size();
        }
        truncated = reader.truncated();
        writer.close();
    } catch (const CaptureError&) {
        return;  // refused as a whole: fine
    }
    // The reader stops at the end or before a cut-off record, nowhere else.
    if (taken > size || (truncated ? taken == size : taken != size)) {
        std::abort();
    }
    // A capture of format 2 is copied byte for byte; one of format 1 is
    // written in format 2, and reads back as the same records.
    const std::string written = copy.contents();
    if (size >= kCaptureHeaderSize && data[6] == kCaptureNamedVersion) {
        if (written.size() != taken || std::memcmp(written.data(), data, taken) != 0) {
            std::abort();
        }
        return;
    }
    CaptureReader original(input.path().string());
    CaptureReader again(copy.path().string());
    CaptureRecord a;
    CaptureRecord b;
    if (again.start().driver != "tkrx" || again.start().ticks != original.start().ticks) {
        std::abort();
    }
    while (original.next(a)) {
        if (!again.next(b) || !(a == b)) {
            std::abort();
        }
    }
    if (again.next(b)) {
        std::abort();
    }
}

}  // namespace cellwatch
