#include "base/reflect.h"

#include <commctrl.h>

namespace carrow {
namespace {

bool IsColourRequest(UINT message) {
    return message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORLISTBOX ||
           message == WM_CTLCOLORBTN;
}

}  // namespace

bool ReflectToChild(HWND container, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
        case WM_DRAWITEM: child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem; break;
        case WM_MEASUREITEM: child = GetDlgItem(container, static_cast<int>(wParam)); break;
        case WM_NOTIFY: child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom; break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: child = reinterpret_cast<HWND>(lParam); break;
        default: return false;
    }
    // A message from a window that is not a child of the container (a combo
    // box's own list, say) goes back to that window as well.
    result = child ? SendMessageW(child, Reflected(message), wParam, lParam) : 0;
    if (IsColourRequest(message) && !result) result = DefWindowProcW(container, message, wParam, lParam);
    return true;
}

}  // namespace carrow
