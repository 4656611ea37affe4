// Progress notes sent to the debugger output, one line each, no line end.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::notes {

inline constexpr const char* kReplacing = "replacing";
inline constexpr const char* kSourceExists = "file exists, proceeding...";
inline constexpr const char* kBiggerFile = "bigger file";
inline constexpr const char* kSmallerOrSameFile = "smaller or same file";

std::string HeaderAndDirectorySize(int64_t bytes);
std::string FirstEntryAt(int64_t dataOffset);
std::string FirstBlockOccupiedBy(const std::string& name, int64_t position);
std::string Relocating(const std::string& name, int64_t position);

}  // namespace tolvane::notes
