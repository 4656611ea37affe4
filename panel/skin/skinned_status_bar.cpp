// The status bar and its size grip.
#include "skinned_common.h"

#include <commctrl.h>

namespace carrow::skin::skinned {

LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const SkinState& skin = SkinOf(data);
    if (IsPaint(message)) {
        return PaintClient(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
            const bool grip = (GetWindowLongW(hwnd, GWL_STYLE) & SBARS_SIZEGRIP) &&
                              !IsZoomed(GetAncestor(hwnd, GA_ROOT));
            PaintStatusBar(dc, client, *skin.section, grip, skin.dpi);
        });
    }
    if (message == WM_ERASEBKGND) return TRUE;
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace carrow::skin::skinned
