// Positional reads and writes on open files, whole or a range at a time;
// every file read and write of the panel goes through them.  Each returns false with the system's
// reason in GetLastError; a read that finds fewer bytes than asked (the file
// was cut meanwhile) is a failure too, never an end of file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace carrow {

struct FileLook {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
};

// The length and last write time of an open file, as the file system has
// them now (not as a directory listing may still show them).
bool LookAt(HANDLE file, FileLook& look);

// Appends `count` bytes read at `offset` to `out`.
bool ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& out);

bool WriteAt(HANDLE file, std::uint64_t offset, std::string_view bytes);

// Makes the file `size` bytes long.
bool CutAt(HANDLE file, std::uint64_t size);

}  // namespace carrow
