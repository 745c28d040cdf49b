#include "hardware/CaptureCard.h"

#include <exception>

#include "hardware/FatalExit.h"
#include "hardware/PciScan.h"
#include "platform/LockPumping.h"
#include "platform/RegisterWindow.h"
#include "platform/SingleLock.h"
#include "platform/WarningBox.h"

namespace {
constexpr char kNoDriver[] = "Couldn't load PHYSMEM VxD";
constexpr char kNoBuffer[] = "Couldn't allocate physical memory buffer";
constexpr char kNoCard[] = "Couldn't initialize Tv hardware";
constexpr char kNoAccess[] = "NO TV HARDWARE FOUND !";
}  // namespace

CaptureCard::CaptureCard(ConfigPorts& ports, PhysMemDriver& driver)
    : ports_(ports), driver_(driver) {
    if (!MapRegisterWindow()) {
        return;
    }
    ResetBus();
    ReadGeometry();
}

// Platform failures arrive as exceptions (PortAccessRefused, or whatever a
// port or driver implementation throws). They are turned into the one
// warning here instead of leaving the constructor. The fatal path is not an
// exception of that kind and is left to end the program.
bool CaptureCard::MapRegisterWindow() {
    try {
        registerWindow = FindAndMapCard();
    } catch (const std::exception&) {
        WarnUser("%s", kNoAccess);
        return false;
    }
    if (registerWindow == nullptr) {
        WarnUser("%s", kNoCard);
        return false;
    }
    return true;
}

RegisterWindow* CaptureCard::FindAndMapCard() {
    SingleLock lock(hardwareLock_);
    LockPumping(lock);
    const auto physical = FindCaptureChip(ports_);
    if (!physical) {
        return nullptr;
    }
    SingleLock requestLock(hardwareLock_);
    LockPumping(requestLock);
    OpenDriver();
    RegisterWindow* window = driver_.MapRegisters(*physical, kRegisterWindowLength);
    driver_.Close();
    return window;
}

bool CaptureCard::IsPresent() {
    SingleLock lock(hardwareLock_);
    LockPumping(lock);
    return registerWindow != nullptr;
}

void CaptureCard::AllocateBuffer(PhysBuffer& buffer) {
    SingleLock lock(hardwareLock_);
    LockPumping(lock);
    OpenDriver();
    const bool allocated = driver_.AllocateBuffer(buffer.size, &buffer.linear, &buffer.physical);
    driver_.Close();
    if (!allocated) {
        FailFatally(kNoBuffer);
    }
}

void CaptureCard::FreeBuffer(PhysBuffer& buffer) {
    SingleLock lock(hardwareLock_);
    LockPumping(lock);
    OpenDriver();
    driver_.FreeBuffer(buffer.linear);
    driver_.Close();
    buffer = PhysBuffer{};
}

int CaptureCard::IsSignalPresent(int strict) {
    const int locked = IsVideoPresent() && IsHLocked();
    const int evenFieldSignal = IsVideoPresent() && IsEvenField() && Is625Lines() && LumaOverflow();
    if (strict != 0) {
        return locked;
    }
    return (locked || evenFieldSignal) ? 1 : 0;
}

void CaptureCard::OpenDriver() {
    if (!driver_.Open()) {
        FailFatally(kNoDriver);
    }
}
