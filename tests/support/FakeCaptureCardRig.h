#pragma once

#include <cstdint>
#include <memory>

#include "hardware/CaptureCard.h"
#include "support/FakeI2cTuner.h"
#include "support/FakeMicrosecondClock.h"
#include "support/FakePhysMemDriver.h"
#include "support/FakeRegisterWindow.h"
#include "support/FakeRegisterWindowScope.h"
#include "support/RecordingWarningBox.h"
#include "support/ScriptedConfigPorts.h"

// A capture card on fakes: one Bt878 at bus 1, device/function 0x20, whose
// register window is a FakeRegisterWindow with an acknowledging tuner on its
// I2C lines; a stepped microsecond clock; warnings recorded. Preload
// registers with window.Poke, then Build().
class FakeCaptureCardRig {
public:
    static constexpr uint8_t kBus = 1;
    static constexpr uint8_t kDeviceFunction = 0x20;
    static constexpr uint32_t kChipId = 0x036E109E;
    static constexpr uint32_t kBar0 = 0xE2000000;

    FakeCaptureCardRig() {
        ports.AddFunction(kBus, kDeviceFunction, kChipId, kBar0);
        window.AttachI2cDevice(&tuner);
    }

    CaptureCard& Build() {
        card = std::make_unique<CaptureCard>(ports, driver);
        return *card;
    }

    FakeMicrosecondClock clock;
    RecordingWarningBox warnings;
    FakeRegisterWindow window;
    FakeI2cTuner tuner;
    ScriptedConfigPorts ports;
    FakePhysMemDriver driver{&window};
    FakeRegisterWindowScope scope;
    std::unique_ptr<CaptureCard> card;
};
