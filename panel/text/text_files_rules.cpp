#include "text/text_files_rules.h"

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

int CountLineBreaks(std::wstring_view text) {
    int breaks = 0;
    for (size_t at = text.find(L"\r\n"); at != std::wstring_view::npos; at = text.find(L"\r\n", at + 2)) ++breaks;
    return breaks;
}

int TextLineCount(int lineBreaks, std::wstring_view text) {
    const bool lastLineEmpty = text.empty() || text.ends_with(L"\r\n");
    return lineBreaks + (lastLineEmpty ? 0 : 1);
}

int CountTextLines(std::wstring_view text) { return TextLineCount(CountLineBreaks(text), text); }

BoxUpdate UpdateForText(bool trusted, std::wstring_view current, std::wstring_view text) {
    if (text == current) return BoxUpdate::Keep;
    const bool grew = trusted && !current.empty() && text.size() > current.size() && text.starts_with(current);
    return grew ? BoxUpdate::Append : BoxUpdate::Replace;
}

}  // namespace carrow
