#include "check.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "names.h"
#include "selection.h"

namespace imgtool {
namespace {

constexpr uint64_t kRecordBytes = sizeof(TImgEntry);
constexpr uint64_t kHeaderBytes = sizeof(TImgHeader);

uint64_t End(const TImgEntry& e) { return uint64_t{e.offset} + e.size; }

std::string Label(const std::vector<TImgEntry>& entries, size_t i) {
    return "entry " + std::to_string(i) + " (" + NameOf(entries[i]) + ")";
}

std::string Range(const TImgEntry& e) { return std::to_string(e.offset) + "-" + std::to_string(End(e) - 1); }

std::string Sectors(const TImgEntry& e) { return "sectors " + Range(e); }

void CheckCount(const StoredLayout& layout, std::vector<std::string>& problems) {
    const auto most = std::to_string(TOLVANE_MAX_ENTRIES);
    if (layout.singleFile) {
        const int64_t count = layout.storedCount;
        if (count < 0 || count > TOLVANE_MAX_ENTRIES) {
            problems.push_back("the header counts " + std::to_string(count) + " entries; an archive holds 0 to " +
                               most);
        } else if (kHeaderBytes + uint64_t(count) * kRecordBytes > layout.imgBytes) {
            problems.push_back("the header counts " + std::to_string(count) + " entries, but the .img holds " +
                               std::to_string(layout.imgBytes < kHeaderBytes
                                                  ? 0
                                                  : (layout.imgBytes - kHeaderBytes) / kRecordBytes) +
                               " records");
        }
        return;
    }
    if (layout.dirBytes % kRecordBytes != 0) {
        problems.push_back("the .dir ends in a partial record (" + std::to_string(layout.dirBytes) +
                           " bytes, not a multiple of 32)");
    }
    if (layout.dirBytes / kRecordBytes > TOLVANE_MAX_ENTRIES) {
        problems.push_back("the .dir holds " + std::to_string(layout.dirBytes / kRecordBytes) +
                           " records; an archive holds at most " + most);
    }
}

void CheckOverlaps(const std::vector<TImgEntry>& entries, std::vector<std::string>& problems) {
    std::vector<size_t> order;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].size > 0) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return entries[a].offset != entries[b].offset ? entries[a].offset < entries[b].offset
                                                      : entries[a].size < entries[b].size;
    });
    // Against the slot that reaches furthest so far: one line per entry that
    // overlaps an earlier one, however many slots pile up.
    size_t furthest = SIZE_MAX;
    for (size_t i : order) {
        const TImgEntry& e = entries[i];
        if (furthest != SIZE_MAX && e.offset < End(entries[furthest])) {
            const TImgEntry& f = entries[furthest];
            if (e.offset != f.offset || e.size != f.size) {
                const size_t first = std::min(i, furthest), second = std::max(i, furthest);
                problems.push_back(Label(entries, first) + " and " + Label(entries, second) + " overlap: " +
                                   Sectors(entries[first]) + " and " + Range(entries[second]));
            }
        }
        if (furthest == SIZE_MAX || End(e) > End(entries[furthest])) furthest = i;
    }
}

// Two entries of one name (compared as the archive compares names): a name
// can find only the first of them, and extracted they are one file.
void CheckNames(const std::vector<TImgEntry>& entries, std::vector<std::string>& problems) {
    std::map<std::string, size_t> first;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto [at, isNew] = first.emplace(FoldName(NameOf(entries[i])), i);
        if (!isNew) problems.push_back(Label(entries, i) + " has the name of " + Label(entries, at->second));
    }
}

}  // namespace

std::vector<std::string> FindProblems(const StoredLayout& layout, const std::vector<TImgEntry>& entries) {
    std::vector<std::string> problems;
    if (layout.singleFile && !layout.hasMagic) {
        // Then the count and records are data, not a directory: nothing more to say.
        problems.push_back("the .img does not begin with \"VER2\": not a single-file archive (is its .dir missing?)");
        return problems;
    }
    CheckCount(layout, problems);
    const uint64_t directoryEnd = kHeaderBytes + entries.size() * kRecordBytes;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TImgEntry& e = entries[i];
        if (!std::memchr(e.name, '\0', sizeof e.name)) {
            problems.push_back(Label(entries, i) + ": the name has no terminating zero");
        }
        if (e.size == 0) continue;
        if (End(e) * TOLVANE_SECTOR_SIZE > layout.imgBytes) {
            problems.push_back(Label(entries, i) + ": " + Sectors(e) + " reach past the end of the .img (" +
                               std::to_string(layout.imgBytes) + " bytes)");
        }
        if (layout.singleFile && uint64_t{e.offset} * TOLVANE_SECTOR_SIZE < directoryEnd) {
            problems.push_back(Label(entries, i) + ": " + Sectors(e) + " start under the header and directory (" +
                               std::to_string(directoryEnd) + " bytes)");
        }
    }
    CheckOverlaps(entries, problems);
    CheckNames(entries, problems);
    return problems;
}

}  // namespace imgtool
