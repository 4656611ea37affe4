#include "base/file_failure_text.h"

#include "base/reason_text.h"

namespace carrow {
namespace {

std::wstring FileFailureText(std::wstring_view verb, std::wstring_view fullPath,
                             const std::wstring& reason) {
    std::wstring out = L"Cannot ";
    out += verb;
    out += L" file \"";
    out += fullPath;
    out += L"\". ";
    out += TrimReason(reason);
    return out;
}

}  // namespace

std::wstring CannotOpenFileText(std::wstring_view fullPath, const std::wstring& reason) {
    return FileFailureText(L"open", fullPath, reason);
}

std::wstring CannotCreateFileText(std::wstring_view fullPath, const std::wstring& reason) {
    return FileFailureText(L"create", fullPath, reason);
}

}  // namespace carrow
