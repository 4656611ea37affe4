// The colour chooser's list: 50 named colours, plain data.  A system colour
// entry stands for the platform colour of that number and is looked up each
// time something is drawn with it.
#pragma once

#include <span>
#include <string_view>

#include "base/colour.h"

namespace carrow {

struct ColourEntry {
    std::wstring_view name;
    Colour colour;
};

// In the order the chooser lists them; "clBlack" is the first.
std::span<const ColourEntry> ColourEntries();

}  // namespace carrow
