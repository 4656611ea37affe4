// Which entries a command line names, and safe file names for extracting them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tolvane.h"

namespace imgtool {

// The entry's name: up to its first zero byte, all 24 bytes when it has none.
std::string NameOf(const TImgEntry& entry);

// The first entry named name (letters compared without case, see names.h).
std::optional<int32_t> FindName(const std::vector<TImgEntry>& entries, const std::string& name);

// The entry a NAME|INDEX argument names: the first entry whose name matches
// (letters compared without case, as the game does); otherwise a
// decimal number is taken as an index.  Empty when nothing matches.
std::optional<int32_t> FindEntry(const std::vector<TImgEntry>& entries, const std::string& nameOrIndex);

// A file name for writing an entry to disk: no folder parts, no characters
// that Windows refuses, never "." or ".."; index keeps nameless entries apart.
std::string SafeFileName(const std::string& name, int32_t index);

}  // namespace imgtool
