// Opening the archive's files and writing to them, with the failure each
// step reports.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace tolvane {

// Opens path in mode; fails with "Cannot open file %s" (the stream opens) or
// "Cannot create file %s" (a create) naming path.
void OpenOrFail(platform::File& file, const std::string& path, platform::OpenMode mode);

// Writes are checked: a failed or short write fails with "Stream write error".
void WriteAt(platform::File& file, int64_t position, const void* data, int64_t count);
// Puts what was written on the disk; fails with "Stream write error".
void FlushOrFail(platform::File& file);
// Zero bytes from position up to end, one sector-sized write at a time.
void ZeroFill(platform::File& file, int64_t position, int64_t end);

}  // namespace tolvane
