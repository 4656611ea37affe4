// Text boxes: the system draws the text; the skin draws the border and gives the colours.
#include "skinned_common.h"

#include "base/reflect.h"

namespace carrow::skin::skinned {
namespace {

// Multi-line text boxes: Enter makes a line break, Tab moves the focus on.
LRESULT DialogCodeOfMemo(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    LRESULT code = PassOn(hwnd, WM_GETDLGCODE, wParam, lParam);
    code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    const MSG* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
    return code;
}

}  // namespace

LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    SkinState& skin = SkinOf(data);
    LRESULT result = 0;
    if (BoxFrameMessage(hwnd, message, wParam, lParam, skin, result)) return result;
    switch (message) {
        case WM_GETDLGCODE:
            if (GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE) return DialogCodeOfMemo(hwnd, wParam, lParam);
            break;
        case Reflected(WM_CTLCOLOREDIT):
        case Reflected(WM_CTLCOLORSTATIC): return ColoursOf(skin, wParam);
    }
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace carrow::skin::skinned
