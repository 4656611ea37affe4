#include "editors.h"

#include <commctrl.h>

#include "failure.h"
#include "system_error.h"

namespace carrow {
namespace {

constexpr UINT_PTR kTabSubclass = 0x7AB;

bool IsTabKey(const MSG* msg) {
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) && msg->wParam == VK_TAB;
}

void MoveFocusOn(HWND box, bool backwards) {
    HWND next = GetNextDlgTabItem(GetAncestor(box, GA_ROOT), box, backwards);
    if (next && next != box) SetFocus(next);
}

LRESULT CALLBACK TabMovesFocus(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
    switch (message) {
    case WM_GETDLGCODE: {
        // A dialog-style message loop then moves the focus itself.
        LRESULT code = DefSubclassProc(box, message, wParam, lParam);
        if (IsTabKey(reinterpret_cast<const MSG*>(lParam))) code &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
        return code & ~DLGC_WANTTAB;
    }
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            MoveFocusOn(box, GetKeyState(VK_SHIFT) < 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\t') return 0;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(box, TabMovesFocus, kTabSubclass);
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace

void ApplyTextBoxBehaviour(HWND box) {
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
    if (!SetWindowSubclass(box, TabMovesFocus, kTabSubclass, 0)) Fail(SystemErrorText(GetLastError()));
}

void LoadEditors(TextView& banList, TextView& config) {
    LoadTextFile(banList, kBanListFile);
    LoadTextFile(config, kConfigFile);
}

}  // namespace carrow
