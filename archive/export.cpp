// Taking an entry's data out of the archive: into a file or a caller's buffer.
#include <vector>

#include "failure.h"
#include "operations.h"
#include "placement.h"
#include "state.h"
#include "streams.h"

namespace tolvane {
namespace {

using platform::File;
using platform::OpenMode;

const TImgEntry& SlotOrFail(int32_t index) {
    if (!InTable(index)) Fail(MessageWith(kEntryIndexOutOfRange, index));
    return State.EntryTable[index];
}

// Reads the entry's data into destination; a read that reaches the end of
// the .img leaves the rest of destination as it was.
void ReadEntryData(File& img, const TImgEntry& entry, void* destination) {
    const int64_t count = SectorsToBytes(entry.size);
    if (count > 0 && img.Seek(DataOffset(entry))) img.Read(destination, count);
}

}  // namespace

void ExportFile(int32_t index, const std::string& targetPath) {
    const TImgEntry& entry = SlotOrFail(index);
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::SharedStream);
    // Zero-initialised, so bytes beyond the end of the .img are zero.
    std::vector<unsigned char> data(static_cast<size_t>(SectorsToBytes(entry.size)));
    ReadEntryData(img, entry, data.data());
    // Created only now, with the .img still open: a failure so far leaves an
    // existing target untouched, and the .img itself cannot be the target.
    File target;
    OpenOrFail(target, targetPath, OpenMode::Create);
    WriteAt(target, 0, data.data(), static_cast<int64_t>(data.size()));
}

void ExportBuffer(int32_t index, void* buffer) {
    const TImgEntry& entry = SlotOrFail(index);
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::SharedStream);
    ReadEntryData(img, entry, buffer);
}

}  // namespace tolvane

extern "C" void TOLVANE_CALL IMGExportFile(int32_t index, const char* targetPath) {
    tolvane::AtExportBoundary<void>([&] { tolvane::ExportFile(index, tolvane::PathArgument(targetPath)); });
}

extern "C" void TOLVANE_CALL IMGExportBuffer(int32_t index, void* buffer) {
    tolvane::AtExportBoundary<void>([&] { tolvane::ExportBuffer(index, buffer); });
}
