#pragma once

// Real-time scheduling for a thread that must keep a deadline: the frame
// thread, which loses a frame when it wakes more than about 20 ms late.
//
// Best effort: a thread that can't have it keeps the priority it has, and the
// program works the same, only with less protection against a busy machine.
//
// Thread safety: implementations must allow calls from any thread. Install a
// replacement before the threads that ask start, and remove it after they
// have stopped.
class RealtimeScheduling {
public:
    enum class Grant {
        kUnchanged,    // the thread keeps its present priority
        kDirect,       // the process set SCHED_FIFO itself
        kRealtimeKit,  // the desktop's RealtimeKit service set it
    };

    virtual ~RealtimeScheduling() = default;

    // Asks for SCHED_FIFO at `priority` (1 … 99, lowered to what the system
    // allows) for the calling thread. A thread that gets it must never spin:
    // it has to block (sleep, wait) within every few milliseconds.
    virtual Grant MakeCallingThreadRealtime(int priority) = 0;
};

// The scheduling in force: LinuxRealtimeScheduling on the system bus unless a
// test installed another.
RealtimeScheduling& CurrentRealtimeScheduling();

// Installs `scheduling`; nullptr restores the system's. Returns the one
// installed before (nullptr: the system's). The caller keeps ownership.
RealtimeScheduling* SetRealtimeScheduling(RealtimeScheduling* scheduling);
