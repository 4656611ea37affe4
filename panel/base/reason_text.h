// A system error description as it goes into a message.  A plain text rule,
// no windows.
#pragma once

#include <string>

namespace carrow {

// The reason without the blanks, control characters and full stops at its end.
std::wstring TrimReason(const std::wstring& reason);

}  // namespace carrow
