#include "shell_list_view.h"

#include <shellapi.h>

#include <system_error>

namespace carrow::skin {

namespace {

// The system image list is shared by every program: the list must not destroy it.
constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_ICON | LVS_AUTOARRANGE |
                         LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_OWNERDATA |
                         LVS_SHAREIMAGELISTS;

HIMAGELIST SystemLargeIcons() {
    SHFILEINFOW info{};
    // Any name will do: only the image list is asked for, not a file's icon.
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                                                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX |
                                                           SHGFI_LARGEICON));
}

}  // namespace

ShellListView::~ShellListView() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

void ShellListView::Create(HWND parent, const RECT& bounds, int id) {
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", kStyle, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!window_) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "folder list");
    ListView_SetBkColor(window_, kBackground);
    ListView_SetTextBkColor(window_, kBackground);
    ListView_SetTextColor(window_, kText);
    if (HIMAGELIST icons = SystemLargeIcons()) ListView_SetImageList(window_, icons, LVSIL_NORMAL);
}

std::optional<int> ShellListView::Selected() const {
    const int index = ListView_GetNextItem(window_, -1, LVNI_SELECTED);
    if (index < 0) return std::nullopt;
    return index;
}

void ShellListView::Select(int index) {
    const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(window_, index, state, state);
}

void ShellListView::SetRedraw(bool on) {
    SendMessageW(window_, WM_SETREDRAW, on, 0);
    if (on) InvalidateRect(window_, nullptr, TRUE);
}

std::optional<int> ShellListView::ItemAt(POINT client) const {
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int index = ListView_HitTest(window_, &hit);
    if (index < 0 || !(hit.flags & LVHT_ONITEM)) return std::nullopt;
    return index;
}

std::optional<POINT> ShellListView::IconCentreOnScreen(int index) const {
    RECT icon{};
    if (!ListView_GetItemRect(window_, index, &icon, LVIR_ICON)) return std::nullopt;
    POINT centre{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    if (!ClientToScreen(window_, &centre)) return std::nullopt;
    return centre;
}

}  // namespace carrow::skin
