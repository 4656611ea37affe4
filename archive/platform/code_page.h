// The system ANSI code page, as the rule for derived paths needs it.  Kept
// apart from the file layer so that imgtool compiles the same rule.
#pragma once

namespace tolvane::platform {

// True when c starts a two-byte character in the system ANSI code page.
bool IsLeadByte(unsigned char c);

}  // namespace tolvane::platform
