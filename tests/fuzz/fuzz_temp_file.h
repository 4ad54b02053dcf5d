// A small file of this process's own under $TMPDIR, for parsers that read
// only from a path: each input is written to it anew, and it is removed
// when the process ends normally.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace cellwatch {

class FuzzTempFile {
public:
    // `name` tells the files of one process apart; it ends the file's name
    // (so it can carry the suffix a parser looks for).
    explicit FuzzTempFile(const std::string& name);
    ~FuzzTempFile();
    FuzzTempFile(const FuzzTempFile&) = delete;
    FuzzTempFile& operator=(const FuzzTempFile&) = delete;

    // Replaces the file's bytes; aborts when it cannot be written (a full
    // disk must not pass for a clean input).
    void write(const std::uint8_t* data, std::size_t size) const;
    // The file's bytes as they are now.
    std::string contents() const;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace cellwatch
