#pragma once

#include <string>

#include "platform/PowerService.h"

// Counts power-off requests and answers each with a chosen refusal (empty:
// accepted). Never reaches the real system.
class FakePowerService : public PowerService {
public:
    void RequestPowerOff(Done done) override {
        ++requests;
        done(refusal);
    }

    int requests = 0;
    std::string refusal;
};
