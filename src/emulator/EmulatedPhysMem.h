#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/PhysMemDriver.h"

class RegisterWindow;

// The physical-memory driver of the emulated card: a 32-bit physical address
// space of host buffers. Buffers start on 4-KiB boundaries with at least one
// unmapped page between them, so an overrun faults instead of landing in the
// neighbour. A new buffer holds what physical memory does, garbage: seeded
// noise, the same run after run. Register windows are registered by bus
// address and handed out by request 1.
//
// Thread safety: the driver requests take the model lock given at construction;
// Translate() is for the DMA engine, which already holds it.
class EmulatedPhysMem : public PhysMemDriver {
public:
    static constexpr uint32_t kPageSize = 0x1000;
    static constexpr uint32_t kFirstAddress = 0x0010'0000;
    static constexpr uint32_t kEndAddress = 0xE000'0000;  // register windows live above
    static constexpr uint32_t kMaxBufferSize = 64u << 20;

    explicit EmulatedPhysMem(std::mutex& modelLock, uint64_t seed = 0x9E37'79B9'7F4A'7C15);

    // Makes `window` answer a map request for the 4 KiB at `physical`.
    void AddRegisterWindow(uint32_t physical, RegisterWindow* window);

    bool Open() override;
    void Close() override;
    RegisterWindow* MapRegisters(uint32_t physical, uint32_t length) override;
    bool AllocateBuffer(uint32_t size, uint8_t** linear, uint32_t* physical) override;
    bool FreeBuffer(uint8_t* linear) override;

    // Host address of `length` bytes at bus address `physical`, or null when
    // the range isn't inside one allocated buffer. Caller holds the model lock.
    uint8_t* Translate(uint32_t physical, uint32_t length) const;

    // Requests refused because the driver wasn't open, for tests.
    uint32_t RequestsWithoutOpen() const;

private:
    struct Buffer {
        std::unique_ptr<uint8_t[]> memory;
        uint32_t size = 0;
    };

    bool IsOpenLocked();
    uint32_t FindFreeRangeLocked(uint32_t size) const;
    void FillWithNoise(uint8_t* bytes, uint32_t size);

    std::mutex& modelLock_;
    bool open_ = false;
    uint32_t requestsWithoutOpen_ = 0;
    uint64_t noise_;
    std::map<uint32_t, Buffer> buffers_;  // by physical address
    std::map<uint32_t, RegisterWindow*> windows_;
};
