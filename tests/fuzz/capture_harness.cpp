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
        CaptureRecord record;
        while (reader.next(record)) {
            if (record.bytes.size() > kCaptureMaxRecordBytes) {
                std::abort();
            }
            writer.writeRecord(record.wallMs, record.ticks, record.bytes);
            taken += kCaptureRecordHeaderSize + record.bytes.size();
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
    const std::string written = copy.contents();
    if (written.size() != taken || std::memcmp(written.data(), data, taken) != 0) {
        std::abort();
    }
}

}  // namespace cellwatch
