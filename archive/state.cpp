#include "state.h"

#include <cstdio>

#include "failure.h"
#include "memory.h"
#include "paths.h"
#include "platform/files.h"

namespace tolvane {

// Static storage: zero-initialised before any code of the library runs.
ArchiveState State;

std::string ImgPath() { return ImgPathOf(State.ArchivePath); }
std::string DirPath() { return DirPathOf(State.ArchivePath); }
std::string JournalPath() { return ImgPath() + "-journal"; }

// A name of this process, so that two processes never write one file.
std::string NewDirPath() {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "~%lx", platform::ProcessId() & 0xFFFFFFFFul);
    return DirPath() + suffix;
}

bool InTable(int32_t index) { return index >= 0 && index < kMaxEntries; }

bool IsEntry(int32_t index) { return index >= 0 && index < State.EntryCount; }

void RequireWholeDirectory() {
    if (!State.DirectoryReadWhole) Fail(MessageWith(kDirectoryNotReadWhole, State.ArchivePath));
}

void TableIsStored(int64_t length) {
    State.StoredLength = length;
    State.TableHoldsStored = true;
    // The memory of a directory of everyday size stays for the next copy.
    State.StoredCopy.clear();
    if (State.StoredCopy.capacity() > kEverydayBlock) State.StoredCopy.shrink_to_fit();
}

void KeepStoredDirectory() {
    if (!State.TableHoldsStored) return;
    const auto* header = reinterpret_cast<const unsigned char*>(&State.HeaderBuffer);
    const auto* table = reinterpret_cast<const unsigned char*>(State.EntryTable);
    const size_t headerSize = State.SingleFileMode ? kHeaderSize : 0;
    State.StoredCopy.assign(header, header + headerSize);
    const auto records = static_cast<size_t>(State.StoredLength) - headerSize;
    State.StoredCopy.insert(State.StoredCopy.end(), table, table + records);
    State.TableHoldsStored = false;
}

}  // namespace tolvane
