// The one colour model of the panel, for the skin and the colour chooser
// alike: a fixed red-green-blue value, or a system colour's number that is
// looked up each time something is drawn with it, so that it follows the
// system.  Plain values, so the rules over them build everywhere.
#pragma once

#include <cstdint>

namespace carrow {

// 0x00BBGGRR, the same bytes as the platform's COLORREF; a system colour
// carries its number with the high byte set.
using Colour = std::uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r) | static_cast<Colour>(g) << 8 | static_cast<Colour>(b) << 16;
}

// From red-green-blue written as hexadecimal 0xRRGGBB.
constexpr Colour FromHexRgb(std::uint32_t rrggbb) {
    return ((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) | ((rrggbb >> 16) & 0xFF);
}

constexpr Colour SystemColour(int index) { return 0xFF000000u | static_cast<Colour>(index); }
constexpr bool IsSystemColour(Colour colour) { return (colour >> 24) == 0xFF; }
constexpr int SystemColourIndex(Colour colour) { return static_cast<int>(colour & 0xFF); }

// The text colour of the text boxes, the folder list and the colour chooser:
// the colour value 2300935, red 7, green 28, blue 35.
inline constexpr Colour kPanelTextColour = Rgb(7, 28, 35);

// The COLORREF of a colour; `systemColour(index)` answers for system colours.
template <class SystemLookup>
std::uint32_t Resolve(Colour colour, SystemLookup&& systemColour) {
    return IsSystemColour(colour) ? static_cast<std::uint32_t>(systemColour(SystemColourIndex(colour))) : colour;
}

}  // namespace carrow
