// Thin file layer: the four ways the library opens files, and attribute
// calls.  One implementation for Windows, one for POSIX (used by the native
// tests; it does not emulate sharing modes).
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::platform {

enum class OpenMode {
    WholeFileRead,    // read+write access, others may read and write, must exist
    SharedStream,     // same access and sharing; failure is reported by the caller
    ExclusiveStream,  // read+write access, no sharing, must exist
    Create,           // read+write access, no sharing, created or emptied
};

// An open file, or a closed one when the open failed.  Closes itself.
class File {
public:
    File() = default;
    File(const std::string& path, OpenMode mode);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool IsOpen() const;
    // Length in bytes; -1 when the file is not open.
    int64_t Length() const;
    bool Seek(int64_t position);
    // Bytes actually read: fewer at the end of the file, 0 when not open.
    int64_t Read(void* destination, int64_t count);
    // Bytes actually written.
    int64_t Write(const void* source, int64_t count);
    void Close();

private:
    intptr_t handle_ = -1;
};

// Sets the file's attributes to "archive" alone (clearing read-only, hidden,
// system).  False when that fails, as a rule because the file does not exist.
bool SetArchiveAttributeOnly(const std::string& path);

// Length in bytes of the file at path, asked without opening it (so a
// read-only file answers too); -1 when there is no such file.
int64_t LengthOf(const std::string& path);

// True when c starts a two-byte character in the system ANSI code page.
bool IsLeadByte(unsigned char c);

}  // namespace tolvane::platform
