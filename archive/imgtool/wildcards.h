// Wildcards in file arguments.  A Windows program expands its own command
// line (cmd passes "mods\*.dff" on as typed): a '*' (any run of characters)
// or '?' (any one) in the last part of a path matches the files of that
// folder, letters compared without case, and "NAME.*" also matches NAME
// without an extension.  Matches come in name order; a pattern that matches
// nothing stays as typed, so that the command can say which file is missing.
#pragma once

#include <string>
#include <vector>

namespace imgtool {

bool MatchesPattern(const std::string& name, const std::string& pattern);

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& arguments);

}  // namespace imgtool
