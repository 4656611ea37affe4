#include "browser/folder_list.h"

#include <shellapi.h>

#include "base/colour.h"

namespace carrow {
namespace {

// The system image list is shared by every program: the list must not destroy it.
constexpr DWORD kStyle = LVS_ICON | LVS_AUTOARRANGE | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS |
                         LVS_OWNERDATA | LVS_SHAREIMAGELISTS | WS_BORDER;
constexpr Colour kBackground = Rgb(255, 255, 255);

HIMAGELIST SystemLargeIcons() {
    SHFILEINFOW info{};
    // Any name will do: only the image list is asked for, not a file's icon.
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                                                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX |
                                                           SHGFI_LARGEICON));
}

}  // namespace

ListView CreateFolderList(const ChildArgs& args) {
    ListView list;
    list.Create(WC_LISTVIEWW, kStyle, 0, args);
    list.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
    list.Send(LVM_SETBKCOLOR, 0, kBackground);
    list.Send(LVM_SETTEXTBKCOLOR, 0, kBackground);
    list.Send(LVM_SETTEXTCOLOR, 0, kPanelTextColour);
    if (HIMAGELIST icons = SystemLargeIcons()) list.Send(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
    return list;
}

}  // namespace carrow
