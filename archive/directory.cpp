// Writing the directory back to disk: the whole .dir of a paired archive, or
// the header and directory at the start of a single-file .img, after moving
// every data block that the directory would reach to the end of the file.
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

// Deletes a file at the end of the scope unless told to keep it.
class RemovedAtExit {
public:
    explicit RemovedAtExit(std::string path) : path_(std::move(path)) {}
    ~RemovedAtExit() {
        if (!path_.empty()) platform::RemoveFile(path_);
    }
    RemovedAtExit(const RemovedAtExit&) = delete;
    RemovedAtExit& operator=(const RemovedAtExit&) = delete;
    const std::string& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// Unique to this process, so that two processes never share one.
std::string ScratchPath() { return platform::TempFolder() + "tolvbuf-" + std::to_string(platform::ProcessId()); }

// Writes the whole content beside path and then moves it over path, so that a
// failure leaves the old file whole.  A file that is read-only or held open
// elsewhere is refused as a create would refuse it.
void ReplaceWhole(const std::string& path, const std::string& tempPath, const void* data, int64_t count) {
    if (!platform::IsReplaceable(path)) Fail(MessageWith(kCannotCreateFile, path));
    RemovedAtExit temp(tempPath);
    {
        File file(temp.Path(), OpenMode::Create);
        if (!file.IsOpen()) Fail(MessageWith(kCannotCreateFile, path));
        WriteAt(file, 0, data, count);
        // On the disk before it takes the old one's place, lest a power
        // loss leave a moved file without its records.
        FlushOrFail(file);
    }
    if (!platform::ReplaceWith(temp.Path(), path)) Fail(MessageWith(kCannotCreateFile, path));
    temp.Keep();
}

// Clears the flag however the relocation ends, so that later replaces
// rewrite the directory as usual.
class RelocationScope {
public:
    RelocationScope() { State.RelocationInProgress = true; }
    ~RelocationScope() { State.RelocationInProgress = false; }
    RelocationScope(const RelocationScope&) = delete;
    RelocationScope& operator=(const RelocationScope&) = delete;
};

// Moves the entry's whole slot to the end of the .img through a scratch file;
// its size grows by one sector.
void Relocate(Change& change, int32_t index) {
    RelocationScope relocating;
    RemovedAtExit scratch(ScratchPath());
    ExportFile(index, scratch.Path());
    // Should the scratch file not count as present, the block has not moved
    // and the directory must not be written over it.
    if (!PutSource(change, index, scratch.Path(), 1)) Fail(MessageWith(kCannotOpenFile, scratch.Path()));
}

int64_t ImgLength() {
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::ExclusiveStream);
    return img.Length();
}

void SendRewriteNotes(int64_t directoryEnd, int64_t imgLength) {
    const Block lowest = LowestBlock(State.EntryTable, State.EntryCount, imgLength);
    SendNote(notes::HeaderAndDirectorySize(directoryEnd));
    SendNote(notes::FirstEntryAt(DataOffset(State.EntryTable[0])));
    SendNote(notes::FirstBlockOccupiedBy(EntryName(State.EntryTable[lowest.index].name), lowest.position));
}

TImgHeader HeaderOfTable() {
    TImgHeader header;
    std::memcpy(header.magic, "VER2", 4);
    header.count = State.EntryCount;
    return header;
}

// Bytes of the stored directory: the records, after the header in the
// single-file layout.
int64_t DirectoryLength() {
    return State.SingleFileMode ? HeaderAndDirectorySize(State.EntryCount) : State.EntryCount * kEntrySize;
}

// Header and records in one write over the old ones, which the journal
// holds until the new ones are on the disk (the moved blocks with them).
void WriteHeaderAndDirectory(Change& change) {
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::ExclusiveStream);
    const int64_t directoryEnd = DirectoryLength();
    change.SaveBeforeOverwrite(img, {{0, directoryEnd}});
    const TImgHeader header = HeaderOfTable();
    std::vector<unsigned char> image = ZeroedBlock(directoryEnd);
    std::memcpy(image.data(), &header, kHeaderSize);
    std::memcpy(image.data() + kHeaderSize, State.EntryTable, image.size() - kHeaderSize);
    WriteAt(img, 0, image.data(), static_cast<int64_t>(image.size()));
    FlushOrFail(img);
    State.HeaderBuffer = header;
    TableIsStored(directoryEnd);
}

void RewriteSingleFile(Change& change) {
    const int64_t imgLength = ImgLength();
    const int64_t directoryEnd = HeaderAndDirectorySize(State.EntryCount);
    SendRewriteNotes(directoryEnd, imgLength);
    if (change.KeepsDirectory()) {
        State.HeaderBuffer = HeaderOfTable();
        return TableIsStored(directoryEnd);
    }
    // Lowest first, one at a time: each move lengthens the .img, so the loop
    // ends once every block lies beyond the directory.
    while (const auto block = BlockInTheWay(State.EntryTable, State.EntryCount, directoryEnd)) {
        SendNote(notes::Relocating(EntryName(State.EntryTable[block->index].name), block->position));
        Relocate(change, block->index);
    }
    WriteHeaderAndDirectory(change);
}

}  // namespace

bool StoredDirectoryIsTheTable() {
    const int64_t length = DirectoryLength();
    if (State.SingleFileMode && BlockInTheWay(State.EntryTable, State.EntryCount, length)) return false;
    const TImgHeader header = HeaderOfTable();
    const int64_t at = State.SingleFileMode ? kHeaderSize : 0;
    // While the table holds the stored directory, only its length and its
    // header can differ.
    if (State.TableHoldsStored) {
        return State.StoredLength == length && (at == 0 || std::memcmp(&State.HeaderBuffer, &header, kHeaderSize) == 0);
    }
    const std::vector<unsigned char>& known = State.StoredCopy;
    return static_cast<int64_t>(known.size()) == length &&
           (at == 0 || std::memcmp(known.data(), &header, kHeaderSize) == 0) &&
           std::memcmp(known.data() + at, State.EntryTable, static_cast<size_t>(length - at)) == 0;
}

void WriteDirectory(Change& change) {
    if (State.SingleFileMode) return RewriteSingleFile(change);
    const int64_t length = DirectoryLength();
    // The .dir is left as it is, with the file it is, when it holds the table.
    if (!change.KeepsDirectory()) ReplaceWhole(DirPath(), NewDirPath(), State.EntryTable, length);
    TableIsStored(length);
}

void ReDoDir() {
    RequireWholeDirectory();
    Change change;
    change.Begin();
    WriteDirectory(change);
    change.End();
}

}  // namespace tolvane

extern "C" void TOLVANE_CALL IMGReDoDir(void) { tolvane::AtExportBoundary<void>([] { tolvane::ReDoDir(); }); }
