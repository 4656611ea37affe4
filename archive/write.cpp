// Writing entry data: replacing an entry's data from a file, and adding a file
// as a new last entry.  Data stays in the entry's slot when it fits there and
// otherwise goes to the end of the .img; a slot given up is never reused.
#include <cstring>
#include <vector>

#include "change.h"
#include "failure.h"
#include "memory.h"
#include "notes.h"
#include "operations.h"
#include "placement.h"
#include "platform/host.h"
#include "state.h"
#include "streams.h"

namespace tolvane {
namespace {

using platform::File;
using platform::OpenMode;
using platform::SendNote;
using Bytes = std::vector<unsigned char>;

// Sector numbers are 32-bit: that is as far as an archive can reach.
constexpr int64_t kSectorLimit = int64_t{1} << 32;

// The whole source, in block.  One that exists but cannot be opened or read
// in full, or is too large to hold, fails here, before anything in the
// archive has changed.
const Bytes& ReadSource(const std::string& path, KeptBlock& block) {
    File source(path, OpenMode::SourceRead);
    const int64_t length = source.Length();
    if (length < 0) Fail(MessageWith(kCannotOpenFile, path));
    Bytes& data = block.Zeroed(length);
    const auto read = source.Read(data.data(), length);
    if (read.failed || read.bytes != length) Fail(MessageWith(kCannotOpenFile, path));
    return data;
}

// The data is on the disk before the directory that points at it: in the
// paired layout before the new .dir takes the old one's place, and before
// the change ends when the directory is kept as it is.  (A single-file
// rewrite flushes data and directory together, under the journal.)
void FlushBeforeTheDirectory(const Change& change, File& img) {
    if (!State.SingleFileMode || change.KeepsDirectory()) FlushOrFail(img);
}

// The old slot is saved to the journal first, so that a write cut short can
// be taken back.
void WriteInPlace(Change& change, int32_t index, const Bytes& data, int64_t newSize) {
    SendNote(notes::kSmallerOrSameFile);
    TImgEntry& entry = State.EntryTable[index];
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::ExclusiveStream);
    const int64_t slot = DataOffset(entry);
    std::vector<Range> overwritten = {{slot, SectorsToBytes(entry.size)}};
    // A single-file rewrite follows: the same journal holds the directory.
    if (State.SingleFileMode && !change.KeepsDirectory()) {
        overwritten.emplace_back(0, HeaderAndDirectorySize(State.EntryCount));
    }
    change.SaveBeforeOverwrite(img, overwritten);
    change.RestoreOnUndo(index, entry);
    const int64_t length = static_cast<int64_t>(data.size());
    WriteAt(img, slot, data.data(), length);
    // The rest of the old slot is cleared; it belongs to no entry afterwards.
    ZeroFill(img, slot + length, slot + SectorsToBytes(entry.size));
    FlushBeforeTheDirectory(change, img);
    entry.size = static_cast<uint32_t>(newSize);
}

// The new slot starts at the first sector boundary at or after the old end;
// the gap before it and the slot after the data are zero.
void Append(const Change& change, TImgEntry& entry, const Bytes& data, int64_t newSize) {
    SendNote(notes::kBiggerFile);
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::ExclusiveStream);
    const int64_t oldEnd = img.Length();
    const int64_t start = AlignedAppendPosition(oldEnd);
    if (oldEnd < 0 || start / kSectorSize + newSize > kSectorLimit) Fail(kStreamWriteError);
    const int64_t length = static_cast<int64_t>(data.size());
    ZeroFill(img, oldEnd, start);
    WriteAt(img, start, data.data(), length);
    ZeroFill(img, start + length, start + newSize * kSectorSize);
    FlushBeforeTheDirectory(change, img);
    entry.offset = static_cast<uint32_t>(start / kSectorSize);
    entry.size = static_cast<uint32_t>(newSize);
}

// An in-place write clears the whole old slot: it may reach neither another
// entry's data nor, in the single-file layout, the directory that the rewrite
// after it writes, nor past the end of the .img (a damaged record would
// otherwise grow the file by its size).  The journal holds the old slot in
// one block, so it must fit the memory budget.
bool MayWriteInPlace(int32_t index) {
    const TImgEntry& entry = State.EntryTable[index];
    const int64_t slotBytes = SectorsToBytes(entry.size);
    if (State.SingleFileMode && DataOffset(entry) < HeaderAndDirectorySize(State.EntryCount)) return false;
    if (DataOffset(entry) + slotBytes > platform::LengthOf(ImgPath()) || slotBytes > platform::MemoryBudget()) {
        return false;
    }
    return !SlotIsShared(State.EntryTable, State.EntryCount, index);
}

void WriteEntryData(Change& change, int32_t index, const Bytes& data, uint32_t forceAppend) {
    TImgEntry& entry = State.EntryTable[index];
    const int64_t roundedSize = NextSectorBoundary(static_cast<int64_t>(data.size()));
    if (GoesToEnd(entry.size, roundedSize, forceAppend) || !MayWriteInPlace(index)) {
        Append(change, entry, data, roundedSize / kSectorSize);
        return;
    }
    // The same slot and size: the stored directory stays as it is.
    if (SectorsToBytes(entry.size) == roundedSize && StoredDirectoryIsTheTable()) change.KeepDirectory();
    WriteInPlace(change, index, data, roundedSize / kSectorSize);
}

// The directory follows unless a relocation is moving this block.
void RewriteUnlessRelocating(Change& change) {
    if (!State.RelocationInProgress) WriteDirectory(change);
    change.End();
}

// PutSource once the source's existence test has answered.
bool PutTestedSource(Change& change, int32_t index, const std::string& sourcePath, uint32_t forceAppend,
                     bool sourceExists) {
    SendNote(notes::kReplacing);
    // A slot past the last entry may hold a copy of a live entry, whose data
    // an in-place write would clear.
    if (!IsEntry(index)) Fail(MessageWith(kEntryIndexOutOfRange, index));
    if (!sourceExists) return false;
    SendNote(notes::kSourceExists);
    static Bytes kept;
    KeptBlock block(kept);
    const Bytes& data = ReadSource(sourcePath, block);
    change.Begin();
    RequireReplaceableDirectory();
    WriteEntryData(change, index, data, forceAppend);
    return true;
}

}  // namespace

bool PutSource(Change& change, int32_t index, const std::string& sourcePath, uint32_t forceAppend) {
    const bool sourceExists = IsEntry(index) && platform::SourceExists(sourcePath);
    return PutTestedSource(change, index, sourcePath, forceAppend, sourceExists);
}

bool ReplaceFile(int32_t index, const std::string& sourcePath, uint32_t forceAppend) {
    RequireWholeDirectory();
    Change change;
    if (!PutSource(change, index, sourcePath, forceAppend)) return false;
    RewriteUnlessRelocating(change);
    return true;
}

void AddFile(const std::string& sourcePath) {
    RequireWholeDirectory();
    if (State.EntryCount >= kMaxEntries) Fail(kDirectoryIsFull);
    Change change;
    // Tested once (a directory search, slow in a large folder).  Before the
    // new entry exists: a refused change leaves the table as it was.
    const bool sourceExists = platform::SourceExists(sourcePath);
    if (sourceExists) change.Begin();
    KeepStoredDirectory();
    const int32_t index = State.EntryCount++;
    TImgEntry& entry = State.EntryTable[index];
    const std::string name = StoredEntryName(sourcePath, platform::IsLeadByte);
    // The name and its terminator; the rest of the field keeps its bytes.
    std::memcpy(entry.name, name.c_str(), name.size() + 1);
    entry.offset = 0;
    entry.size = 0;
    if (PutTestedSource(change, index, sourcePath, 1, sourceExists)) RewriteUnlessRelocating(change);
}

}  // namespace tolvane

extern "C" void TOLVANE_CALL IMGReplaceFile(int32_t index, const char* sourcePath, uint32_t forceAppend) {
    tolvane::AtExportBoundary<void>(
        [&] { tolvane::ReplaceFile(index, tolvane::PathArgument(sourcePath), forceAppend); });
}

extern "C" void TOLVANE_CALL IMGAddFile(const char* sourcePath) {
    tolvane::AtExportBoundary<void>([&] { tolvane::AddFile(tolvane::PathArgument(sourcePath)); });
}
