#include "colour_box_entries.h"

#include <array>

namespace carrow {
namespace {

constexpr std::array<ColourEntry, 50> kEntries = {{
    {L"clBlack", FromHexRgb(0x000000)},
    {L"clMaroon", FromHexRgb(0x800000)},
    {L"clGreen", FromHexRgb(0x008000)},
    {L"clOlive", FromHexRgb(0x808000)},
    {L"clNavy", FromHexRgb(0x000080)},
    {L"clPurple", FromHexRgb(0x800080)},
    {L"clTeal", FromHexRgb(0x008080)},
    {L"clGray", FromHexRgb(0x808080)},
    {L"clSilver", FromHexRgb(0xC0C0C0)},
    {L"clRed", FromHexRgb(0xFF0000)},
    {L"clLime", FromHexRgb(0x00FF00)},
    {L"clYellow", FromHexRgb(0xFFFF00)},
    {L"clBlue", FromHexRgb(0x0000FF)},
    {L"clFuchsia", FromHexRgb(0xFF00FF)},
    {L"clAqua", FromHexRgb(0x00FFFF)},
    {L"clWhite", FromHexRgb(0xFFFFFF)},
    {L"clMoneyGreen", FromHexRgb(0xC0DCC0)},
    {L"clSkyBlue", FromHexRgb(0xA6CAF0)},
    {L"clCream", FromHexRgb(0xFFFBF0)},
    {L"clMedGray", FromHexRgb(0xA0A0A4)},
    {L"clActiveBorder", SystemColour(10)},
    {L"clActiveCaption", SystemColour(2)},
    {L"clAppWorkSpace", SystemColour(12)},
    {L"clBackground", SystemColour(1)},
    {L"clBtnFace", SystemColour(15)},
    {L"clBtnHighlight", SystemColour(20)},
    {L"clBtnShadow", SystemColour(16)},
    {L"clBtnText", SystemColour(18)},
    {L"clCaptionText", SystemColour(9)},
    {L"clGradientActiveCaption", SystemColour(27)},
    {L"clGradientInactiveCaption", SystemColour(28)},
    {L"clGrayText", SystemColour(17)},
    {L"clHighlight", SystemColour(13)},
    {L"clHighlightText", SystemColour(14)},
    {L"clHotLight", SystemColour(26)},
    {L"clInactiveBorder", SystemColour(11)},
    {L"clInactiveCaption", SystemColour(3)},
    {L"clInactiveCaptionText", SystemColour(19)},
    {L"clInfoBk", SystemColour(24)},
    {L"clInfoText", SystemColour(23)},
    {L"clMenu", SystemColour(4)},
    {L"clMenuBar", SystemColour(30)},
    {L"clMenuHighlight", SystemColour(29)},
    {L"clMenuText", SystemColour(7)},
    {L"clScrollBar", SystemColour(0)},
    {L"cl3DDkShadow", SystemColour(21)},
    {L"cl3DLight", SystemColour(22)},
    {L"clWindow", SystemColour(5)},
    {L"clWindowFrame", SystemColour(6)},
    {L"clWindowText", SystemColour(8)},
}};

}  // namespace

std::span<const ColourEntry> ColourEntries() { return kEntries; }

}  // namespace carrow
