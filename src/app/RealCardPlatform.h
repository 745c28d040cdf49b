#pragma once

#include "app/HardwarePlatform.h"
#include "platform/SysfsConfigPorts.h"
#include "platform/VfioKernel.h"
#include "platform/VfioPhysMemDriver.h"

// Real cards: PCI configuration space read through sysfs, registers and DMA
// memory through VFIO.
class RealCardPlatform : public HardwarePlatform {
public:
    RealCardPlatform();

    ConfigPorts& Ports() override { return ports_; }
    PhysMemDriver& Driver() override { return driver_; }

private:
    SysfsConfigPorts ports_;
    VfioKernel vfio_;
    VfioPhysMemDriver driver_;
};
