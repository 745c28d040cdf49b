#pragma once

class QWidget;

// Gives the top-level `window` an empty caption as the window manager sees
// it. Qt never lets a title be empty: for an empty one it names the
// application ("quorvtv") in _NET_WM_NAME. Creates the native window if it
// doesn't exist yet; call it before the window is shown. Does nothing where
// the window system isn't X11. GUI thread only.
void ShowEmptyCaption(QWidget* window);
