#pragma once

#include <cstdint>

class RegisterWindow;

// A physically contiguous buffer the chip's DMA engine can reach: byte k lies
// at `linear + k` for the program and at bus address `physical + k` for the
// chip. The chip's DMA addresses are 32-bit. The owner fills in `size` before
// asking for the buffer; all fields are 0 when no buffer is held.
struct PhysBuffer {
    uint8_t* linear = nullptr;
    uint32_t physical = 0;
    uint32_t size = 0;
};

// The physical-memory driver: maps the chip's register window and hands out
// DMA buffers. The driver is opened immediately before each request and closed
// after it.
class PhysMemDriver {
public:
    virtual ~PhysMemDriver() = default;

    // False when the driver can't be opened ("Couldn't load PHYSMEM VxD").
    virtual bool Open() = 0;
    virtual void Close() = 0;

    // Request 1: maps `length` bytes of registers at bus address `physical`.
    // Null when refused. The window stays valid for the life of the process.
    virtual RegisterWindow* MapRegisters(uint32_t physical, uint32_t length) = 0;

    // Request 2: allocates `size` bytes of DMA memory. False when refused.
    virtual bool AllocateBuffer(uint32_t size, uint8_t** linear, uint32_t* physical) = 0;

    // Request 3: frees the buffer at `linear`. False when refused.
    virtual bool FreeBuffer(uint8_t* linear) = 0;
};
