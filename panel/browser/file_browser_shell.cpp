#include "browser/file_browser_shell.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <new>
#include <vector>

#include "base/failure.h"
#include "base/system_error.h"

namespace carrow {

namespace {

IdList Owned(ITEMIDLIST* list) {
    if (!list) throw std::bad_alloc();
    return IdList(list);
}

}  // namespace

IdList CloneIdList(PCUIDLIST_RELATIVE list) { return Owned(ILClone(list)); }

IdList CombineIdLists(PCIDLIST_ABSOLUTE folder, PCUITEMID_CHILD child) {
    return Owned(ILCombine(folder, child));
}

IdList ParentIdList(PCIDLIST_ABSOLUTE list) {
    IdList parent = CloneIdList(list);
    ILRemoveLastID(parent.get());  // FALSE only for the empty list, which stays the Desktop
    return parent;
}

IdList SpecialFolder(int csidl) {
    PIDLIST_ABSOLUTE list = nullptr;
    // The shell always has the Desktop and the computer: only memory can fail.
    if (FAILED(SHGetFolderLocation(nullptr, csidl, nullptr, 0, &list))) throw std::bad_alloc();
    return Owned(list);
}

IdList ParseName(IShellFolder* folder, const std::wstring& name) {
    std::wstring text = name;  // ParseDisplayName takes a writable string
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(folder->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &list, nullptr))) return nullptr;
    return IdList(list);
}

bool SameItem(IShellFolder* desktop, PCIDLIST_ABSOLUTE a, PCIDLIST_ABSOLUTE b) {
    const HRESULT hr = desktop->CompareIDs(0, a, b);
    return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) == 0;
}

namespace {

// A file-system folder removed meanwhile still binds from its stale
// identifier; only the file system knows it is gone.  A drive without a medium
// or a folder without permission is there, just not readable.
bool RemovedFromDisk(PCIDLIST_ABSOLUTE folder) {
    wchar_t path[MAX_PATH] = L"";
    if (!SHGetPathFromIDListW(folder, path)) return false;  // not a file-system folder
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

ComPtr<IShellFolder> OpenFolder(IShellFolder* desktop, PCIDLIST_ABSOLUTE folder) {
    if (ILIsEmpty(folder)) return desktop;
    if (RemovedFromDisk(folder)) return nullptr;
    ComPtr<IShellFolder> opened;
    if (FAILED(desktop->BindToObject(folder, nullptr, IID_PPV_ARGS(&opened)))) return nullptr;
    return opened;
}

std::wstring DisplayName(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF flags) {
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(child, flags, &name))) return {};
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&name, child, &text))) return {};
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

SFGAOF Attributes(IShellFolder* folder, PCUITEMID_CHILD child, SFGAOF asked) {
    SFGAOF attributes = asked;
    if (FAILED(folder->GetAttributesOf(1, &child, &attributes))) return 0;
    return attributes & asked;
}

int SystemIconIndex(PCIDLIST_ABSOLUTE item) {
    SHFILEINFOW info{};
    const DWORD_PTR images = SHGetFileInfoW(reinterpret_cast<const wchar_t*>(item), 0, &info, sizeof info,
                                            SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_LARGEICON);
    return images ? info.iIcon : I_IMAGENONE;
}

std::wstring FolderOfPath(std::wstring path) {
    path.push_back(L'\0');  // PathRemoveFileSpecW works in place and only shortens
    PathRemoveFileSpecW(path.data());
    path.resize(wcslen(path.c_str()));
    return path;
}

bool BeginsWithIgnoringCase(std::wstring_view name, std::wstring_view prefix) {
    if (prefix.size() > name.size()) return false;
    const int length = static_cast<int>(prefix.size());
    return CompareStringOrdinal(name.data(), length, prefix.data(), length, TRUE) == CSTR_EQUAL;
}

std::wstring CurrentFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);  // too small: length is the size needed
    }
}

CurrentFolderScope::CurrentFolderScope(const std::wstring& during) : saved_(CurrentFolder()) {
    // A folder the item's path does not name (a virtual item) leaves the current one as it is.
    if (!during.empty() && !SetCurrentDirectoryW(during.c_str())) {
        Fail(L"Cannot enter the folder " + during + L": " + SystemErrorText(GetLastError()));
    }
}

CurrentFolderScope::~CurrentFolderScope() {
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());  // after a failure: Restore could not run
}

void CurrentFolderScope::Restore() {
    if (saved_.empty()) return;
    if (!SetCurrentDirectoryW(saved_.c_str())) {
        Fail(L"Cannot return to the folder " + saved_ + L": " + SystemErrorText(GetLastError()));
    }
    saved_.clear();
}

}  // namespace carrow
