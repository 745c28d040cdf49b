#include "util/PercentOf.h"

#include <algorithm>
#include <limits>

int PercentOf(int whole, int part) {
    if (whole == 0) {
        return 0;
    }
    const double percent = static_cast<double>(part) / whole * 100.0 + 0.5;
    // Converting a double outside the int range is undefined, and
    // PercentOf(1, INT_MAX) gets there.
    constexpr double kLowest = std::numeric_limits<int>::min();
    constexpr double kHighest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(percent, kLowest, kHighest));
}
