#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "skin/colour_box_entries.h"

namespace carrow {
namespace {

// The chooser's list as the operator knows it: name and red-green-blue, or
// the system colour number.
struct Named {
    const wchar_t* name;
    bool system;
    uint32_t value;  // 0xRRGGBB, or the system colour number
};
constexpr Named kList[] = {
    {L"clBlack", false, 0x000000}, {L"clMaroon", false, 0x800000}, {L"clGreen", false, 0x008000},
    {L"clOlive", false, 0x808000}, {L"clNavy", false, 0x000080},   {L"clPurple", false, 0x800080},
    {L"clTeal", false, 0x008080},  {L"clGray", false, 0x808080},   {L"clSilver", false, 0xC0C0C0},
    {L"clRed", false, 0xFF0000},   {L"clLime", false, 0x00FF00},   {L"clYellow", false, 0xFFFF00},
    {L"clBlue", false, 0x0000FF},  {L"clFuchsia", false, 0xFF00FF}, {L"clAqua", false, 0x00FFFF},
    {L"clWhite", false, 0xFFFFFF},
    {L"clMoneyGreen", false, 0xC0DCC0}, {L"clSkyBlue", false, 0xA6CAF0}, {L"clCream", false, 0xFFFBF0},
    {L"clMedGray", false, 0xA0A0A4},
    {L"clActiveBorder", true, 10}, {L"clActiveCaption", true, 2}, {L"clAppWorkSpace", true, 12},
    {L"clBackground", true, 1}, {L"clBtnFace", true, 15}, {L"clBtnHighlight", true, 20},
    {L"clBtnShadow", true, 16}, {L"clBtnText", true, 18}, {L"clCaptionText", true, 9},
    {L"clGradientActiveCaption", true, 27}, {L"clGradientInactiveCaption", true, 28}, {L"clGrayText", true, 17},
    {L"clHighlight", true, 13}, {L"clHighlightText", true, 14}, {L"clHotLight", true, 26},
    {L"clInactiveBorder", true, 11}, {L"clInactiveCaption", true, 3}, {L"clInactiveCaptionText", true, 19},
    {L"clInfoBk", true, 24}, {L"clInfoText", true, 23}, {L"clMenu", true, 4},
    {L"clMenuBar", true, 30}, {L"clMenuHighlight", true, 29}, {L"clMenuText", true, 7},
    {L"clScrollBar", true, 0}, {L"cl3DDkShadow", true, 21}, {L"cl3DLight", true, 22},
    {L"clWindow", true, 5}, {L"clWindowFrame", true, 6}, {L"clWindowText", true, 8},
};

TEST(ColourEntries, ListEveryNamedColourInOrderWithItsValue) {
    const auto entries = ColourEntries();
    ASSERT_EQ(entries.size(), std::size(kList));
    for (size_t i = 0; i < entries.size(); ++i) {
        const Named& want = kList[i];
        EXPECT_EQ(entries[i].name, want.name) << i;
        EXPECT_EQ(entries[i].colour, want.system ? SystemColour(static_cast<int>(want.value)) : FromHexRgb(want.value))
            << i << " " << entries[i].colour;
    }
}

TEST(ColourEntries, HexRgbIsStoredRedInTheLowByte) {
    EXPECT_EQ(FromHexRgb(0x800000), Colour{0x000080u});
    EXPECT_EQ(FromHexRgb(0xA6CAF0), Colour{0xF0CAA6u});
    EXPECT_EQ(FromHexRgb(0x071C23), kPanelTextColour) << "red 7, green 28, blue 35";
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
