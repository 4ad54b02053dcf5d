// A stream into memory, for tests of what a program writes to a FILE*.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace cellwatch::testing {

// Its text shows only what was flushed so far.
class MemoryStream {
public:
    MemoryStream() : file_(::open_memstream(&data_, &size_)) {}
    ~MemoryStream() {
        std::fclose(file_);
        std::free(data_);
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    std::FILE* file() const { return file_; }
    std::string text() const {
        return data_ == nullptr ? std::string() : std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

}  // namespace cellwatch::testing
