#pragma once

#include <functional>
#include <string>

// Asks the system to shut down and switch the computer off.
//
// The request is asynchronous: `done` is called on the calling thread's event
// loop with an empty string when the system accepted the request, or with the
// reason it was refused (no system bus, no permission, an inhibitor, ...).
class PowerService {
public:
    using Done = std::function<void(const std::string& refusal)>;

    virtual ~PowerService() = default;
    virtual void RequestPowerOff(Done done) = 0;
};
