#pragma once

#include <cstdint>

// Where a lock sits in the program's lock order. A thread takes locks in
// ascending rank: while it holds a lock it may take one of the same or a higher
// rank, never a lower one (re-entering a lock it already holds is always fine).
//
//   engine                 taken first, by both threads
//   overlay                inside the engine, before recorder, store and card
//   recorder, channelStore inside the engine (the recorder's New runs there)
//   outer card interfaces  BoardControl, Tuner: they call into the inner ones
//   card interfaces        CaptureControl, Scaler, VideoDecoder, ... (leaves)
//   inner card interfaces  GpioPort, I2cBus
//   hardware               the card's own hardwareLock (buffers, mapping)
//   schedule               innermost of the engine's objects
//   threadRegistry         a leaf: nothing is taken while it is held
//
// Debug builds check the order on every acquisition (see Mutex).
enum class LockRank : uint8_t {
    kEngine = 10,
    kOverlay = 20,
    kRecorder = 30,
    kChannelStore = 40,
    kCardOuter = 50,
    kCardInterface = 60,
    kCardInner = 70,
    kHardware = 80,
    kSchedule = 90,
    kThreadRegistry = 100,
};
