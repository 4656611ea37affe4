#include "shell_list_view.h"

#include <shellapi.h>

namespace carrow::skin {

namespace {

// The system image list is shared by every program: the list must not destroy it.
constexpr DWORD kStyle = LVS_ICON | LVS_AUTOARRANGE | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS |
                         LVS_OWNERDATA | LVS_SHAREIMAGELISTS | WS_BORDER;

HIMAGELIST SystemLargeIcons() {
    SHFILEINFOW info{};
    // Any name will do: only the image list is asked for, not a file's icon.
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                                                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX |
                                                           SHGFI_LARGEICON));
}

LVITEMW ItemState(UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    return item;
}

}  // namespace

void ShellListView::Create(const CreateArgs& args) {
    CreateControl(WC_LISTVIEWW, kStyle, 0, args, Part::Edit);
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
    Send(LVM_SETBKCOLOR, 0, kWhite);
    Send(LVM_SETTEXTBKCOLOR, 0, kWhite);
    Send(LVM_SETTEXTCOLOR, 0, kPanelTextColour);
    // Without the system's icons the names still show.
    if (HIMAGELIST icons = SystemLargeIcons()) Send(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
}

std::optional<int> ShellListView::Selected() const {
    const int index = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (index < 0) return std::nullopt;
    return index;
}

void ShellListView::Select(int index) const {
    LVITEMW item = ItemState(LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Send(LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

void ShellListView::ClearSelection() const {
    LVITEMW item = ItemState(0, LVIS_SELECTED | LVIS_FOCUSED);
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void ShellListView::SetRedraw(bool on) const {
    Send(WM_SETREDRAW, on);
    if (on) InvalidateRect(hwnd_, nullptr, TRUE);
}

std::optional<int> ShellListView::ItemAt(POINT client) const {
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int index = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index < 0 || !(hit.flags & LVHT_ONITEM)) return std::nullopt;
    return index;
}

std::optional<POINT> ShellListView::IconCentreOnScreen(int index) const {
    RECT icon{};
    icon.left = LVIR_ICON;
    if (!Send(LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&icon))) return std::nullopt;
    POINT centre{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    if (!ClientToScreen(hwnd_, &centre)) return std::nullopt;
    return centre;
}

}  // namespace carrow::skin
