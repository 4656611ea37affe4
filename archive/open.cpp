// Opening an archive: layout test and reading the stored directory.
#include <cstring>

#include "change.h"
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
    const auto read = dir.Read(State.EntryTable, count);
    State.DirectoryReadWhole = !read.failed && read.bytes == count && length / kEntrySize <= kMaxEntries;
    TableIsStored(count);
}

bool HasMagic(const TImgHeader& header) { return std::memcmp(header.magic, "VER2", 4) == 0; }

// A file too short for a header is a new, empty archive.
void StartEmptySingleFile(File& img) {
    std::memcpy(State.HeaderBuffer.magic, "VER2", 4);
    State.HeaderBuffer.count = 0;
    State.EntryCount = 0;
    // What it holds, so that a header another program writes meanwhile is
    // not written over.
    State.StoredCopy.assign(static_cast<size_t>(img.Length()), 0);
    const auto read = img.Read(State.StoredCopy.data(), img.Length());
    State.TableHoldsStored = false;
    State.DirectoryReadWhole = !read.failed && read.bytes == img.Length();
}

void ReadSingleFileDirectory() {
    State.ArchivePath = ImgPath();
    File img(State.ArchivePath, OpenMode::WholeFileRead);
    if (img.IsOpen() && img.Length() < kHeaderSize) return StartEmptySingleFile(img);
    // A failed read keeps the earlier header: the count then comes from
    // whatever the buffer holds, and the directory counts as not read.
    const auto header = img.Read(&State.HeaderBuffer, kHeaderSize);
    State.EntryCount = ClampHeaderCount(State.HeaderBuffer.count);
    const int64_t records = State.EntryCount * kEntrySize;
    const bool headerRead = !header.failed && header.bytes == kHeaderSize;
    const auto read = headerRead ? img.Read(State.EntryTable, records) : File::ReadResult{0, true};
    // Without the magic it is most often the data file of a pair whose .dir
    // is missing; a count outside the table is a damaged header.
    const int32_t count = State.HeaderBuffer.count;
    State.DirectoryReadWhole = !read.failed && read.bytes == records && HasMagic(State.HeaderBuffer) && count >= 0 &&
                               count <= kMaxEntries;
    TableIsStored(kHeaderSize + records);
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
    // A change cut short is taken back before its directory is read; one
    // that cannot be leaves the directory unread.
    bool journalLeft = false;
    try {
        TakeBackUnfinishedChange();
    } catch (const ArchiveError&) {
        journalLeft = true;
    }
    if (State.SingleFileMode) {
        ReadSingleFileDirectory();
    } else {
        ReadPairedDirectory();
    }
    if (journalLeft) State.DirectoryReadWhole = false;
    if (!State.DirectoryReadWhole) Warn(MessageWith(kDirectoryNotReadWhole, State.ArchivePath));
}

}  // namespace tolvane

extern "C" int32_t TOLVANE_CALL IMGLoadImg(const char* path) {
    return tolvane::AtExportBoundary<int32_t>([&] {
        tolvane::LoadImg(path);
        return 0;
    });
}
