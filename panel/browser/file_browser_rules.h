// Rules of the folder list that do not depend on the shell: where the
// type-ahead search looks, the display order and which item a refresh selects.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace carrow {

// Index of the first item for which `matches` holds, looking from `start` to
// the last item and then, when `wrap` is set, from the first item up to the one
// before `start`.  Every item is tested at most once; a start beyond the end
// counts as the end.
std::optional<std::size_t> FindTypeAhead(std::size_t count, std::size_t start, bool wrap,
                                         const std::function<bool(std::size_t)>& matches);

// Folders before other items; inside each group the folder's own comparison
// (negative, zero or positive, as the shell's CompareIDs) decides.  The groups
// are separated before sorting, so folders come first even when a shell's
// comparison contradicts itself; stable sorts keep the enumeration order of
// items the comparison calls equal.
template <class Item, class IsFolder, class Compare>
void SortFoldersFirst(std::vector<Item>& items, IsFolder isFolder, Compare compare) {
    const auto firstOther = std::stable_partition(items.begin(), items.end(), isFolder);
    const auto before = [&](const Item& a, const Item& b) { return compare(a, b) < 0; };
    std::stable_sort(items.begin(), firstOther, before);
    std::stable_sort(firstOther, items.end(), before);
}

// The position a refresh selects again: the remembered one while the new list
// still reaches it, whatever item is there now.
std::optional<std::size_t> RestoredSelection(std::optional<std::size_t> remembered, std::size_t count);

// What the folder list does after a context-menu command, by its verb name.
enum class MenuVerb { Rename, Open, Delete, Paste, Other };

// Verb names are compared without regard to case.
MenuVerb ClassifyVerb(std::wstring_view verb);

// Whether a listing runs, and a refresh asked for meanwhile.  A shell message
// shown during a listing lets other requests in: a change of folder then is
// dropped, a refresh is remembered and runs once, after the listing, so the
// view is never left without a current folder.
class ListingState {
public:
    bool Busy() const { return busy_; }

    // A folder change may start only while no listing runs.
    bool MayBrowse() const { return !busy_; }
    // True when a refresh may run now; otherwise it is remembered.
    bool MayRefresh() {
        if (busy_) refreshPending_ = true;
        return !busy_;
    }

    void BeginListing() { busy_ = true; }
    void EndListing() { busy_ = false; }
    // After a listing: whether a refresh asked for during it is due (once).
    bool TakePendingRefresh() { return std::exchange(refreshPending_, false); }

private:
    bool busy_ = false;
    bool refreshPending_ = false;
};

}  // namespace carrow
