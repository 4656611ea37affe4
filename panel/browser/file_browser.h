// The file browser tab's folder list: one folder of the shell namespace at a
// time, entered, left, re-read, opened, renamed in place and offered the
// shell's context menu, all on the window thread.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browser/file_browser_rules.h"
#include "browser/file_browser_shell.h"
#include "base/controls.h"

namespace carrow {

class FileBrowser {
public:
    // A double-click opens by path in the item's folder, Enter by identifier.
    enum class OpenedBy { DoubleClick, Enter };

    FileBrowser() = default;
    ~FileBrowser();
    FileBrowser(const FileBrowser&) = delete;
    FileBrowser& operator=(const FileBrowser&) = delete;

    // Creates the list and lists the computer's top level.  The list's
    // parent sends the list's notifications back to it (base/reflect.h).  A
    // failure in the list's events goes to the callback policy
    // (base/guarded.h).
    void Create(const ChildArgs& args);
    const ListView& View() const { return view_; }

    void ListFolder();                         // re-reads the current folder
    void BrowseTo(PCIDLIST_ABSOLUTE folder);   // nothing while listing or when already there
    void GoToParent();                         // the computer's parent is the Desktop
    void RefreshFolder();                      // keeps the selected position

    void OpenSelected(OpenedBy how);
    void ShowProperties();
    void ShowContextMenu(POINT screen);  // (-1, -1): at the selected item's icon

    PCIDLIST_ABSOLUTE CurrentFolder() const { return current_.get(); }
    std::size_t ItemCount() const { return items_.size(); }
    const std::wstring& ItemName(std::size_t index) const { return items_.at(index).name; }
    bool ItemIsFolder(std::size_t index) const { return items_.at(index).folder; }
    PCIDLIST_ABSOLUTE ItemIdList(std::size_t index) const { return items_.at(index).absolute.get(); }
    bool Busy() const { return listing_.Busy(); }

private:
    struct Item {
        IdList child;     // relative to the current folder
        IdList absolute;  // from the Desktop
        std::wstring name;
        bool folder = false;
        std::optional<int> icon;  // asked of the shell when first drawn
    };
    class ListingScope;

    static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT OnViewMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnNotify(const NMHDR& header, LRESULT& result);
    LRESULT OnGetDialogCode(WPARAM wParam, LPARAM lParam);
    bool OnKeyMessage(UINT message, WPARAM key);
    bool OnKeyDown(WPARAM key);
    LRESULT OnDoubleClick(WPARAM wParam, LPARAM lParam);
    void OnGetItem(LVITEMW& item);
    int OnFindItem(const NMLVFINDITEMW& find) const;
    bool OnBeginLabelEdit(int index);
    void OnEndLabelEdit(int index, const wchar_t* typed);
    void Detach();

    void OpenCurrent(IdList folder);
    std::vector<Item> Enumerate() const;
    Item MakeItem(IdList child) const;
    void RenameItem(std::size_t index, const std::wstring& typed);
    void RunByPath(const Item& item) const;
    void RunByIdentifier(const Item& item) const;
    std::wstring ParsingName(const Item& item) const;
    HWND ApplicationWindow() const { return GetAncestor(view_.Handle(), GA_ROOT); }

    ComPtr<IContextMenu> ItemMenu(const Item& item, HMENU popup) const;
    void RunMenuCommand(IContextMenu* menu, UINT offset, std::size_t index);
    bool ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    ListView view_;
    bool attached_ = false;
    ComPtr<IShellFolder> desktop_;
    ComPtr<IShellFolder> folder_;
    IdList current_;
    std::vector<Item> items_;
    std::uint64_t listings_ = 0;  // counts listings, so a call that let messages run sees a re-read
    ListingState listing_;
    ComPtr<IContextMenu2> openMenu2_;  // the context menu on screen, for its drawing messages
    ComPtr<IContextMenu3> openMenu3_;
};

}  // namespace carrow
