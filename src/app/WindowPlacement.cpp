#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Settings.h"

namespace {

constexpr int kMaximisedInset_px = 5;
// How much of a restored window must lie in the work area, each way (all of
// it when it is smaller), to be seen and dragged back.
constexpr int64_t kUsablePart_px = 64;

const PlacementEnvironment* installedEnvironment = nullptr;

QRect WorkArea() {
    if (installedEnvironment != nullptr) {
        return installedEnvironment->workArea();
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

bool CanPlaceWindows() {
    if (installedEnvironment != nullptr) {
        return installedEnvironment->canPlaceWindows();
    }
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

StringSetting PositionSetting(const char* valueName) {
    return valueName != nullptr ? StringSetting{valueName, std::nullopt} : kMainFramePosSetting;
}

const char* SkipBlanks(const char* text, const char* end) {
    while (text != end && std::isspace(static_cast<unsigned char>(*text))) {
        ++text;
    }
    return text;
}

// Reads what "%d %d %d %d" would, without sscanf's undefined behaviour on a
// number out of range; anything but blanks after the fourth number is refused.
std::optional<std::array<int64_t, 4>> ParseEdges(std::string_view text) {
    std::array<int64_t, 4> edges{};
    const char* next = text.data();
    const char* end = text.data() + text.size();
    for (int64_t& edge : edges) {
        next = SkipBlanks(next, end);
        if (next != end && *next == '+') {
            ++next;
        }
        int value = 0;
        const auto [stop, error] = std::from_chars(next, end, value);
        if (error != std::errc()) {
            return std::nullopt;
        }
        edge = value;
        next = stop;
    }
    if (SkipBlanks(next, end) != end) {
        return std::nullopt;
    }
    return edges;
}

bool FitsSize(int64_t extent) {
    return extent > 0 && extent <= std::numeric_limits<int>::max();
}

// Width and height of the part of the window inside the work area, 0 or
// less when they don't overlap. Edges as in the stored value: right and
// bottom are exclusive.
std::pair<int64_t, int64_t> VisiblePart(const std::array<int64_t, 4>& edges, const QRect& area) {
    const int64_t areaRight = int64_t{area.x()} + area.width();
    const int64_t areaBottom = int64_t{area.y()} + area.height();
    return {std::min(edges[2], areaRight) - std::max(edges[0], int64_t{area.x()}),
            std::min(edges[3], areaBottom) - std::max(edges[1], int64_t{area.y()})};
}

// A window larger than the work area, or one of which only a sliver can be
// seen, would come back unusable at every start (a 32767-pixel black window,
// or 6 x 4 pixels left on screen); it is placed afresh instead. A window
// entirely off the work area is moved into it by the caller.
bool IsUsable(const std::array<int64_t, 4>& edges, const QRect& area) {
    const int64_t width = edges[2] - edges[0];
    const int64_t height = edges[3] - edges[1];
    if (area.isEmpty()) {
        return true;
    }
    if (width > area.width() || height > area.height()) {
        return false;
    }
    const auto [visibleWidth, visibleHeight] = VisiblePart(edges, area);
    const bool overlaps = visibleWidth > 0 && visibleHeight > 0;
    return !overlaps || (visibleWidth >= std::min(width, kUsablePart_px) &&
                         visibleHeight >= std::min(height, kUsablePart_px));
}

bool Overlaps(const std::array<int64_t, 4>& edges, const QRect& area) {
    const auto [visibleWidth, visibleHeight] = VisiblePart(edges, area);
    return visibleWidth > 0 && visibleHeight > 0;
}

}  // namespace

bool LoadWindowRect(QRect* rect, const char* valueName) {
    const std::optional<std::string> stored = Settings::ReadString(PositionSetting(valueName));
    if (!stored || stored->empty()) {
        return false;
    }
    const std::optional<std::array<int64_t, 4>> edges = ParseEdges(*stored);
    if (!edges) {
        return false;
    }
    const int64_t width = (*edges)[2] - (*edges)[0];
    const int64_t height = (*edges)[3] - (*edges)[1];
    const QRect area = WorkArea().normalized();
    if (!FitsSize(width) || !FitsSize(height) || !IsUsable(*edges, area)) {
        return false;
    }
    QRect result(static_cast<int>((*edges)[0]), static_cast<int>((*edges)[1]),
                 static_cast<int>(width), static_cast<int>(height));
    if (!Overlaps(*edges, area)) {
        result.moveTo(0, 0);
    }
    *rect = result;
    return true;
}

// Qt sizes a top-level window by its client area but places it by its frame,
// and the stored rectangle is the frame's.
bool RestoreWindowPlacement(QWidget* window, const char* valueName) {
    QRect frame;
    if (window == nullptr || !CanPlaceWindows() || !LoadWindowRect(&frame, valueName)) {
        return false;
    }
    const QSize frameExtra = window->frameGeometry().size() - window->size();
    window->move(frame.topLeft());
    window->resize(std::max(1, frame.width() - frameExtra.width()),
                   std::max(1, frame.height() - frameExtra.height()));
    return true;
}

void StoreWindowPlacement(QWidget* window, const char* valueName) {
    if (window == nullptr || !CanPlaceWindows() || !window->isVisible() || window->isMinimized()) {
        return;
    }
    QRect frame = window->frameGeometry();
    if (window->isMaximized()) {
        frame.adjust(kMaximisedInset_px, kMaximisedInset_px, -kMaximisedInset_px,
                     -kMaximisedInset_px);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d %d %d %d", frame.x(), frame.y(), frame.x() + frame.width(),
                  frame.y() + frame.height());
    Settings::WriteString(PositionSetting(valueName), text);
}

void SetPlacementEnvironment(const PlacementEnvironment* environment) {
    installedEnvironment = environment;
}
