#include "base/controls.h"

#include "base/failure.h"
#include "base/system_error.h"
#include "base/window_text.h"

namespace carrow {

void RegisterControlClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, cursor);
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc)) Fail(L"Cannot register window class: " + SystemErrorText(GetLastError()));
}

namespace {

LVITEMW ItemState(UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    return item;
}

}  // namespace

void Window::Create(const wchar_t* windowClass, DWORD style, DWORD exStyle, const ChildArgs& args) {
    style |= WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (args.tabStop ? WS_TABSTOP : 0);
    hwnd_ = CreateWindowExW(exStyle, windowClass, args.text.c_str(), style, args.place.left, args.place.top,
                            args.place.width, args.place.height, args.parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!hwnd_) {
        Fail(L"Cannot create a control of class " + std::wstring(windowClass) + L": " +
             SystemErrorText(GetLastError()));
    }
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(args.font), FALSE);
}

std::wstring Window::Text() const { return WindowText(hwnd_); }

Rect Window::PlaceInParent() const {
    RECT place{};
    GetWindowRect(hwnd_, &place);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&place), 2);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

void Window::Place(const Rect& place) const {
    if (PlaceInParent() == place) return;
    if (!SetWindowPos(hwnd_, nullptr, place.left, place.top, place.width, place.height,
                      SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER)) {
        Fail(L"Cannot place a control: " + SystemErrorText(GetLastError()));
    }
}

std::wstring TabStrip::Caption(int index) const {
    wchar_t caption[128] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = static_cast<int>(std::size(caption));
    Send(TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
    return caption;
}

void TabStrip::AddTab(const std::wstring& caption) const {
    std::wstring text = caption;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    if (Send(TCM_INSERTITEMW, Count(), reinterpret_cast<LPARAM>(&item)) < 0) Fail(L"Cannot add the page " + caption);
}

bool ComboBox::ItemText(int index, std::wstring& text) const {
    const auto length = Send(CB_GETLBTEXTLEN, index);
    if (length == CB_ERR) return false;
    text.assign(static_cast<size_t>(length) + 1, L'\0');
    if (Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data())) == CB_ERR) return false;
    text.resize(static_cast<size_t>(length));
    return true;
}

std::optional<int> ListView::Selected() const {
    const int index = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (index < 0) return std::nullopt;
    return index;
}

void ListView::Select(int index) const {
    LVITEMW item = ItemState(LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Send(LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

void ListView::ClearSelection() const {
    LVITEMW item = ItemState(0, LVIS_SELECTED | LVIS_FOCUSED);
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

std::optional<int> ListView::ItemAt(POINT client) const {
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int index = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index < 0 || !(hit.flags & LVHT_ONITEM)) return std::nullopt;
    return index;
}

std::optional<POINT> ListView::IconCentreOnScreen(int index) const {
    RECT icon{};
    icon.left = LVIR_ICON;
    if (!Send(LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&icon))) return std::nullopt;
    POINT centre{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    if (!ClientToScreen(hwnd_, &centre)) return std::nullopt;
    return centre;
}

}  // namespace carrow
