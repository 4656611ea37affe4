// The skin engine: subclass procedures that draw each kind of control from
// its skin section (owner-draw, custom paint and reflected messages).
#pragma once

#include <windows.h>

#include "controls.h"

namespace carrow::skin {

// Draws hwnd with the skin of state->part from now on; state lives as long
// as the window.
void AttachSkin(HWND hwnd, SkinState* state);

// The look of a control in a given state of its own.
State StateOf(HWND hwnd, const SkinState& skin, bool pressed);

}  // namespace carrow::skin
