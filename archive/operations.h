// The library's operations behind the exports.  Exports are thin wrappers that
// run one of these at the boundary; operations call each other directly, so a
// nested call (add -> replace -> rewrite -> export and replace) never passes
// through the boundary twice.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

// A path argument of an export: a null pointer counts as the empty path.
inline std::string PathArgument(const char* path) { return path ? path : ""; }

void LoadImg(const char* path);

// The entry's data, size x 2048 bytes; bytes beyond the end of the .img are zero.
void ExportFile(int32_t index, const std::string& targetPath);
// The entry's data read into buffer; what lies beyond the end of the .img is
// left as the caller had it.
void ExportBuffer(int32_t index, void* buffer);

// False when the source counts as missing and nothing was written.
bool ReplaceFile(int32_t index, const std::string& sourcePath, uint32_t forceAppend);
void AddFile(const std::string& sourcePath);

class Change;
// The steps of a replace inside a change (notes, source, data), without the
// directory: false when the source counts as missing.
bool PutSource(Change& change, int32_t index, const std::string& sourcePath, uint32_t forceAppend);
// Stores the table in memory as the archive's directory, within a change;
// one that keeps the stored directory writes nothing (the single-file notes
// are sent all the same).
void WriteDirectory(Change& change);
// True when the stored directory already holds the table byte for byte and
// no single-file block lies in its way, so that a rewrite would store the
// very bytes it holds.
bool StoredDirectoryIsTheTable();

void ReDoDir();

// Does nothing for an index outside the entries.
void RemoveFile(int32_t index);

int32_t HowMuchFragmented();

}  // namespace tolvane
