#pragma once

#include "platform/PowerService.h"

// Powers off through systemd-logind on the system bus:
// org.freedesktop.login1.Manager.PowerOff(interactive = false).
class LogindPowerService : public PowerService {
public:
    void RequestPowerOff(Done done) override;
};
