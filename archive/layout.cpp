#include "layout.h"

#include <algorithm>

namespace tolvane {

std::string ReplaceExtension(const std::string& path, const std::string& extension,
                             const LeadBytePredicate& isLeadByte) {
    std::string::size_type lastMark = std::string::npos;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '.' || c == '\\' || c == ':') {
            lastMark = i;
        } else if (isLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
            ++i;  // the trail byte is part of this character
        }
    }
    if (lastMark != std::string::npos && path[lastMark] == '.') {
        return path.substr(0, lastMark) + extension;
    }
    return path + extension;
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
