#include "state.h"

#include "platform/files.h"

namespace tolvane {

// Static storage: zero-initialised before any code of the library runs.
ArchiveState State;

std::string ImgPathOf(const std::string& path) {
    return ReplaceExtension(path, ".img", platform::IsLeadByte);
}

std::string DirPathOf(const std::string& path) {
    return ReplaceExtension(path, ".dir", platform::IsLeadByte);
}

std::string ImgPath() { return ImgPathOf(State.ArchivePath); }
std::string DirPath() { return DirPathOf(State.ArchivePath); }

bool InTable(int32_t index) { return index >= 0 && index < kMaxEntries; }

bool IsEntry(int32_t index) { return index >= 0 && index < State.EntryCount; }

}  // namespace tolvane
