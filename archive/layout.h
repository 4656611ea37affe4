// Sector arithmetic, derived paths and directory sizes of IMG archives.
// Plain functions over plain data: no state, no files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tolvane {

constexpr int64_t kSectorSize = 2048;
constexpr int32_t kMaxEntries = 65536;
constexpr int64_t kEntrySize = 32;
constexpr int64_t kHeaderSize = 8;
// Largest directory that fits the entry table.
constexpr int64_t kMaxDirectoryBytes = kMaxEntries * kEntrySize;

// Smallest multiple of the sector size strictly greater than length: a length
// that is already whole sectors gets one sector more (0 -> 2048, 2048 -> 4096).
constexpr int64_t NextSectorBoundary(int64_t length) {
    const int64_t wholeSectors =
        length >= 0 ? length / kSectorSize : -((-length - 1) / kSectorSize) - 1;  // floor
    return (wholeSectors + 1) * kSectorSize;
}

constexpr int64_t SectorsToBytes(uint32_t sectors) {
    return static_cast<int64_t>(sectors) * kSectorSize;
}

// Tells whether a byte starts a two-byte character in the ANSI code page.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// Position of the last character of path that is one of marks, npos when
// there is none.  Trail bytes of two-byte characters never count.
std::string::size_type LastDelimiter(const std::string& path, const char* marks,
                                     const LeadBytePredicate& isLeadByte);

// path with its extension replaced by extension (".img", ".dir"): the part
// after the last '.' goes when no '\', '/' or ':' follows that dot; otherwise
// the extension is appended.
std::string ReplaceExtension(const std::string& path, const std::string& extension,
                             const LeadBytePredicate& isLeadByte);

// The name an added file gets: the part after the last '\', '/' (Windows
// takes both as folder separators) or ':', cut to
// what a name field holds with its terminator (23 bytes), never in the middle
// of a two-byte character.
std::string StoredEntryName(const std::string& sourcePath, const LeadBytePredicate& isLeadByte);
constexpr std::string::size_type kMaxStoredNameLength = 23;

// An entry's name as text: up to its first zero byte, all 24 bytes without one.
std::string EntryName(const char (&field)[24]);

// Where appended data starts: the first sector boundary at or after the end
// of the file, so nothing in an incomplete last sector is overwritten.
constexpr int64_t AlignedAppendPosition(int64_t imgLength) {
    return (imgLength + kSectorSize - 1) / kSectorSize * kSectorSize;
}

// Bytes taken by the header and directory of a single-file archive.
constexpr int64_t HeaderAndDirectorySize(int32_t entryCount) {
    return entryCount * kEntrySize + kHeaderSize;
}

// Entries held by a paired directory of the given length (-1 when the file
// could not be opened), within what the entry table can hold.
int32_t PairedEntryCount(int64_t dirLength);

// Bytes of a paired directory that are read into the entry table.
int64_t PairedBytesToRead(int64_t dirLength);

// Entries promised by a single-file header, within what the table holds.
int32_t ClampHeaderCount(int32_t headerCount);

// Sectors of the .img that entries may use: the whole file in the paired
// layout, the file less header and directory (exactly, not in whole sectors)
// in the single-file layout.  Truncates toward zero.
int64_t ArchiveSectors(int64_t imgLength, int32_t entryCount, bool singleFile);

// Share of the archive sectors that the used sectors do not account for, in
// whole percent truncated toward zero; negative when entries overlap or reach
// past the end.  0 when there are no archive sectors to divide by.
int32_t FragmentationFigure(int64_t archiveSectors, uint32_t usedSectors);

}  // namespace tolvane
