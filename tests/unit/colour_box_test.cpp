#include <gtest/gtest.h>

#include <set>
#include <string>

#include "skin/colour_box_entries.h"

namespace carrow {
namespace {

TEST(ColourEntries, FiftyNamedColoursInTheirGroups) {
    const auto entries = ColourEntries();
    ASSERT_EQ(entries.size(), 50u);
    EXPECT_EQ(entries.front().name, L"clBlack");
    EXPECT_EQ(entries[15].name, L"clWhite");
    EXPECT_EQ(entries[16].name, L"clMoneyGreen");
    EXPECT_EQ(entries[19].name, L"clMedGray");
    EXPECT_EQ(entries[20].name, L"clActiveBorder");
    EXPECT_EQ(entries.back().name, L"clWindowText");
    std::set<std::wstring_view> names;
    for (size_t i = 0; i < entries.size(); ++i) {
        names.insert(entries[i].name);
        EXPECT_EQ(entries[i].colour.system, i >= 20) << i;
    }
    EXPECT_EQ(names.size(), 50u) << "names repeat";
}

TEST(ColourEntries, HexRgbIsStoredRedInTheLowByte) {
    const auto entries = ColourEntries();
    EXPECT_EQ(entries[1].colour.value, 0x000080u);   // clMaroon #800000
    EXPECT_EQ(entries[4].colour.value, 0x800000u);   // clNavy #000080
    EXPECT_EQ(entries[9].colour.value, 0x0000FFu);   // clRed #FF0000
    EXPECT_EQ(entries[17].colour.value, 0xF0CAA6u);  // clSkyBlue #A6CAF0
    EXPECT_EQ(FromHexRgb(0x071C23), kPanelTextColour) << "red 7, green 28, blue 35";
}

TEST(ColourEntries, SystemEntriesCoverEverySystemColourNumberOnce) {
    std::set<uint32_t> numbers;
    for (const ColourEntry& e : ColourEntries()) {
        if (e.colour.system) numbers.insert(e.colour.value);
    }
    std::set<uint32_t> want;
    for (uint32_t n = 0; n <= 30; ++n) {
        if (n != 25) want.insert(n);  // 25 is no system colour
    }
    EXPECT_EQ(numbers, want);
}

TEST(ColourEntries, SystemColoursAreLookedUpAtResolveTime) {
    int asked = -1;
    auto lookup = [&](int index) {
        asked = index;
        return 0x123456u;
    };
    EXPECT_EQ(Resolve(SystemColour(8), lookup), 0x123456u);
    EXPECT_EQ(asked, 8);
    asked = -1;
    EXPECT_EQ(Resolve(FromHexRgb(0xFF0000), lookup), 0x0000FFu);
    EXPECT_EQ(asked, -1);
}

}  // namespace
}  // namespace carrow
