// Lists: the system draws the items; the skin draws the border in the
// control's state.
#include "skinned_common.h"

namespace carrow::skin::skinned {

LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    SkinState& skin = SkinOf(data);
    LRESULT result = 0;
    if (BoxFrameMessage(hwnd, message, wParam, lParam, skin, result)) return result;
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace carrow::skin::skinned
