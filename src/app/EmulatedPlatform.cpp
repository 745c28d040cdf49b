#include "app/EmulatedPlatform.h"

EmulatedPlatform::EmulatedPlatform(const std::string& options) : card_(options) {
    card_.FollowCurrentClock();
    card_.StartRealTime();
}

EmulatedPlatform::~EmulatedPlatform() {
    card_.StopRealTime();
}
