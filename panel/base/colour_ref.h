// A colour as the platform draws it now: system colours are looked up at the
// moment of the call.
#pragma once

#include <windows.h>

#include "base/colour.h"

namespace carrow {

inline COLORREF ToColorRef(Colour colour) {
    return Resolve(colour, [](int index) { return GetSysColor(index); });
}

}  // namespace carrow
