// Push buttons: drawn by their owner, which reflects WM_DRAWITEM back here.
#include "skinned_common.h"

#include "base/window_text.h"
#include "base/reflect.h"

namespace carrow::skin::skinned {
namespace {

void PaintButtonItem(const DRAWITEMSTRUCT& item, const SkinState& skin) {
    const bool pressed = item.itemState & ODS_SELECTED;
    State state = StateOf(item.hwndItem, skin, pressed);
    if (state == State::Focused) state = State::Normal;  // focus shows as a ring
    const bool ring = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
    const std::wstring caption = WindowText(item.hwndItem);
    BufferedPaint buffer(item.hDC, item.rcItem);
    PaintButton(buffer.Dc(), item.rcItem, *skin.section, state, ring, caption.c_str(), skin.font, skin.dpi);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    SkinState& skin = SkinOf(data);
    if (TrackHot(hwnd, message, skin)) InvalidateRect(hwnd, nullptr, FALSE);
    switch (message) {
        case Reflected(WM_DRAWITEM):
            PaintButtonItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), skin);
            return TRUE;
        case WM_LBUTTONDBLCLK:
            // An owner-drawn button would report a quick second click as a
            // double click; a push button takes it as another click.
            return PassOn(hwnd, WM_LBUTTONDOWN, wParam, lParam);
        case WM_ERASEBKGND: return TRUE;
    }
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace carrow::skin::skinned
