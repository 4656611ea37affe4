// How the folder list's window messages reach the browser: the list is
// subclassed for its keys, clicks and menus, and for the notifications it
// sends its parent, which the parent sends back to it (base/reflect.h).
#include "browser/file_browser.h"

#include <windowsx.h>

#include "base/guarded.h"
#include "base/reflect.h"

namespace carrow {

// Attached through GuardedSubclassProc: a failure ends the event and goes to
// the callback policy.
LRESULT CALLBACK FileBrowser::ViewProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<FileBrowser*>(self)->OnViewMessage(message, wParam, lParam);
}

LRESULT FileBrowser::OnViewMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND view = view_.Handle();
    if (OnKeyMessage(message, wParam)) return 0;
    switch (message) {
    case WM_GETDLGCODE:
        return OnGetDialogCode(wParam, lParam);
    case WM_LBUTTONDBLCLK:
        return OnDoubleClick(wParam, lParam);
    case WM_CONTEXTMENU:
        ShowContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_SETCURSOR:
        if (!listing_.Busy()) break;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR: {
        LRESULT result = 0;
        if (ForwardMenuMessage(message, wParam, lParam, result)) return result;
        break;
    }
    case Reflected(WM_NOTIFY): {
        LRESULT result = 0;
        if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
        break;
    }
    case WM_NCDESTROY:
        Detach();
        break;
    }
    return PassOn(view, message, wParam, lParam);
}

// The window's dialog navigation leaves Enter to the list; Tab still moves on.
LRESULT FileBrowser::OnGetDialogCode(WPARAM wParam, LPARAM lParam) {
    LRESULT code = PassOn(view_.Handle(), WM_GETDLGCODE, wParam, lParam);
    const MSG* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
    return code;
}

// True when the key was the list's to act on and goes no further.
bool FileBrowser::OnKeyMessage(UINT message, WPARAM key) {
    switch (message) {
    case WM_KEYDOWN:
        return OnKeyDown(key);
    case WM_SYSKEYDOWN:
        if (key != VK_RETURN) return false;
        ShowProperties();  // Alt+Enter
        return true;
    case WM_CHAR:
    case WM_SYSCHAR:
        return key == L'\r' || key == L'\b';  // the keys did their work; no search, no beep
    }
    return false;
}

bool FileBrowser::OnKeyDown(WPARAM key) {
    switch (key) {
    case VK_RETURN:
        OpenSelected(OpenedBy::Enter);
        return true;
    case VK_BACK:
        if (view_.IsEditing()) return false;  // the name's own editing keeps it
        GoToParent();
        return true;
    case VK_F5:
        RefreshFolder();
        return true;
    }
    return false;
}

// The list's own handling selects the item under the pointer first.
LRESULT FileBrowser::OnDoubleClick(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(view_.Handle(), WM_LBUTTONDBLCLK, wParam, lParam);
    if (view_.ItemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) OpenSelected(OpenedBy::DoubleClick);
    return result;
}

bool FileBrowser::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != view_.Handle()) return false;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        OnGetItem(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
        result = 0;
        return true;
    case LVN_ODFINDITEMW:
        result = OnFindItem(reinterpret_cast<const NMLVFINDITEMW&>(header));
        return true;
    case LVN_BEGINLABELEDITW:
        result = !OnBeginLabelEdit(reinterpret_cast<const NMLVDISPINFOW&>(header).item.iItem);  // TRUE cancels
        return true;
    case LVN_ENDLABELEDITW: {
        const LVITEMW& item = reinterpret_cast<const NMLVDISPINFOW&>(header).item;
        OnEndLabelEdit(item.iItem, item.pszText);
        result = FALSE;  // the list shows what OnGetItem gives, not the typed text
        return true;
    }
    }
    return false;
}

}  // namespace carrow
