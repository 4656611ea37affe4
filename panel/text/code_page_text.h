// Conversion between file bytes in a code page and the UTF-16 text a box
// holds.  Failures are raised as carrow::Failure.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace carrow {

// 8-bit text <-> a box's text in the given code page; zero bytes travel as
// kZeroByteStandIn, so an unedited text converts back byte for byte in any
// single-byte code page.
std::wstring AnsiToViewText(std::string_view bytes, UINT codePage = CP_ACP);
std::string ViewTextToAnsi(std::wstring_view text, UINT codePage = CP_ACP);

}  // namespace carrow
