// Opening an archive: layout test and reading the stored directory.
#include "failure.h"
#include "operations.h"
#include "platform/files.h"
#include "state.h"

namespace tolvane {
namespace {

using platform::File;
using platform::OpenMode;

void ReadPairedDirectory() {
    State.ArchivePath = DirPath();
    File dir(State.ArchivePath, OpenMode::WholeFileRead);
    const int64_t length = dir.Length();  // -1 when the open failed
    State.EntryCount = PairedEntryCount(length);
    // The whole file in one transfer: a trailing part shorter than a record
    // lands at the start of slot EntryCount.
    dir.Read(State.EntryTable, PairedBytesToRead(length));
}

void ReadSingleFileDirectory() {
    State.ArchivePath = ImgPath();
    File img(State.ArchivePath, OpenMode::WholeFileRead);
    // A short or failed read keeps the earlier header bytes: the count then
    // comes from whatever the buffer holds.
    img.Read(&State.HeaderBuffer, sizeof State.HeaderBuffer);
    State.EntryCount = ClampHeaderCount(State.HeaderBuffer.count);
    img.Read(State.EntryTable, State.EntryCount * kEntrySize);
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
}

}  // namespace tolvane

extern "C" int32_t TOLVANE_CALL IMGLoadImg(const char* path) {
    return tolvane::AtExportBoundary<int32_t>([&] {
        tolvane::LoadImg(path);
        return 0;
    });
}
