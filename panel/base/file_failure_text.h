// The failure messages of file operations.  A plain text rule, no windows.
#pragma once

#include <string>
#include <string_view>

namespace carrow {

// "Cannot open file "<full path>". <reason>" and its create counterpart; the
// system's reason loses the blanks, control characters and full stops it ends
// with.
std::wstring CannotOpenFileText(std::wstring_view fullPath, const std::wstring& reason);
std::wstring CannotCreateFileText(std::wstring_view fullPath, const std::wstring& reason);

inline constexpr wchar_t kStreamWriteError[] = L"Stream write error";

}  // namespace carrow
