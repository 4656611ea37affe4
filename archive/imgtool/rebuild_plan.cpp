#include "rebuild_plan.h"

#include <cstring>
#include <stdexcept>

namespace imgtool {

RebuildPlan PlanRebuild(const std::vector<TImgEntry>& entries, bool singleFile) {
    RebuildPlan plan;
    plan.entries = entries;
    const uint64_t head = singleFile ? sizeof(TImgHeader) + entries.size() * sizeof(TImgEntry) : 0;
    plan.firstDataSector = static_cast<uint32_t>((head + TOLVANE_SECTOR_SIZE - 1) / TOLVANE_SECTOR_SIZE);
    uint64_t next = plan.firstDataSector;
    for (TImgEntry& e : plan.entries) {
        if (next > UINT32_MAX) throw std::length_error("archive too large for 32-bit sector offsets");
        e.offset = static_cast<uint32_t>(next);
        next += e.size;
    }
    plan.imgSectors = next;
    return plan;
}

std::vector<unsigned char> SingleFileHead(const RebuildPlan& plan) {
    std::vector<unsigned char> head(static_cast<size_t>(plan.firstDataSector) * TOLVANE_SECTOR_SIZE, 0);
    TImgHeader header = {{'V', 'E', 'R', '2'}, static_cast<int32_t>(plan.entries.size())};
    std::memcpy(head.data(), &header, sizeof header);
    if (!plan.entries.empty()) {
        std::memcpy(head.data() + sizeof header, plan.entries.data(), plan.entries.size() * sizeof(TImgEntry));
    }
    return head;
}

}  // namespace imgtool
