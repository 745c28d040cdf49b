#include "app/HardwarePlatform.h"

#include "app/EmulatedPlatform.h"
#include "app/RealCardPlatform.h"

std::unique_ptr<HardwarePlatform> HardwarePlatform::Create(bool emulate,
                                                           const std::string& emulateOptions) {
    if (emulate) {
        return std::make_unique<EmulatedPlatform>(emulateOptions);
    }
    return std::make_unique<RealCardPlatform>();
}
