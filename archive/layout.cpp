#include "layout.h"

#include <algorithm>
#include <cstring>

namespace tolvane {

std::string::size_type LastDelimiter(const std::string& path, const char* marks,
                                     const LeadBytePredicate& isLeadByte) {
    std::string::size_type lastMark = std::string::npos;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (std::strchr(marks, c) != nullptr && c != '\0') {
            lastMark = i;
        } else if (isLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
            ++i;  // the trail byte is part of this character
        }
    }
    return lastMark;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension,
                             const LeadBytePredicate& isLeadByte) {
    const auto lastMark = LastDelimiter(path, ".\\/:", isLeadByte);
    if (lastMark != std::string::npos && path[lastMark] == '.') {
        return path.substr(0, lastMark) + extension;
    }
    return path + extension;
}

std::string StoredEntryName(const std::string& sourcePath, const LeadBytePredicate& isLeadByte) {
    const auto lastMark = LastDelimiter(sourcePath, "\\/:", isLeadByte);
    const std::string name =
        lastMark == std::string::npos ? sourcePath : sourcePath.substr(lastMark + 1);
    std::string::size_type end = 0;
    while (end < name.size()) {
        const bool twoBytes = isLeadByte(static_cast<unsigned char>(name[end])) && end + 1 < name.size();
        const std::string::size_type next = end + (twoBytes ? 2 : 1);
        if (next > kMaxStoredNameLength) break;
        end = next;
    }
    return name.substr(0, end);
}

std::string EntryName(const char (&field)[24]) {
    const void* zero = std::memchr(field, '\0', sizeof field);
    const auto length = zero ? static_cast<const char*>(zero) - field : sizeof field;
    return std::string(field, static_cast<std::string::size_type>(length));
}

int32_t PairedEntryCount(int64_t dirLength) {
    // A trailing part shorter than a record is no entry; -1 gives 0.
    return static_cast<int32_t>(std::min<int64_t>(dirLength / kEntrySize, kMaxEntries));
}

int64_t PairedBytesToRead(int64_t dirLength) {
    return std::clamp<int64_t>(dirLength, 0, kMaxDirectoryBytes);
}

int32_t ClampHeaderCount(int32_t headerCount) {
    return std::clamp<int32_t>(headerCount, 0, kMaxEntries);
}

int64_t ArchiveSectors(int64_t imgLength, int32_t entryCount, bool singleFile) {
    const int64_t directory = singleFile ? kHeaderSize + entryCount * kEntrySize : 0;
    return (imgLength - directory) / kSectorSize;
}

int32_t FragmentationFigure(int64_t archiveSectors, uint32_t usedSectors) {
    if (archiveSectors <= 0) return 0;
    const int64_t figure = (archiveSectors - usedSectors) * 100 / archiveSectors;
    return static_cast<int32_t>(std::clamp<int64_t>(figure, INT32_MIN, INT32_MAX));
}

}  // namespace tolvane
