#include "browser/file_browser.h"

#include <shellapi.h>

#include <utility>

#include "base/failure.h"
#include "base/guarded.h"
#include "base/system_error.h"
#include "browser/file_browser_rules.h"
#include "browser/folder_list.h"

namespace carrow {

// Busy flag, frozen drawing and the hourglass for as long as a listing runs.
class FileBrowser::ListingScope {
public:
    explicit ListingScope(FileBrowser& browser)
        : browser_(browser), previousCursor_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {
        browser_.listing_.BeginListing();
        browser_.view_.SetRedraw(false);
    }
    ~ListingScope() {
        SetCursor(previousCursor_);
        browser_.view_.SetRedraw(true);
        browser_.view_.Invalidate(true);
        browser_.listing_.EndListing();
    }
    ListingScope(const ListingScope&) = delete;
    ListingScope& operator=(const ListingScope&) = delete;

private:
    FileBrowser& browser_;
    HCURSOR previousCursor_;
};

FileBrowser::~FileBrowser() { Detach(); }

void FileBrowser::Create(const ChildArgs& args) {
    const HRESULT hr = SHGetDesktopFolder(&desktop_);
    if (FAILED(hr)) Fail(L"Cannot open the shell namespace: " + SystemErrorText(static_cast<DWORD>(hr)));
    view_ = CreateFolderList(args);
    const auto self = reinterpret_cast<DWORD_PTR>(this);
    if (!SetWindowSubclass(view_.Handle(), GuardedSubclassProc<ViewProc>, self, self)) Fail(L"Cannot attach the folder list's events");
    attached_ = true;
    BrowseTo(SpecialFolder(CSIDL_DRIVES).get());
}

void FileBrowser::Detach() {
    if (!std::exchange(attached_, false)) return;
    RemoveWindowSubclass(view_.Handle(), GuardedSubclassProc<ViewProc>, reinterpret_cast<UINT_PTR>(this));
}

void FileBrowser::ListFolder() {
    if (!listing_.MayRefresh()) return;  // a shell message during a listing let this in: run it afterwards
    {
        ListingScope listing(*this);
        ++listings_;
        view_.SetItemCount(0);
        items_.clear();
        std::vector<Item> items = Enumerate();
        SortFoldersFirst(items, [](const Item& item) { return item.folder; },
                         [this](const Item& a, const Item& b) {
                             const HRESULT hr = folder_->CompareIDs(0, a.child.get(), b.child.get());
                             return SUCCEEDED(hr) ? static_cast<short>(HRESULT_CODE(hr)) : 0;
                         });
        items_ = std::move(items);
        view_.SetItemCount(static_cast<int>(items_.size()));
    }
    if (listing_.TakePendingRefresh()) RefreshFolder();
}

std::vector<FileBrowser::Item> FileBrowser::Enumerate() const {
    std::vector<Item> items;
    ComPtr<IEnumIDList> children;
    // Hidden items stay out: SHCONTF_INCLUDEHIDDEN is not asked for.  S_FALSE
    // means no enumerator at all.
    if (folder_->EnumObjects(ApplicationWindow(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &children) != S_OK ||
        !children)
        return items;
    PITEMID_CHILD child = nullptr;
    ULONG fetched = 0;
    while (children->Next(1, &child, &fetched) == S_OK && fetched == 1 && child)
        items.push_back(MakeItem(IdList(child)));
    return items;
}

FileBrowser::Item FileBrowser::MakeItem(IdList child) const {
    Item item;
    item.absolute = CombineIdLists(current_.get(), child.get());
    item.name = DisplayName(folder_.Get(), child.get(), SHGDN_INFOLDER);
    item.folder = Attributes(folder_.Get(), child.get(), SFGAO_FOLDER) != 0;
    item.child = std::move(child);
    return item;
}

void FileBrowser::BrowseTo(PCIDLIST_ABSOLUTE folder) {
    if (!listing_.MayBrowse()) return;
    if (current_ && SameItem(desktop_.Get(), current_.get(), folder)) return;
    OpenCurrent(CloneIdList(folder));
    ListFolder();
}

// Makes `folder` current; one that can no longer be opened gives the Desktop,
// so the list and the current folder always agree.
void FileBrowser::OpenCurrent(IdList folder) {
    ComPtr<IShellFolder> opened = OpenFolder(desktop_.Get(), folder.get());
    if (!opened) {
        folder = SpecialFolder(CSIDL_DESKTOP);
        opened = desktop_;
    }
    current_ = std::move(folder);
    folder_ = std::move(opened);
}

void FileBrowser::GoToParent() {
    if (!current_) return;
    BrowseTo(ParentIdList(current_.get()).get());
}

void FileBrowser::RefreshFolder() {
    if (!listing_.MayRefresh()) return;
    if (!current_) return;
    std::optional<std::size_t> remembered;
    if (const auto selected = view_.Selected()) remembered = static_cast<std::size_t>(*selected);
    view_.ClearSelection();
    OpenCurrent(CloneIdList(current_.get()));
    ListFolder();
    if (const auto position = RestoredSelection(remembered, items_.size()))
        view_.Select(static_cast<int>(*position));
}

void FileBrowser::OpenSelected(OpenedBy how) {
    const auto index = view_.Selected();
    if (!index) return;
    const Item& item = items_.at(static_cast<std::size_t>(*index));
    if (item.folder) {
        BrowseTo(CloneIdList(item.absolute.get()).get());  // the listing replaces the item
    } else if (how == OpenedBy::DoubleClick) {
        RunByPath(item);
    } else {
        RunByIdentifier(item);
    }
}

std::wstring FileBrowser::ParsingName(const Item& item) const {
    return DisplayName(folder_.Get(), item.child.get(), SHGDN_FORPARSING);
}

// The results of both runs are the shell's to report: it shows its own messages.
void FileBrowser::RunByPath(const Item& item) const {
    const std::wstring path = ParsingName(item);
    const std::wstring folder = FolderOfPath(path);
    ShellExecuteW(view_.Handle(), nullptr, path.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOWNORMAL);
}

void FileBrowser::RunByIdentifier(const Item& item) const {
    const IdList target = CloneIdList(item.absolute.get());  // the shell may let a refresh run meanwhile
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_IDLIST;
    run.hwnd = ApplicationWindow();
    run.lpIDList = target.get();
    run.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&run);
}

bool FileBrowser::OnBeginLabelEdit(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return false;
    return Attributes(folder_.Get(), items_[index].child.get(), SFGAO_CANRENAME) != 0;
}

void FileBrowser::OnEndLabelEdit(int index, const wchar_t* typed) {
    if (!typed || index < 0 || static_cast<std::size_t>(index) >= items_.size()) return;  // Esc
    RenameItem(static_cast<std::size_t>(index), typed);
}

void FileBrowser::RenameItem(std::size_t index, const std::wstring& typed) {
    const int row = static_cast<int>(index);
    if (!Attributes(folder_.Get(), items_[index].child.get(), SFGAO_CANRENAME)) {
        view_.RedrawItem(row);
        return;
    }
    const IdList old = CloneIdList(items_[index].child.get());
    const std::uint64_t listing = listings_;
    PITEMID_CHILD renamed = nullptr;
    const HRESULT hr = folder_->SetNameOf(nullptr, old.get(), typed.c_str(), SHGDN_INFOLDER, &renamed);
    IdList child(renamed);
    if (FAILED(hr)) {
        view_.RedrawItem(row);
        Fail(L"Rename to " + typed + L" failed");
    }
    if (listing != listings_) return;  // re-read meanwhile: the list already shows the new name
    if (!child) child = ParseName(folder_.Get(), typed);
    if (child) items_[index] = MakeItem(std::move(child));  // same place: no new sort
    view_.RedrawItem(row);
}

void FileBrowser::OnGetItem(LVITEMW& row) {
    if (row.iItem < 0 || static_cast<std::size_t>(row.iItem) >= items_.size()) return;
    Item& item = items_[row.iItem];
    if ((row.mask & LVIF_TEXT) && row.pszText && row.cchTextMax > 0)
        lstrcpynW(row.pszText, item.name.c_str(), row.cchTextMax);
    if (row.mask & LVIF_IMAGE) {
        if (!item.icon) item.icon = SystemIconIndex(item.absolute.get());
        row.iImage = *item.icon;
    }
}

int FileBrowser::OnFindItem(const NMLVFINDITEMW& find) const {
    if (!find.lvfi.psz || !(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL))) return -1;
    const std::wstring_view typed = find.lvfi.psz;
    const auto found = FindTypeAhead(items_.size(), static_cast<std::size_t>(std::max(find.iStart, 0)),
                                     (find.lvfi.flags & LVFI_WRAP) != 0,
                                     [&](std::size_t i) { return BeginsWithIgnoringCase(items_[i].name, typed); });
    return found ? static_cast<int>(*found) : -1;
}

}  // namespace carrow
