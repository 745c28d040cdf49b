#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Every access the driver makes to a chip's register window, in order, for
// tests that check a whole sequence. Off until started; holds at most
// kCapacity entries and counts what it had to leave out.
class RegisterAccessLog {
public:
    static constexpr size_t kCapacity = 1u << 20;

    enum class Kind { Read, Write32, Write8 };

    struct Access {
        Kind kind;
        uint32_t offset;
        uint32_t value;  // read: what the driver got; write: what it wrote

        bool operator==(const Access&) const = default;
    };

    void Start();
    void Stop() { recording_ = false; }
    bool IsRecording() const { return recording_; }

    void Record(Kind kind, uint32_t offset, uint32_t value);

    // The accesses since Start (or the last Take); the log keeps recording.
    std::vector<Access> Take();
    size_t Dropped() const { return dropped_; }

private:
    bool recording_ = false;
    std::vector<Access> accesses_;
    size_t dropped_ = 0;
};
