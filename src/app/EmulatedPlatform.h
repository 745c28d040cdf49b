#pragma once

#include "app/HardwarePlatform.h"
#include "emulator/EmulatedCard.h"

// The emulated card, running in real time: its clock thread advances the
// chip, its DMA and the signal while the program runs.
class EmulatedPlatform : public HardwarePlatform {
public:
    explicit EmulatedPlatform(const std::string& options);
    ~EmulatedPlatform() override;

    ConfigPorts& Ports() override { return card_.Ports(); }
    PhysMemDriver& Driver() override { return card_.Driver(); }

private:
    EmulatedCard card_;
};
