#pragma once

#include <cstdint>

#include "hardware/BoardControl.h"
#include "hardware/CaptureControl.h"
#include "hardware/ColorFormat.h"
#include "hardware/DmaControl.h"
#include "hardware/Scaler.h"
#include "hardware/Tuner.h"
#include "hardware/VbiControl.h"
#include "hardware/VideoDecoder.h"
#include "platform/Mutex.h"
#include "platform/PhysMemDriver.h"

class ConfigPorts;
class RegisterWindow;

// The one object through which the program touches the capture chip. Each
// interface base has its own lock, so the frame thread can poll the field
// counter while the user-interface thread retunes; none of them is the
// engine's lock, so the engine may call in while holding its own.
//
// Construction finds the chip, maps its register window into the
// process-wide `registerWindow`, resets the I2C bus and reads the scaling
// window. It never fails in the language sense: without hardware the object
// exists, IsPresent() is false and one warning has been shown ("Couldn't
// initialize Tv hardware" when no chip was found or the mapping was refused,
// "NO TV HARDWARE FOUND !" when configuration space could not be read). A
// driver that cannot be opened is fatal (FatalExit.h) and does not return.
//
// The interface operations assume a mapped window; they are called only after
// IsPresent() returned true. Destruction writes no register and makes no
// driver request. `ports` and `driver` must outlive the object.
class CaptureCard : public BoardControl,
                    public CaptureControl,
                    public VbiControl,
                    public ColorFormat,
                    public VideoDecoder,
                    public DmaControl,
                    public Scaler,
                    public Tuner {
public:
    static constexpr uint32_t kRegisterWindowLength = 0x1000;

    CaptureCard(ConfigPorts& ports, PhysMemDriver& driver);
    CaptureCard(const CaptureCard&) = delete;
    CaptureCard& operator=(const CaptureCard&) = delete;
    ~CaptureCard() override = default;

    // Scans for the chip and maps its register window; null when no chip was
    // found or the driver refused the mapping.
    RegisterWindow* FindAndMapCard();

    // True when the register window is mapped.
    bool IsPresent();

    // Fills `linear` and `physical` of a buffer of `buffer.size` bytes,
    // physically contiguous and below 4 GiB; contents undefined. Returns only
    // with a buffer: a refusal is fatal.
    void AllocateBuffer(PhysBuffer& buffer);

    // Gives the buffer back (a refusal is ignored) and clears all three fields.
    void FreeBuffer(PhysBuffer& buffer);

    // 1 when a video signal is present: with `strict` non-zero, when the
    // decoder sees it and is locked horizontally; otherwise also when it sees
    // a 625-line signal in the even field with luma overflow. Takes no lock
    // of its own; each status read takes its interface's.
    int IsSignalPresent(int strict);

private:
    bool MapRegisterWindow();
    void OpenDriver();

    ConfigPorts& ports_;
    PhysMemDriver& driver_;
    // Serialises the scan and every driver request.
    Mutex hardwareLock_{"hardwareLock", LockRank::kHardware};
};
