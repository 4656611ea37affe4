// The open archive: process-wide state shared by every export.  All zero when
// the library is loaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layout.h"
#include "tolvane.h"

namespace tolvane {

struct ArchiveState {
    TImgEntry EntryTable[kMaxEntries];
    int32_t EntryCount;
    std::string ArchivePath;  // the .dir path (paired) or the .img path
    bool SingleFileMode;
    bool RelocationInProgress;
    alignas(4) TImgHeader HeaderBuffer;  // last header read by an open or written by a rewrite
    // Set by an open that read the stored directory whole; the archive's
    // files are written only then, lest a rewrite store a partial directory.
    bool DirectoryReadWhole;
    // The stored directory as the library last read or wrote it (the .dir,
    // or the single-file header and records), to tell whether another
    // program has changed it since.  While the entry table (and the header)
    // still hold it byte for byte, it is not copied.
    int64_t StoredLength;
    bool TableHoldsStored;
    std::vector<unsigned char> StoredCopy;
};

extern ArchiveState State;

// Derived paths, formed anew from ArchivePath on every use.
std::string ImgPath();
std::string DirPath();
// The rollback journal beside the .img, and the new .dir written beside the
// old one: short, so that they fit wherever the archive's own paths do.
std::string JournalPath();
std::string NewDirPath();

}  // namespace tolvane

namespace tolvane {
// True when index names a slot of EntryTable (0..65535).
bool InTable(int32_t index);
// True when index names one of the open archive's entries.
bool IsEntry(int32_t index);
// Fails with "Directory of %s was not read whole" unless the last open read
// the stored directory whole; every write of the archive's files asks first.
void RequireWholeDirectory();

// The entry table now holds the stored directory, length bytes of it.
void TableIsStored(int64_t length);
// Copies the stored directory out of the entry table before the table
// changes in memory: StoredCopy then holds it.
void KeepStoredDirectory();
}  // namespace tolvane
