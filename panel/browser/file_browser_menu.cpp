// The shell's context menu of the selected item, its commands and the
// properties dialog.
#include "browser/file_browser.h"

#include <shellapi.h>

#include <string>

#include "base/failure.h"
#include "browser/file_browser_rules.h"
#include "base/handles.h"
#include "base/system_error.h"

namespace carrow {

namespace {

constexpr UINT kFirstCommand = 1;  // 0 is TrackPopupMenuEx's "nothing chosen"
constexpr UINT kLastCommand = 0x7FFF;
constexpr UINT kVerbLength = 256;  // verb names of up to 255 characters

void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }

using Menu = Owned<HMENU, DestroyMenuHandle>;

Menu NewPopupMenu() {
    Menu menu(CreatePopupMenu());
    if (!menu) Fail(L"Cannot create a menu: " + SystemErrorText(GetLastError()));
    return menu;
}

bool Invoke(IContextMenu* menu, HWND owner, const char* verb, const wchar_t* wideVerb) {
    CMINVOKECOMMANDINFOEX run{};
    run.cbSize = sizeof run;
    run.fMask = CMIC_MASK_UNICODE;
    run.hwnd = owner;
    run.lpVerb = verb;
    run.lpVerbW = wideVerb;
    run.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&run)));
}

bool InvokeOffset(IContextMenu* menu, HWND owner, UINT offset) {
    return Invoke(menu, owner, MAKEINTRESOURCEA(offset), MAKEINTRESOURCEW(offset));
}

std::wstring VerbOf(IContextMenu* menu, UINT offset) {
    wchar_t verb[kVerbLength] = L"";
    if (FAILED(menu->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<char*>(verb), kVerbLength)))
        return {};
    verb[kVerbLength - 1] = L'\0';
    return verb;
}

}  // namespace

// The item's menu, filled into `popup`; null when the shell offers none.
ComPtr<IContextMenu> FileBrowser::ItemMenu(const Item& item, HMENU popup) const {
    ComPtr<IContextMenu> menu;
    PCUITEMID_CHILD child = item.child.get();
    if (FAILED(folder_->GetUIObjectOf(view_.Handle(), 1, &child, IID_IContextMenu, nullptr, &menu)) || !menu)
        return nullptr;
    if (FAILED(menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, CMF_NORMAL | CMF_CANRENAME)))
        return nullptr;
    return menu;
}

void FileBrowser::ShowContextMenu(POINT screen) {
    const auto index = view_.Selected();
    if (!index) return;
    if (screen.x == -1 && screen.y == -1) {  // asked from the keyboard
        const auto centre = view_.IconCentreOnScreen(*index);
        if (!centre) return;
        screen = *centre;
    }
    const Menu popup = NewPopupMenu();
    const ComPtr<IContextMenu> menu = ItemMenu(items_.at(static_cast<std::size_t>(*index)), popup.Get());
    if (!menu) return;
    const std::uint64_t listing = listings_;
    menu.As(&openMenu2_);
    menu.As(&openMenu3_);
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                                           screen.y, view_.Handle(), nullptr));
    openMenu2_.Reset();
    openMenu3_.Reset();
    if (chosen < kFirstCommand || listing != listings_) return;  // nothing chosen, or the list was re-read
    RunMenuCommand(menu.Get(), chosen - kFirstCommand, static_cast<std::size_t>(*index));
}

void FileBrowser::RunMenuCommand(IContextMenu* menu, UINT offset, std::size_t index) {
    switch (ClassifyVerb(VerbOf(menu, offset))) {
    case MenuVerb::Rename:
        view_.EditLabel(static_cast<int>(index));
        return;
    case MenuVerb::Open: {
        // Carrow's own files are named relative to the current folder: it is
        // set back whatever the command did.
        CurrentFolderScope scope(FolderOfPath(ParsingName(items_.at(index))));
        InvokeOffset(menu, view_.Handle(), offset);
        scope.Restore();
        return;
    }
    case MenuVerb::Delete:
    case MenuVerb::Paste:
        if (InvokeOffset(menu, view_.Handle(), offset)) RefreshFolder();
        return;
    case MenuVerb::Other:
        InvokeOffset(menu, view_.Handle(), offset);
        return;
    }
}

void FileBrowser::ShowProperties() {
    const auto index = view_.Selected();
    if (!index) return;
    const Menu popup = NewPopupMenu();  // some handlers answer a verb only after filling a menu
    const ComPtr<IContextMenu> menu = ItemMenu(items_.at(static_cast<std::size_t>(*index)), popup.Get());
    if (menu) Invoke(menu.Get(), view_.Handle(), "properties", L"properties");
}

bool FileBrowser::ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (openMenu3_) return SUCCEEDED(openMenu3_->HandleMenuMsg2(message, wParam, lParam, &result));
    if (!openMenu2_ || message == WM_MENUCHAR) return false;
    result = (message == WM_DRAWITEM || message == WM_MEASUREITEM) ? TRUE : 0;
    return SUCCEEDED(openMenu2_->HandleMenuMsg(message, wParam, lParam));
}

}  // namespace carrow
