#include "app/RealCardPlatform.h"

#include "platform/SysfsPciTree.h"

namespace {
// Configuration word 0 (device << 16 | vendor) of the chips the program drives.
const std::vector<uint32_t> kCaptureChips = {0x0350109E, 0x0351109E, 0x036E109E, 0x036F109E};
}  // namespace

RealCardPlatform::RealCardPlatform() : driver_(vfio_, SysfsPciTree::kDefaultRoot, kCaptureChips) {}
