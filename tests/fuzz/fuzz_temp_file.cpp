#include "fuzz_temp_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace cellwatch {

FuzzTempFile::FuzzTempFile(const std::string& name)
    : path_(std::filesystem::temp_directory_path() /
            ("cellwatch-fuzz-" + std::to_string(::getpid()) + "-" + name)) {}

FuzzTempFile::~FuzzTempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

void FuzzTempFile::write(const std::uint8_t* data, std::size_t size) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path_.c_str());
        std::abort();
    }
}

std::string FuzzTempFile::contents() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace cellwatch
