#include "browser/file_browser_rules.h"

namespace carrow {

namespace {

// Verb names are ASCII identifiers chosen by shell extensions.
bool SameVerb(std::wstring_view a, std::wstring_view b) {
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

}  // namespace

std::optional<std::size_t> FindTypeAhead(std::size_t count, std::size_t start, bool wrap,
                                         const std::function<bool(std::size_t)>& matches) {
    start = std::min(start, count);
    for (std::size_t i = start; i < count; ++i)
        if (matches(i)) return i;
    if (!wrap) return std::nullopt;
    for (std::size_t i = 0; i < start; ++i)
        if (matches(i)) return i;
    return std::nullopt;
}

std::optional<std::size_t> RestoredSelection(std::optional<std::size_t> remembered, std::size_t count) {
    if (remembered && *remembered < count) return remembered;
    return std::nullopt;
}

MenuVerb ClassifyVerb(std::wstring_view verb) {
    if (SameVerb(verb, L"rename")) return MenuVerb::Rename;
    if (SameVerb(verb, L"open")) return MenuVerb::Open;
    if (SameVerb(verb, L"delete")) return MenuVerb::Delete;
    if (SameVerb(verb, L"paste")) return MenuVerb::Paste;
    return MenuVerb::Other;
}

}  // namespace carrow
