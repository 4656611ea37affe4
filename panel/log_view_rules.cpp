#include "log_view_rules.h"

namespace carrow {

int CountLineBreaks(std::wstring_view text) {
    int breaks = 0;
    for (size_t at = text.find(L"\r\n"); at != std::wstring_view::npos; at = text.find(L"\r\n", at + 2)) ++breaks;
    return breaks;
}

int LogLineCount(int lineBreaks, std::wstring_view text) {
    const bool lastLineEmpty = text.empty() || text.ends_with(L"\r\n");
    return lineBreaks + (lastLineEmpty ? 0 : 1);
}

int CountLogLines(std::wstring_view text) { return LogLineCount(CountLineBreaks(text), text); }

}  // namespace carrow
