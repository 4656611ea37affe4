#include "text_files_rules.h"

namespace carrow {

std::string NormaliseLineBreaks(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 64);
    const size_t n = bytes.size();
    size_t runStart = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        out.append(bytes.data() + runStart, i - runStart);
        out += "\r\n";
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        runStart = i + 1;
    }
    out.append(bytes.data() + runStart, n - runStart);
    return out;
}

std::wstring TrimSystemText(std::wstring_view text) {
    size_t end = text.size();
    while (end > 0) {
        const wchar_t c = text[end - 1];
        if (c > L' ' && c != L'.' && c != 0x7F) break;
        --end;
    }
    return std::wstring(text.substr(0, end));
}

namespace {

std::wstring FileFailureText(std::wstring_view verb, std::wstring_view fullPath,
                             std::wstring_view systemText) {
    std::wstring out = L"Cannot ";
    out += verb;
    out += L" file \"";
    out += fullPath;
    out += L"\". ";
    out += TrimSystemText(systemText);
    return out;
}

}  // namespace

std::wstring CannotOpenFileText(std::wstring_view fullPath, std::wstring_view systemText) {
    return FileFailureText(L"open", fullPath, systemText);
}

std::wstring CannotCreateFileText(std::wstring_view fullPath, std::wstring_view systemText) {
    return FileFailureText(L"create", fullPath, systemText);
}

}  // namespace carrow
