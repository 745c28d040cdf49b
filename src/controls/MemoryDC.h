#pragma once

#include "platform/DeviceContext.h"

#include <QImage>
#include <QRect>

class QPainter;

// An off-screen drawing surface for one paint: everything drawn on it goes
// into an image of `area`'s size, drawn in the same coordinates as on the
// target, and the whole image is copied to `area` of the target in one block
// when the MemoryDC is destroyed, so the screen never shows a half-drawn
// control. The target painter must stay active until then.
class MemoryDC : public DeviceContext {
public:
    MemoryDC(QPainter& target, const QRect& area);
    ~MemoryDC() override;

private:
    QPainter& targetDC_;
    QRect area_;
    QImage bitmap_;
};
