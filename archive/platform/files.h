// Thin file layer: the ways the library opens files, and the few file-system
// calls around them.  One implementation for Windows, one for POSIX (used by
// the native tests; it does not emulate sharing modes, but a file without the
// owner's write bit stands for a read-only file and refuses write access).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code_page.h"

namespace tolvane::platform {

enum class OpenMode {
    WholeFileRead,    // read+write access, others may read and write, must exist
    SharedStream,     // same access and sharing; failure is reported by the caller
    ExclusiveStream,  // read+write access, no sharing, must exist
    Create,           // read+write access, no sharing, created or emptied
    SourceRead,       // read access only, others may read and write, must exist
};

// An open file, or a closed one when the open failed.  Closes itself.
class File {
public:
    File() = default;
    File(const std::string& path, OpenMode mode);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Closes what is open and opens path; false when that fails.
    bool Open(const std::string& path, OpenMode mode);
    bool IsOpen() const;
    // Length in bytes; -1 when the file is not open.
    int64_t Length() const;
    bool Seek(int64_t position);
    // Bytes that arrived, fewer at the end of the file; failed when the
    // system reported an error, which is never taken for the end of the file.
    struct ReadResult {
        int64_t bytes;
        bool failed;
    };
    ReadResult Read(void* destination, int64_t count);
    // Bytes actually written.
    int64_t Write(const void* source, int64_t count);
    // Puts what was written on the disk itself; false when that fails.
    bool Flush();
    void Close();

private:
    int64_t Position() const;

    intptr_t handle_ = -1;
    std::string path_;
};

// Sets the file's attributes to "archive" alone (clearing read-only, hidden,
// system).  False when that fails, as a rule because the file does not exist.
bool SetArchiveAttributeOnly(const std::string& path);

// The existence test of a source file: a directory search finds a file (not a
// folder) whose last-write time is expressible as a DOS date and time (local
// time, years 1980 to 2107).
bool SourceExists(const std::string& path);

// True when path could be replaced by a create right now: it does not exist,
// or it is a file without the read-only attribute that nobody holds open.
bool IsReplaceable(const std::string& path);

// Moves from over to, replacing to, and puts the move on the disk before
// returning.  The caller has checked IsReplaceable.
bool ReplaceWith(const std::string& from, const std::string& to);

// Puts a new file's name on the disk, where a crash would otherwise lose
// the file whatever its flushes: POSIX keeps it in the folder, flushed
// apart; Windows flushes it with the file, and this does nothing.
bool SyncFolderOf(const std::string& path);

// True when the system can open a file by this path: it is not longer than
// the system's limit for a path (or, on POSIX, for one name in it).
bool PathFits(const std::string& path);

bool RemoveFile(const std::string& path);

// The user's temporary folder with its trailing separator; empty (the current
// folder) when the system cannot report it.
std::string TempFolder();

// Distinguishes this process's scratch files from those of others.
unsigned long ProcessId();

// Length in bytes of the file at path, asked without opening it (so a
// read-only file answers too); -1 when there is no such file.
int64_t LengthOf(const std::string& path);

#if !defined(_WIN32)
// Faults the native tests plant in this layer, and the order of what it put
// on the disk.  Changes to the disk (a write, a flush, a create, a move, a
// removal) are numbered from 0 after Reset.
namespace faults {
void Reset();
// Opens of path fail, as while another program holds it without sharing.
void Hold(const std::string& path);
// Change number at fails; a write moves keep bytes of its data first.
void FailChange(int64_t at, int64_t keep);
// From change number at on nothing reaches the disk, as when the process
// dies there.
void CrashAt(int64_t at);
// Reads of path that reach byte position fail there, as at a bad sector:
// the bytes before it arrive, then the read reports an error.
void FailReadAt(const std::string& path, int64_t position);
// Changes made or refused since Reset.
int64_t Changes();
// Changes since Reset that are not on the disk yet: writes and creates
// since their file's last flush, removals since their folder's last sync.
int64_t Unflushed();
// The power fails now: of the changes not on the disk the first kept
// survive, the next one torn (a write keeps the first half of its bytes)
// when tear is set, and all later ones are undone, newest first.
void PowerLoss(int64_t kept, bool tear);
// "write NAME" (a run of writes to one file), "flush NAME", "move FROM TO",
// "sync FOLDER" in order, names without their folders.
std::vector<std::string> TakeEvents();
}  // namespace faults
#endif

}  // namespace tolvane::platform
