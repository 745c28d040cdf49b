#pragma once

#include <QRect>

#include <functional>

class QWidget;

// Saving and restoring a top-level window's position and size in a string
// setting ("MainFramePos" unless another value name is given), as
// "left top right bottom" of the window's frame rectangle in screen pixels
// (right and bottom exclusive).
//
// On Wayland a client can't place its own windows: restoring does nothing and
// reports false, storing writes nothing; neither is an error.
//
// Thread safety: user-interface thread only.

// Reads the stored rectangle of `valueName` and fits it to the work area: a
// rectangle that doesn't overlap the work area at all moves to (0, 0) and
// keeps its size. False, and `rect` unchanged, when nothing usable is stored:
// no value, fewer than four integers or anything but blanks after them, a
// width or height that isn't positive, numbers whose arithmetic overflows, a
// rectangle wider or taller than the work area, or one that overlaps it by
// less than 64 pixels either way (less than its whole width or height when
// it is smaller).
bool LoadWindowRect(QRect* rect, const char* valueName = nullptr);

// Moves and sizes `window` to its stored frame rectangle. False, and nothing
// changed, when `window` is null, nothing usable is stored or the window
// system can't place windows.
bool RestoreWindowPlacement(QWidget* window, const char* valueName = nullptr);

// Stores the frame rectangle of `window`, shrunk by 5 pixels on each side when
// it is maximised. Writes nothing unless `window` exists, is visible and isn't
// minimised, so the previous value survives a hidden or minimised window.
void StoreWindowPlacement(QWidget* window, const char* valueName = nullptr);

// What placement needs from the window system; tests replace it.
struct PlacementEnvironment {
    std::function<QRect()> workArea;
    std::function<bool()> canPlaceWindows;
};

// Installs `environment` (nullptr: the primary screen's available geometry,
// and placement everywhere but on Wayland). The caller keeps ownership.
void SetPlacementEnvironment(const PlacementEnvironment* environment);
