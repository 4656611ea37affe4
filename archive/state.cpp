#include "state.h"

#include "failure.h"
#include "paths.h"

namespace tolvane {

// Static storage: zero-initialised before any code of the library runs.
ArchiveState State;

std::string ImgPath() { return ImgPathOf(State.ArchivePath); }
std::string DirPath() { return DirPathOf(State.ArchivePath); }

bool InTable(int32_t index) { return index >= 0 && index < kMaxEntries; }

bool IsEntry(int32_t index) { return index >= 0 && index < State.EntryCount; }

void RequireWholeDirectory() {
    if (!State.DirectoryReadWhole) Fail(MessageWith(kDirectoryNotReadWhole, State.ArchivePath));
}

}  // namespace tolvane
