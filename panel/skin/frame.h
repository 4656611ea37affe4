// Geometry of the skinned window frame: where the caption bar, the icon, the
// caption buttons and the sizing border lie in a window of a given size, and
// which part a point falls on.  Plain data, no window involved.
#pragma once

#include "base/layout.h"
#include "skin.h"

namespace carrow::skin {

// What a point of the window lies on.  Border is the edge of a window that
// cannot be sized now (maximised); Outside is not in the window at all.
enum class FrameHit {
    Outside, Client, Caption, Icon, Minimise, Close, Border,
    Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight,
};

// Places relative to the window's top left corner, in pixels.
struct FrameLayout {
    int border = 0;
    Rect caption;   // the caption bar between the side borders
    Rect icon;
    Rect menu;      // where a click opens the system menu: the icon and the caption's height around it
    Rect text;      // the room for the caption text
    Rect minimise;
    Rect close;
    Rect client;
};

// The frame's thicknesses at dpi: the border on each side, and the caption.
struct FrameInsets {
    int border;
    int caption;
};
FrameInsets InsetsAt(const FrameMetrics& metrics, int dpi);

struct Size {
    int width;
    int height;
    friend bool operator==(const Size&, const Size&) = default;
};
// The window size whose client area has the given size.
Size WindowSizeFor(const FrameMetrics& metrics, int dpi, Size client);

// The smallest window whose caption holds the icon and both buttons apart.
Size LeastWindowSize(const FrameMetrics& metrics, int dpi);

FrameLayout LayOutFrame(const FrameMetrics& metrics, int dpi, Size window);

// The part under the point (x, y) of a window laid out as layout; the
// borders size the window only when sizeable.
FrameHit HitTestFrame(const FrameMetrics& metrics, int dpi, const FrameLayout& layout, Size window, int x, int y,
                      bool sizeable);

}  // namespace carrow::skin
