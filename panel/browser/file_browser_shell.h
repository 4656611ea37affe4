// Thin helpers over the shell namespace for the folder list: owned item
// identifier lists, names, attributes, icons and the process's current folder.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <string_view>

namespace carrow {

using Microsoft::WRL::ComPtr;

struct IdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
// An item identifier list the shell allocated and the holder frees.
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

// Each throws std::bad_alloc when the shell cannot allocate the copy.
IdList CloneIdList(PCUIDLIST_RELATIVE list);
IdList CombineIdLists(PCIDLIST_ABSOLUTE folder, PCUITEMID_CHILD child);
IdList ParentIdList(PCIDLIST_ABSOLUTE list);  // the Desktop's parent is the Desktop

IdList SpecialFolder(int csidl);  // CSIDL_DRIVES lists the drives, CSIDL_DESKTOP is the empty list
// The identifier of a name relative to `folder` (a full path for the Desktop); null when unknown.
IdList ParseName(IShellFolder* folder, const std::wstring& name);

// Whether the shell takes both identifiers for the same namespace item.
bool SameItem(IShellFolder* desktop, PCIDLIST_ABSOLUTE a, PCIDLIST_ABSOLUTE b);

// The folder of an absolute identifier, the Desktop for the empty list; null
// when the shell cannot open it or it no longer exists.
ComPtr<IShellFolder> OpenFolder(IShellFolder* desktop, PCIDLIST_ABSOLUTE folder);

// Empty when the shell gives no name.
std::wstring DisplayName(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF flags);

// The asked attributes the item has; none when the shell does not answer.
SFGAOF Attributes(IShellFolder* folder, PCUITEMID_CHILD child, SFGAOF asked);

// Index of the item's large icon in the system image list, I_IMAGENONE if none.
int SystemIconIndex(PCIDLIST_ABSOLUTE item);

// "C:\a\b.txt" -> "C:\a", "C:\b.txt" -> "C:\" (a drive root keeps its
// backslash: "C:" alone would mean the drive's own current folder).
std::wstring FolderOfPath(std::wstring path);

// Whether `name` begins with `prefix`, ignoring case as the system does for file names.
bool BeginsWithIgnoringCase(std::wstring_view name, std::wstring_view prefix);

// The process's current folder, set to another while a scope lasts and set
// back when it ends, also when what ran meanwhile failed or threw.  A folder
// that cannot be entered fails at the start; Restore sets the old one back
// and fails when it cannot, which an ending scope can only try.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::wstring& during);
    ~CurrentFolderScope();
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

    void Restore();

private:
    std::wstring saved_;
};

std::wstring CurrentFolder();

}  // namespace carrow
