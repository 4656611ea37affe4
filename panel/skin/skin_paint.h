// Drawing of the skinned parts from a skin section.  Every function paints
// into a device context and touches no window, so the same code draws on
// screen, into a paint buffer and for WM_PRINTCLIENT.
#pragma once

#include <windows.h>

#include <uxtheme.h>

#include <string>
#include <vector>

#include "base/colour_ref.h"
#include "frame.h"
#include "skin.h"

namespace carrow::skin {

// The COLORREF for a colour, with system colours looked up now.

void FillSolid(HDC dc, const RECT& rect, Colour colour);
void FillGradient(HDC dc, const RECT& rect, Colour top, Colour bottom);
void FrameRect1(HDC dc, const RECT& rect, Colour colour);

// A raised face: gradient, light top edge, rounded border.
void PaintFace(HDC dc, const RECT& rect, Colour light, const Look& look, int radius);

void PaintButton(HDC dc, const RECT& rect, const Section& section, State state, bool focusRing,
                 const std::wstring& caption, HFONT font, int dpi);

struct TabItem {
    RECT rect;
    std::wstring caption;
    bool selected;
    bool hot;
};
// The tab strip, the tabs and the frame around the pages.
void PaintTabControl(HDC dc, const RECT& client, int stripBottom, const Section& section,
                     const std::vector<TabItem>& tabs, HFONT font, int dpi);

void PaintPanel(HDC dc, const RECT& rect, const Section& section);

// The one-pixel frame of a text box, list or combo box, in window coordinates.
void PaintBoxFrame(HDC dc, const RECT& rect, const Section& section, State state);

// The face of a closed drop-down list: frame, background and arrow button.
// Returns the area left for the selected item.
RECT PaintComboFace(HDC dc, const RECT& rect, const Section& section, State state, Colour background,
                    int dpi);

void PaintStatusBar(HDC dc, const RECT& rect, const Section& section, bool sizeGrip, int dpi);

// How the frame shows now: whether its window is active, and the state of
// each caption button (Normal, Hot or Pressed).
struct FrameLooks {
    bool active;
    State minimise;
    State close;
};
// The whole frame of a window of that size in window coordinates: border,
// caption bar with icon and caption, and the caption buttons.
void PaintFrame(HDC dc, const FrameLayout& layout, Size window, const Frame& frame, const FrameLooks& looks,
                HICON icon, const std::wstring& caption, HFONT font, int dpi);

// Paints through an off-screen buffer when the platform offers one, so that a
// part is never seen half drawn.
class BufferedPaint {
public:
    BufferedPaint(HDC target, const RECT& rect);
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    ~BufferedPaint();
    HDC Dc() const { return dc_; }

private:
    HPAINTBUFFER buffer_ = nullptr;
    HDC dc_;
};

}  // namespace carrow::skin
