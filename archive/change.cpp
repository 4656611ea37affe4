#include "change.h"

#include <algorithm>
#include <cstring>

#include "failure.h"
#include "journal.h"
#include "memory.h"
#include "state.h"
#include "streams.h"

namespace tolvane {
namespace {

using platform::File;
using platform::OpenMode;

// One block for every change's copy of the directory, kept between calls
// (one change at a time).
std::vector<unsigned char>& DirectoryBefore() {
    static std::vector<unsigned char> kept;
    return kept;
}

// count bytes of file from position at destination, all of them: a read
// that fails or stops short is a failure.
void ReadInto(File& file, const std::string& path, int64_t position, unsigned char* destination, int64_t count) {
    if (count == 0) return;
    const auto read = file.Seek(position) ? file.Read(destination, count) : File::ReadResult{0, true};
    if (read.failed || read.bytes != count) Fail(MessageWith(kCannotOpenFile, path));
}

// length bytes of file from position; a read that fails is a failure.
Bytes ReadExactly(File& file, const std::string& path, int64_t position, int64_t length) {
    Bytes bytes = ZeroedBlock(length);
    if (length == 0) return bytes;
    const auto read = file.Seek(position) ? file.Read(bytes.data(), length) : File::ReadResult{0, true};
    if (read.failed) Fail(MessageWith(kCannotOpenFile, path));
    bytes.resize(static_cast<size_t>(read.bytes));
    return bytes;
}

Bytes ReadWhole(const std::string& path) {
    File file;
    OpenOrFail(file, path, OpenMode::SourceRead);
    return ReadExactly(file, path, 0, file.Length());
}

// Whether the file begins with these bytes.  Compared a piece at a time in
// one block kept from call to call (calls never overlap): a directory of
// megabytes costs no allocation.  A read that fails is a failure.
bool BeginsWith(File& file, const std::string& path, const Bytes& expected) {
    static unsigned char piece[16384];
    if (!file.Seek(0)) Fail(MessageWith(kCannotOpenFile, path));
    for (size_t at = 0; at < expected.size();) {
        const auto count = static_cast<int64_t>(std::min(sizeof piece, expected.size() - at));
        const auto read = file.Read(piece, count);
        if (read.failed) Fail(MessageWith(kCannotOpenFile, path));
        if (read.bytes != count || std::memcmp(piece, expected.data() + at, static_cast<size_t>(count)) != 0) {
            return false;
        }
        at += static_cast<size_t>(count);
    }
    return true;
}

// Whether the stored directory on disk is still known, byte for byte.
bool StoredDirectoryIs(const Bytes& known) {
    if (!State.SingleFileMode) {
        // One held elsewhere cannot be replaced either, as a create would say.
        File dir(DirPath(), OpenMode::SourceRead);
        if (!dir.IsOpen() && platform::LengthOf(DirPath()) >= 0) Fail(MessageWith(kCannotCreateFile, DirPath()));
        return dir.Length() == static_cast<int64_t>(known.size()) && BeginsWith(dir, DirPath(), known);
    }
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::SourceRead);
    // A new archive too short for a header must still be that.
    const int64_t length = img.Length();
    if (known.size() < kHeaderSize && length != static_cast<int64_t>(known.size())) return false;
    return BeginsWith(img, ImgPath(), known);
}

// Paired layout: whether the .dir still holds the directory the change was
// to replace, so that the change never took effect.
bool DirectoryUnchangedSince(const Journal& journal) {
    if (platform::LengthOf(DirPath()) != journal.directoryLength) return false;
    const Bytes dir = ReadWhole(DirPath());
    return Checksum(dir.data(), dir.size()) == journal.directoryChecksum;
}

}  // namespace

bool TakeBackUnfinishedChange() {
    const std::string path = JournalPath();
    if (platform::LengthOf(path) < 0) return false;
    // Held without sharing, so that no other program changes it meanwhile.
    File img;
    OpenOrFail(img, ImgPath(), OpenMode::ExclusiveStream);
    // A torn journal was being written: the .img was not touched yet.
    const auto journal = ParseJournal(ReadWhole(path));
    const bool takeBack = journal && (!journal->whileDirectoryIs || DirectoryUnchangedSince(*journal));
    if (takeBack) {
        for (const SavedRange& range : journal->saved) {
            WriteAt(img, range.position, range.bytes.data(), static_cast<int64_t>(range.bytes.size()));
        }
        FlushOrFail(img);
    }
    if (!platform::RemoveFile(path)) Fail(MessageWith(kCannotCreateFile, path));
    return takeBack;
}

void Change::Begin() {
    if (begun_) return;
    begun_ = true;
    // Checked before anything changes, so that no data goes in that the
    // directory could not follow.
    for (const std::string& path : {JournalPath(), NewDirPath()}) {
        if (!platform::PathFits(path)) Fail(MessageWith(kCannotCreateFile, path));
    }
    TakeBackUnfinishedChange();
    // Kept apart from the table, which the change is about to alter.
    KeepStoredDirectory();
    if (!StoredDirectoryIs(State.StoredCopy)) Fail(MessageWith(kDirectoryChanged, State.ArchivePath));
}

void RequireReplaceableDirectory() {
    if (!State.SingleFileMode && !platform::IsReplaceable(DirPath())) Fail(MessageWith(kCannotCreateFile, DirPath()));
}

void Change::SaveBeforeOverwrite(File& img, const std::vector<Range>& ranges) {
    if (journaled_) return;
    // Nothing stored the table yet: the copy is the directory at the start.
    knownBefore_.assign(State.StoredCopy.begin(), State.StoredCopy.end());
    Journal journal;
    if (!State.SingleFileMode) {
        journal.whileDirectoryIs = true;
        journal.directoryChecksum = Checksum(knownBefore_.data(), knownBefore_.size());
        journal.directoryLength = static_cast<int64_t>(knownBefore_.size());
    }
    const int64_t length = img.Length();
    std::vector<Range> saved;
    for (const auto& [position, count] : ranges) {
        // Bytes past the end of the .img are not there to be saved.
        saved.emplace_back(position, std::clamp<int64_t>(length - position, 0, count));
        CheckedSize(saved.back().second);
    }
    static Bytes kept;
    KeptBlock block(kept);
    Bytes& image = block.Emptied();
    JournalImage(journal, saved, [&](int64_t position, unsigned char* destination, int64_t count) {
        ReadInto(img, ImgPath(), position, destination, count);
    }, image);
    File file;
    OpenOrFail(file, JournalPath(), OpenMode::Create);
    journaled_ = true;
    WriteAt(file, 0, image.data(), static_cast<int64_t>(image.size()));
    FlushOrFail(file);
    if (!platform::SyncFolderOf(JournalPath())) Fail(kStreamWriteError);
}

Change::Change() : knownBefore_(DirectoryBefore()), keptBefore_(knownBefore_) {}

void Change::RestoreOnUndo(int32_t index, const TImgEntry& before) { restore_.emplace_back(index, before); }

void Change::End() {
    ended_ = true;
    if (journaled_ && !platform::RemoveFile(JournalPath())) {
        ended_ = false;
        Fail(MessageWith(kCannotCreateFile, JournalPath()));
    }
}

Change::~Change() {
    if (!journaled_ || ended_) return;
    // Should the journal stay (the .img held elsewhere), the next change or
    // open takes the change back: the table then describes the old bytes.
    try {
        if (!TakeBackUnfinishedChange()) return;
    } catch (...) {
    }
    for (const auto& [index, before] : restore_) State.EntryTable[index] = before;
    State.StoredCopy.assign(knownBefore_.begin(), knownBefore_.end());
    State.TableHoldsStored = false;
}

}  // namespace tolvane
