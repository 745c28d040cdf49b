#include "engine/FrameTap.h"

namespace {

class NoFrameTap : public FrameTap {
public:
    void OnFrame(const uint8_t*, uint32_t, CaptureCard&) override {}
};

}  // namespace

FrameTap& FrameTap::None() {
    static NoFrameTap none;
    return none;
}
