// A window's text as one string: the caption of a button or a frame, the
// whole text of a text box.
#pragma once

#include <windows.h>

#include <string>

namespace carrow {

std::wstring WindowText(HWND window);

}  // namespace carrow
