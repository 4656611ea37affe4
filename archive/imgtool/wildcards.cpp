#include "wildcards.h"

#include <algorithm>

#include "file_info.h"
#include "library.h"
#include "names.h"

namespace imgtool {
namespace {

// Greedy matching with one point to come back to: the last '*' seen.
bool Matches(const std::string& name, const std::string& pattern) {
    size_t n = 0, p = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    const std::string n = FoldName(name), p = FoldName(pattern);
    if (Matches(n, p)) return true;
    const bool anyExtension = p.size() >= 2 && p.compare(p.size() - 2, 2, ".*") == 0;
    return anyExtension && n.find('.') == std::string::npos && Matches(n, p.substr(0, p.size() - 2));
}

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& arguments) {
    std::vector<std::string> expanded;
    for (const std::string& argument : arguments) {
        const std::string pattern = FileNamePart(argument);
        if (!HasWildcard(pattern)) {
            expanded.push_back(argument);
            continue;
        }
        const std::string prefix = argument.substr(0, argument.size() - pattern.size());
        std::vector<std::string> names = FilesIn(prefix);
        names.erase(std::remove_if(names.begin(), names.end(),
                                   [&](const std::string& name) { return !MatchesPattern(name, pattern); }),
                    names.end());
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return std::pair(FoldName(a), a) < std::pair(FoldName(b), b);
        });
        if (names.empty()) expanded.push_back(argument);
        for (const std::string& name : names) expanded.push_back(prefix + name);
    }
    return expanded;
}

}  // namespace imgtool
