// Arbitrary bytes as a log given to File > Import... and cellwatch-report
// --import: read by the ToolkitRC reader, the OpenFormat reader, and (from
// a file) the reader of the program's own tables. Each either refuses the
// bytes with a place inside them or gives rows whose times never go back.
// Aborts otherwise. Shared by the libFuzzer targets and the corpus replay.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runToolkitHarness(const std::uint8_t* data, std::size_t size);
void runOpenformatHarness(const std::uint8_t* data, std::size_t size);
void runTablecsvHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
