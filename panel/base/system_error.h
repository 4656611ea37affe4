// The operating system's description of an error code, for failure messages.
#pragma once

#include <windows.h>

#include <string>

namespace carrow {

// The system's text for code, in the system's language, without the blanks,
// control characters and full stops it ends with.
std::wstring SystemErrorText(DWORD code);

}  // namespace carrow
