// Opening an archive: layout test and reading the stored directory.
#include <cstring>

#include "failure.h"
#include "operations.h"
#include "platform/files.h"
#include "state.h"

namespace tolvane {
namespace {

using platform::File;
using platform::OpenMode;

// A .dir that cannot be opened gives the length -1 and so no entries; one of
// more records than the table holds is read only in part.
void ReadPairedDirectory() {
    State.ArchivePath = DirPath();
    File dir(State.ArchivePath, OpenMode::WholeFileRead);
    const int64_t length = dir.Length();
    State.EntryCount = PairedEntryCount(length);
    // The whole file in one transfer: a trailing part shorter than a record
    // lands at the start of slot EntryCount.
    const int64_t count = PairedBytesToRead(length);
    const bool readAll = dir.IsOpen() && dir.Read(State.EntryTable, count) == count;
    State.DirectoryReadWhole = readAll && length / kEntrySize <= kMaxEntries;
}

bool HasMagic(const TImgHeader& header) { return std::memcmp(header.magic, "VER2", 4) == 0; }

// A file too short for a header is a new, empty archive.
void StartEmptySingleFile() {
    std::memcpy(State.HeaderBuffer.magic, "VER2", 4);
    State.HeaderBuffer.count = 0;
    State.EntryCount = 0;
    State.DirectoryReadWhole = true;
}

void ReadSingleFileDirectory() {
    State.ArchivePath = ImgPath();
    File img(State.ArchivePath, OpenMode::WholeFileRead);
    if (img.IsOpen() && img.Length() < kHeaderSize) return StartEmptySingleFile();
    // A failed read keeps the earlier header: the count then comes from
    // whatever the buffer holds, and the directory counts as not read.
    const bool header = img.Read(&State.HeaderBuffer, kHeaderSize) == kHeaderSize;
    State.EntryCount = ClampHeaderCount(State.HeaderBuffer.count);
    const int64_t records = State.EntryCount * kEntrySize;
    const bool readAll = header && img.Read(State.EntryTable, records) == records;
    // Without the magic it is most often the data file of a pair whose .dir
    // is missing.
    State.DirectoryReadWhole = readAll && HasMagic(State.HeaderBuffer) && State.HeaderBuffer.count <= kMaxEntries;
}

}  // namespace

void LoadImg(const char* path) {
    State.ArchivePath = PathArgument(path);
    State.SingleFileMode = false;
    State.RelocationInProgress = false;
    // The layout test has a side effect the format relies on: both files end
    // up with the archive attribute alone.
    State.SingleFileMode = !platform::SetArchiveAttributeOnly(DirPath());
    platform::SetArchiveAttributeOnly(ImgPath());
    if (State.SingleFileMode) {
        ReadSingleFileDirectory();
    } else {
        ReadPairedDirectory();
    }
    if (!State.DirectoryReadWhole) Warn(MessageWith(kDirectoryNotReadWhole, State.ArchivePath));
}

}  // namespace tolvane

extern "C" int32_t TOLVANE_CALL IMGLoadImg(const char* path) {
    return tolvane::AtExportBoundary<int32_t>([&] {
        tolvane::LoadImg(path);
        return 0;
    });
}
