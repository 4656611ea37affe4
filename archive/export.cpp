// Taking an entry's data out of the archive: into a file or a caller's buffer.
#include <cstring>
#include <memory>
#include <vector>

#include "failure.h"
#include "memory.h"
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

// Reads count bytes of the entry's data into destination and gives the bytes
// that arrived: fewer where the .img ends.  A read that fails is a failure,
// never an end of the file.
int64_t ReadEntryData(File& img, const TImgEntry& entry, unsigned char* destination, size_t count) {
    if (count == 0) return 0;
    const auto read = img.Seek(DataOffset(entry)) ? img.Read(destination, static_cast<int64_t>(count))
                                                  : File::ReadResult{0, true};
    if (read.failed) Fail(MessageWith(kCannotOpenFile, ImgPath()));
    return read.bytes;
}

// A block to read into: one kept from call to call for entries of everyday
// size, which spares each export an allocation and its page faults.
unsigned char* AsideBlock(size_t count, std::unique_ptr<unsigned char[]>& large) {
    static std::vector<unsigned char> kept;
    if (count > kEverydayBlock) {
        large.reset(new unsigned char[count]);
        return large.get();
    }
    if (kept.empty()) kept.resize(kEverydayBlock);
    return kept.data();
}

}  // namespace

void ExportFile(int32_t index, const std::string& targetPath) {
    const TImgEntry& entry = SlotOrFail(index);
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::SharedStream);
    // Zero-initialised, so bytes beyond the end of the .img are zero.
    auto data = ZeroedBlock(SectorsToBytes(entry.size));
    ReadEntryData(img, entry, data.data(), data.size());
    // Created only now, with the .img still open: a failure so far leaves an
    // existing target untouched, and the .img itself cannot be the target.
    File target;
    OpenOrFail(target, targetPath, OpenMode::Create);
    WriteAt(target, 0, data.data(), static_cast<int64_t>(data.size()));
}

void ExportBuffer(int32_t index, void* buffer) {
    const TImgEntry& entry = SlotOrFail(index);
    // Also for an empty entry: a host's missing buffer is a fault to report
    // whatever the entry it asked for.
    RequirePointer(buffer);
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::SharedStream);
    // A count that no 32-bit caller could hold is refused on every build,
    // so that hosts get the same answer from both.
    const size_t count = CheckedSize(SectorsToBytes(entry.size));
    // Read aside first: a read that fails part way leaves the buffer as the
    // caller had it.  Only the bytes that arrived are copied.
    std::unique_ptr<unsigned char[]> large;
    unsigned char* aside = AsideBlock(count, large);
    const int64_t arrived = ReadEntryData(img, entry, aside, count);
    std::memcpy(buffer, aside, static_cast<size_t>(arrived));
}

}  // namespace tolvane

extern "C" void TOLVANE_CALL IMGExportFile(int32_t index, const char* targetPath) {
    tolvane::AtExportBoundary<void>([&] { tolvane::ExportFile(index, tolvane::PathArgument(targetPath)); });
}

extern "C" void TOLVANE_CALL IMGExportBuffer(int32_t index, void* buffer) {
    tolvane::AtExportBoundary<void>([&] { tolvane::ExportBuffer(index, buffer); });
}
