// What imgtool asks the file system about paths (8-bit paths in the ANSI code
// page on Windows, as the library takes them).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace imgtool {

enum class Kind { Missing, File, Folder, Other };

Kind KindOf(const std::string& path);
inline bool IsFile(const std::string& path) { return KindOf(path) == Kind::File; }
inline bool Exists(const std::string& path) { return KindOf(path) != Kind::Missing; }

// Length in bytes, 64-bit also on 32-bit Windows; 0 when it cannot be read.
uint64_t FileSize(const std::string& path);

// Up to count bytes from the start of the file; fewer when it is shorter or
// cannot be read.
std::string ReadStart(const std::string& path, size_t count);

// A file's attributes (read-only, hidden, system, ... on Windows; the
// permission bits elsewhere), to be put back as they were; empty when they
// cannot be read.
std::optional<uint32_t> AttributesOf(const std::string& path);
bool SetAttributes(const std::string& path, uint32_t attributes);

// The names of the files (not folders) in a folder, in no particular order;
// prefix is the folder's path with its trailing separator ("mods\\"), or
// empty for the current folder.
std::vector<std::string> FilesIn(const std::string& prefix);

// Creates an empty file; false when one exists already or it cannot be made.
bool CreateNewFile(const std::string& path);

}  // namespace imgtool
