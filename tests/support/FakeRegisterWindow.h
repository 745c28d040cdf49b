#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "platform/RegisterWindow.h"

class FakeI2cTuner;

// A register window of plain memory, all zero at first, that logs every write
// and counts every access. The I2C register (0x110) reads back the wired-AND
// of the word last written and what an attached FakeI2cTuner pulls low.
class FakeRegisterWindow : public RegisterWindow {
public:
    static constexpr uint32_t kI2cRegister = 0x110;

    enum class Width { Word, Byte };
    struct Write {
        uint32_t offset;
        uint32_t value;
        Width width;
        bool operator==(const Write&) const = default;
    };

    uint32_t read32(uint32_t offset) override;
    void write32(uint32_t offset, uint32_t value) override;
    void write8(uint32_t offset, uint8_t value) override;

    // Direct access for tests; neither logged nor counted.
    uint32_t Peek(uint32_t offset) const;
    void Poke(uint32_t offset, uint32_t value);

    void AttachI2cDevice(FakeI2cTuner* device) { i2cDevice_ = device; }

    const std::vector<Write>& Writes() const { return writes_; }
    std::vector<Write> WritesTo(uint32_t offset) const;
    std::set<uint32_t> WrittenOffsets() const;
    uint64_t AccessCount() const { return accesses_; }
    void ClearLog();

private:
    void NotifyI2cDevice();

    std::array<uint8_t, kSize> memory_{};
    FakeI2cTuner* i2cDevice_ = nullptr;
    std::vector<Write> writes_;
    uint64_t accesses_ = 0;
};
