#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

// Hands the newest picture from one producer thread to one consumer thread
// without either ever waiting for the other: a triple buffer. The producer
// copies each picture into a slot of its own and swaps it with the middle
// slot; the consumer swaps the middle slot with its own when it holds a
// picture not yet taken. A picture the consumer has not taken when the next
// one is put is dropped.
//
// Threads: Put from the producer thread only, Take from the consumer thread
// only; each may run while the other does. Lock-free: both are one memcpy or
// less plus one atomic exchange.
class FrameHandOff {
public:
    struct Frame {
        const uint8_t* bytes;  // frameBytes long; valid until the next Take
        uint64_t sequence;     // as given to Put
    };

    explicit FrameHandOff(size_t frameBytes);
    FrameHandOff(const FrameHandOff&) = delete;
    FrameHandOff& operator=(const FrameHandOff&) = delete;

    // Producer. Copies `frameBytes` bytes from `bytes`.
    void Put(const uint8_t* bytes, uint64_t sequence);

    // Consumer. The newest picture put since the last Take, or nothing when
    // no new one has been put.
    std::optional<Frame> Take();

private:
    static constexpr uint8_t kSlotMask = 0x3;
    static constexpr uint8_t kFresh = 0x4;  // the middle slot holds a picture not yet taken

    uint8_t* Slot(uint8_t index) const { return storage_.get() + index * frameBytes_; }

    const size_t frameBytes_;
    std::unique_ptr<uint8_t[]> storage_;  // three slots of frameBytes_
    uint64_t sequences_[3] = {};
    uint8_t producerSlot_ = 0;
    uint8_t consumerSlot_ = 2;
    std::atomic<uint8_t> middle_{1};
};
