// Helpers shared by the skinned controls' procedures.
#include "skinned_common.h"

#include <commctrl.h>

namespace carrow::skin::skinned {

bool TrackHot(HWND hwnd, UINT message, SkinState& skin) {
    if (message == WM_MOUSEMOVE && !skin.hot) {
        // Hot only while the system will say when the mouse leaves: never stuck.
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
        skin.hot = TrackMouseEvent(&track) != FALSE;
        return skin.hot;
    }
    if (message == WM_MOUSELEAVE && skin.hot) {
        skin.hot = false;
        return true;
    }
    return false;
}

void RedrawFrame(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

namespace {

void PaintBoxFrameOf(HWND hwnd, const SkinState& skin) {
    const WindowDc dc(hwnd);
    if (!dc.Get()) return;
    RECT frame;
    GetWindowRect(hwnd, &frame);
    OffsetRect(&frame, -frame.left, -frame.top);
    PaintBoxFrame(dc.Get(), frame, *skin.section, StateOf(hwnd, skin, false));
}

}  // namespace

bool BoxFrameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, SkinState& skin, LRESULT& result) {
    if (TrackHot(hwnd, message, skin)) RedrawFrame(hwnd);
    switch (message) {
        case WM_NCPAINT:
            result = PassOn(hwnd, message, wParam, lParam);
            PaintBoxFrameOf(hwnd, skin);
            return true;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
            result = PassOn(hwnd, message, wParam, lParam);
            RedrawFrame(hwnd);
            return true;
    }
    return false;
}

LRESULT ColoursOf(const SkinState& skin, WPARAM dc) {
    SetTextColor(reinterpret_cast<HDC>(dc), ToColorRef(skin.text));
    SetBkColor(reinterpret_cast<HDC>(dc), ToColorRef(skin.background));
    return reinterpret_cast<LRESULT>(skin.backgroundBrush.Get());
}

}  // namespace carrow::skin::skinned
