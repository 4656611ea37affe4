// A colour as the panel stores it: either a fixed red-green-blue value or a
// system colour's number, looked up each time something is drawn with it so
// that it follows the system.
#pragma once

#include <cstdint>

namespace carrow {

struct PaletteColour {
    bool system = false;
    // 0x00BBGGRR (the Windows COLORREF layout), or the system colour number.
    uint32_t value = 0;

    friend bool operator==(const PaletteColour&, const PaletteColour&) = default;
};

// From red-green-blue written as hexadecimal 0xRRGGBB.
constexpr PaletteColour FromHexRgb(uint32_t rrggbb) {
    return {false, ((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) | ((rrggbb >> 16) & 0xFF)};
}
constexpr PaletteColour SystemColour(uint32_t index) { return {true, index}; }

// The colour value 2300935: red 7, green 28, blue 35.
inline constexpr PaletteColour kPanelTextColour{false, 2300935};

// COLORREF of a colour; `systemColour(index)` answers for system entries.
template <class SystemLookup>
uint32_t Resolve(PaletteColour colour, SystemLookup&& systemColour) {
    return colour.system ? static_cast<uint32_t>(systemColour(static_cast<int>(colour.value)))
                         : colour.value;
}

}  // namespace carrow
