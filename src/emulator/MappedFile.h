#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A whole file mapped read-only into memory, for the emulator's file sources.
class MappedFile {
public:
    // Throws std::runtime_error ("`label`: reason") when the file can't be
    // opened or mapped, or is empty.
    MappedFile(const std::string& path, const std::string& label);
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    const uint8_t* Data() const { return data_; }
    uint64_t Size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
};
