#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/PhysMemDriver.h"

// A physical-memory driver whose open and requests succeed or fail on demand.
// Buffers are host memory with made-up 32-bit bus addresses. Records every
// request and whether it came while the driver was open.
class FakePhysMemDriver : public PhysMemDriver {
public:
    enum class Request { Map = 1, Allocate = 2, Free = 3 };
    struct Call {
        Request request;
        uint32_t physical;  // Map: the bus address
        uint32_t size;      // Map: the length; Allocate: the size
        uint8_t* linear;    // Free: the buffer named
    };

    // `window` is what a granted mapping returns.
    explicit FakePhysMemDriver(RegisterWindow* window) : window_(window) {}

    void RefuseOpen() { refuseOpen_ = true; }
    void RefuseMapping() { refuseMapping_ = true; }
    void RefuseAllocation() { refuseAllocation_ = true; }
    void RefuseFree() { refuseFree_ = true; }

    bool Open() override;
    void Close() override;
    RegisterWindow* MapRegisters(uint32_t physical, uint32_t length) override;
    bool AllocateBuffer(uint32_t size, uint8_t** linear, uint32_t* physical) override;
    bool FreeBuffer(uint8_t* linear) override;

    const std::vector<Call>& Calls() const { return calls_; }
    int OpenCount() const { return opens_; }
    int CloseCount() const { return closes_; }
    bool IsOpen() const { return open_; }
    int RequestsWhileClosed() const { return requestsWhileClosed_; }
    size_t BuffersHeld() const { return buffers_.size(); }

private:
    void Record(const Call& call);

    RegisterWindow* window_;
    bool refuseOpen_ = false;
    bool refuseMapping_ = false;
    bool refuseAllocation_ = false;
    bool refuseFree_ = false;
    bool open_ = false;
    int opens_ = 0;
    int closes_ = 0;
    int requestsWhileClosed_ = 0;
    uint32_t nextPhysical_ = 0x00100000;
    std::vector<Call> calls_;
    std::map<uint8_t*, std::unique_ptr<uint8_t[]>> buffers_;
};
