// Where a compacted copy of an archive puts each entry: data back to back in
// directory order from the first sector after the directory, each entry
// keeping its size, no unused sectors.
#pragma once

#include <cstdint>
#include <vector>

#include "tolvane.h"

namespace imgtool {

struct RebuildPlan {
    std::vector<TImgEntry> entries;  // names and sizes kept, offsets new
    uint32_t firstDataSector = 0;    // after header and directory (single-file)
    uint64_t imgSectors = 0;         // length of the new .img in sectors
};

RebuildPlan PlanRebuild(const std::vector<TImgEntry>& entries, bool singleFile);

// The single-file header and directory, padded to whole sectors.
std::vector<unsigned char> SingleFileHead(const RebuildPlan& plan);

}  // namespace imgtool
