// Helpers shared by the skinned controls' procedures.
#include "skinned_common.h"

#include <commctrl.h>

namespace carrow::skin::skinned {

bool TrackHot(HWND hwnd, UINT message, SkinState& skin) {
    if (message == WM_MOUSEMOVE && !skin.hot) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        skin.hot = true;
        return true;
    }
    if (message == WM_MOUSELEAVE && skin.hot) {
        skin.hot = false;
        return true;
    }
    return false;
}

void RedrawFrame(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

LRESULT ColoursOf(const SkinState& skin, WPARAM dc) {
    SetTextColor(reinterpret_cast<HDC>(dc), ToColorRef(skin.text));
    SetBkColor(reinterpret_cast<HDC>(dc), ToColorRef(skin.background));
    return reinterpret_cast<LRESULT>(skin.backgroundBrush);
}

}  // namespace carrow::skin::skinned
