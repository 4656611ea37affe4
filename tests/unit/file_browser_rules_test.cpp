// The folder list's rules: where type-ahead looks, the display order and the
// position a refresh selects again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "browser/file_browser_rules.h"

namespace carrow {
namespace {

struct Search {
    std::vector<std::wstring> names;
    std::vector<std::size_t> tested = {};

    std::optional<std::size_t> Find(std::wstring_view prefix, std::size_t start, bool wrap) {
        tested.clear();
        return FindTypeAhead(names.size(), start, wrap, [&](std::size_t i) {
            tested.push_back(i);
            return names[i].starts_with(prefix);
        });
    }
};

TEST(TypeAhead, FindsTheFirstMatchFromTheStartOnAndWrapsOnlyWhenAsked) {
    Search search{{L"apple", L"banana", L"avocado", L"cherry", L"bean"}};
    EXPECT_EQ(search.Find(L"a", 0, false), 0u);
    EXPECT_EQ(search.Find(L"a", 1, false), 2u);  // the first from the start, not the first overall
    EXPECT_EQ(search.Find(L"b", 1, true), 1u);   // the start item itself counts
    EXPECT_EQ(search.Find(L"a", 3, false), std::nullopt);
    EXPECT_EQ(search.Find(L"a", 3, true), 0u);
    EXPECT_EQ(search.Find(L"be", 2, true), 4u);
    EXPECT_EQ(search.Find(L"z", 0, true), std::nullopt);
}

TEST(TypeAhead, TestsEveryItemAtMostOnceInSearchOrder) {
    Search search{{L"a", L"b", L"c", L"d", L"e"}};
    search.Find(L"x", 2, true);
    EXPECT_EQ(search.tested, (std::vector<std::size_t>{2, 3, 4, 0, 1}));
    search.Find(L"x", 2, false);
    EXPECT_EQ(search.tested, (std::vector<std::size_t>{2, 3, 4}));
    search.Find(L"x", 0, true);
    EXPECT_EQ(search.tested, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
}

TEST(TypeAhead, StaysInsideTheListForAnyStart) {
    Search search{{L"a", L"b", L"c"}};
    EXPECT_EQ(search.Find(L"b", 10, true), 1u);
    EXPECT_EQ(search.tested, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(search.Find(L"b", 10, false), std::nullopt);
    EXPECT_TRUE(search.tested.empty());
    Search empty;
    EXPECT_EQ(empty.Find(L"a", 0, true), std::nullopt);
    EXPECT_TRUE(empty.tested.empty());
}

struct Entry {
    std::wstring name;
    bool folder;
    bool operator==(const Entry&) const = default;
};

int ByName(const Entry& a, const Entry& b) { return a.name.compare(b.name); }
bool IsFolder(const Entry& e) { return e.folder; }

TEST(SortOrder, PutsFoldersFirstAndOrdersEachGroupByTheFoldersComparison) {
    std::vector<Entry> items = {{L"zeta.txt", false}, {L"music", true}, {L"alpha.txt", false},
                                {L"docs", true},      {L"beta", false}, {L"apps", true}};
    SortFoldersFirst(items, IsFolder, ByName);
    const std::vector<Entry> expected = {{L"apps", true},      {L"docs", true},  {L"music", true},
                                         {L"alpha.txt", false}, {L"beta", false}, {L"zeta.txt", false}};
    EXPECT_EQ(items, expected);
}

TEST(SortOrder, UsesOnlyTheSignOfTheComparison) {
    std::vector<Entry> items = {{L"c", false}, {L"a", false}, {L"b", false}};
    // Shell comparisons answer with any short value, not just -1, 0 and 1.
    SortFoldersFirst(items, IsFolder, [](const Entry& a, const Entry& b) { return (a.name[0] - b.name[0]) * 300; });
    EXPECT_EQ(items, (std::vector<Entry>{{L"a", false}, {L"b", false}, {L"c", false}}));
}

TEST(SortOrder, KeepsEveryItemWhenTheComparisonIsInconsistent) {
    std::vector<Entry> items;
    for (int i = 0; i < 200; ++i) items.push_back({std::to_wstring(i), i % 3 == 0});
    std::vector<Entry> sorted = items;
    // A faulty extension's comparison: the same answer for the same pair each
    // time, but a < b and b < a alike, and no order at all overall.
    SortFoldersFirst(sorted, IsFolder, [](const Entry& a, const Entry& b) {
        return static_cast<int>(std::hash<std::wstring>{}(a.name + L"|" + b.name) % 3) - 1;
    });
    ASSERT_EQ(sorted.size(), items.size());
    const auto firstFile = std::find_if(sorted.begin(), sorted.end(), [](const Entry& e) { return !e.folder; });
    EXPECT_TRUE(std::all_of(firstFile, sorted.end(), [](const Entry& e) { return !e.folder; }));
    const auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(sorted.begin(), sorted.end(), byName);
    std::sort(items.begin(), items.end(), byName);
    EXPECT_EQ(sorted, items);
}

TEST(RefreshPosition, SelectsTheRememberedPositionWhileTheListStillReachesIt) {
    EXPECT_EQ(RestoredSelection(4, 5), 4u);  // the last item stays selected
    EXPECT_EQ(RestoredSelection(4, 9), 4u);  // whatever item is there now
    EXPECT_EQ(RestoredSelection(0, 1), 0u);
    EXPECT_EQ(RestoredSelection(4, 4), std::nullopt);  // the list got shorter
    EXPECT_EQ(RestoredSelection(0, 0), std::nullopt);
    EXPECT_EQ(RestoredSelection(std::nullopt, 5), std::nullopt);  // nothing was selected
}

TEST(MenuVerbs, AreRecognisedWithoutRegardToCase) {
    EXPECT_EQ(ClassifyVerb(L"rename"), MenuVerb::Rename);
    EXPECT_EQ(ClassifyVerb(L"Open"), MenuVerb::Open);
    EXPECT_EQ(ClassifyVerb(L"OPEN"), MenuVerb::Open);
    EXPECT_EQ(ClassifyVerb(L"Delete"), MenuVerb::Delete);
    EXPECT_EQ(ClassifyVerb(L"paste"), MenuVerb::Paste);
    EXPECT_EQ(ClassifyVerb(L"openas"), MenuVerb::Other);  // whole names only
    EXPECT_EQ(ClassifyVerb(L"properties"), MenuVerb::Other);
    EXPECT_EQ(ClassifyVerb(L""), MenuVerb::Other);
}

TEST(ListingState, IdleBrowsesAndRefreshesAtOnce) {
    ListingState state;
    EXPECT_TRUE(state.MayBrowse());
    EXPECT_TRUE(state.MayRefresh());
    state.BeginListing();
    state.EndListing();
    EXPECT_FALSE(state.TakePendingRefresh()) << "a refresh that ran is not run again";
}

TEST(ListingState, DuringAListingDropsFolderChangesAndRunsOneRefreshAfterwards) {
    ListingState state;
    state.BeginListing();
    EXPECT_TRUE(state.Busy());
    EXPECT_FALSE(state.MayBrowse());
    EXPECT_FALSE(state.MayRefresh());
    EXPECT_FALSE(state.MayRefresh());
    state.EndListing();
    EXPECT_FALSE(state.Busy());
    EXPECT_TRUE(state.MayBrowse());
    EXPECT_TRUE(state.TakePendingRefresh());
    EXPECT_FALSE(state.TakePendingRefresh()) << "two requests during one listing refresh once";
}

}  // namespace
}  // namespace carrow
