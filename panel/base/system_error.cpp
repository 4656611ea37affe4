#include "base/system_error.h"

#include "base/reason_text.h"

namespace carrow {

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0) return L"System error " + std::to_wstring(code);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    return TrimReason(text);
}

}  // namespace carrow
