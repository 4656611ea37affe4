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
};

extern ArchiveState State;

// Derived paths, formed anew from ArchivePath on every use.
std::string ImgPath();
std::string DirPath();

// Both paths derived from any path, with the system's two-byte rule.
std::string ImgPathOf(const std::string& path);
std::string DirPathOf(const std::string& path);

}  // namespace tolvane

namespace tolvane {
// True when index names a slot of EntryTable (0..65535).
bool InTable(int32_t index);
// True when index names one of the open archive's entries.
bool IsEntry(int32_t index);
}  // namespace tolvane
