// The open archive: process-wide state shared by every export.  All zero when
// the library is loaded.
#pragma once

#include <cstdint>
#include <string>

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
};

extern ArchiveState State;

// Derived paths, formed anew from ArchivePath on every use.
std::string ImgPath();
std::string DirPath();

}  // namespace tolvane

namespace tolvane {
// True when index names a slot of EntryTable (0..65535).
bool InTable(int32_t index);
// True when index names one of the open archive's entries.
bool IsEntry(int32_t index);
// Fails with "Directory of %s was not read whole" unless the last open read
// the stored directory whole; every write of the archive's files asks first.
void RequireWholeDirectory();
}  // namespace tolvane
