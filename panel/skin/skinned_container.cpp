// Pages and panels.
#include "skinned_common.h"

namespace carrow::skin::skinned {

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const SkinState& skin = SkinOf(data);
    if (IsPaint(message)) {
        return PaintClient(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
            if (skin.part == Part::Panel) {
                PaintPanel(dc, client, *skin.section);
            } else {
                FillSolid(dc, client, skin.section->LookOf(State::Pressed).bottom);
            }
        });
    }
    if (message == WM_ERASEBKGND) return TRUE;
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace carrow::skin::skinned
