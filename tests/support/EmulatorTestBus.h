#pragma once

#include <cstdint>
#include <initializer_list>

#include "emulator/ChipRegisters.h"
#include "platform/RegisterWindow.h"

// A bit-banging I2C master for emulator tests: drives the chip's I2C register
// one line change at a time, as the hardware layer does, and reports what the
// bus showed during each acknowledge clock.
class EmulatorTestBus {
public:
    explicit EmulatorTestBus(RegisterWindow& window) : window_(window) {}

    void Start() {
        SetSda(true);
        SetScl(true);
        SetSda(false);
        SetScl(false);
    }

    void Stop() {
        SetScl(false);
        SetSda(false);
        SetScl(true);
        SetSda(true);
    }

    // True when the slave pulled SDA low during the acknowledge clock.
    bool WriteByte(uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            SetScl(false);
            SetSda(((byte >> bit) & 1) != 0);
            SetScl(true);
        }
        SetScl(false);
        SetSda(true);
        SetScl(true);
        bool acknowledged = (window_.read32(ChipRegisters::kI2c) & ChipRegisters::kI2cSda) == 0;
        SetScl(false);
        return acknowledged;
    }

    // One write message; true when every byte was acknowledged.
    bool Message(std::initializer_list<uint8_t> bytes) {
        Start();
        bool acknowledged = true;
        for (uint8_t byte : bytes) {
            acknowledged = WriteByte(byte) && acknowledged;
        }
        Stop();
        return acknowledged;
    }

    // The two messages the hardware layer's Tune sends for `frequency_hz`.
    bool Tune(int64_t frequency_hz, uint8_t band) {
        auto divider = static_cast<uint32_t>((frequency_hz + 38'871'250) / 62'500);
        bool first =
            Message({0xC2, static_cast<uint8_t>(divider >> 8), static_cast<uint8_t>(divider)});
        bool second = Message({0xC2, 0xCE, band});
        return first && second;
    }

    uint32_t Lines() const { return lines_; }

private:
    void SetScl(bool level) { Set(ChipRegisters::kI2cScl, level); }
    void SetSda(bool level) { Set(ChipRegisters::kI2cSda, level); }
    void Set(uint32_t bit, bool level) {
        lines_ = level ? lines_ | bit : lines_ & ~bit;
        window_.write32(ChipRegisters::kI2c, lines_);
    }

    RegisterWindow& window_;
    uint32_t lines_ = ChipRegisters::kI2cScl | ChipRegisters::kI2cSda;
};
