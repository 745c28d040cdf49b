#include "platform/FrameHandOff.h"

#include <cstring>

FrameHandOff::FrameHandOff(size_t frameBytes)
    : frameBytes_(frameBytes), storage_(std::make_unique<uint8_t[]>(3 * frameBytes)) {}

// The exchange publishes the slot's bytes and sequence (release) and takes
// over the slot the consumer last gave back (acquire), so neither thread
// ever touches a slot the other one owns.
void FrameHandOff::Put(const uint8_t* bytes, uint64_t sequence) {
    std::memcpy(Slot(producerSlot_), bytes, frameBytes_);
    sequences_[producerSlot_] = sequence;
    const uint8_t previous = middle_.exchange(producerSlot_ | kFresh, std::memory_order_acq_rel);
    producerSlot_ = previous & kSlotMask;
}

// Only the consumer clears the fresh mark, so a picture seen here is still
// there for the exchange; the producer may have put a newer one meanwhile,
// which the exchange then takes instead.
std::optional<FrameHandOff::Frame> FrameHandOff::Take() {
    if ((middle_.load(std::memory_order_relaxed) & kFresh) == 0) {
        return std::nullopt;
    }
    const uint8_t previous = middle_.exchange(consumerSlot_, std::memory_order_acq_rel);
    consumerSlot_ = previous & kSlotMask;
    return Frame{Slot(consumerSlot_), sequences_[consumerSlot_]};
}
