#pragma once

// Dispatches the events waiting for the calling thread and returns as soon as
// none is left; never waits. Does nothing on any thread but the GUI thread, and
// nothing while a paint handler runs on it (Qt forbids re-entering the event
// loop from paintEvent).
void PumpMessages();

// Marks the scope of a paint handler; PumpMessages does nothing inside it.
class PaintScope {
public:
    PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope();
};
