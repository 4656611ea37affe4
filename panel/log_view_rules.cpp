#include "log_view_rules.h"

namespace carrow {

int CountLogLines(std::wstring_view text) {
    int breaks = 0;
    for (size_t at = text.find(L"\r\n"); at != std::wstring_view::npos;
         at = text.find(L"\r\n", at + 2)) {
        ++breaks;
    }
    const bool lastLineEmpty = text.empty() || text.ends_with(L"\r\n");
    return breaks + (lastLineEmpty ? 0 : 1);
}

}  // namespace carrow
