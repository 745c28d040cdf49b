#include "controls/MemoryDC.h"

#include <QPainter>

#include <algorithm>

// A zero-sized area still gets a one-pixel image, so the context can be drawn
// on as usual; nothing of it is copied.
MemoryDC::MemoryDC(QPainter& target, const QRect& area)
    : targetDC_(target),
      area_(area),
      bitmap_(std::max(1, area.width()), std::max(1, area.height()), QImage::Format_RGB32) {
    bitmap_.fill(Qt::black);
    Begin(bitmap_);
    Painter().translate(-area_.topLeft());
}

MemoryDC::~MemoryDC() {
    End();
    if (!area_.isEmpty()) {
        targetDC_.drawImage(area_.topLeft(), bitmap_);
    }
}
