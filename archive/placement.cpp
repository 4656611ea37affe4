#include "placement.h"

namespace tolvane {

namespace {

bool Overlap(const TImgEntry& a, const TImgEntry& b) {
    if (a.size == 0 || b.size == 0) return false;
    return DataOffset(a) < DataOffset(b) + SectorsToBytes(b.size) && DataOffset(b) < DataOffset(a) + SectorsToBytes(a.size);
}

}  // namespace

bool SlotIsShared(const TImgEntry* entries, int32_t count, int32_t index) {
    for (int32_t i = 0; i < count; ++i) {
        if (i != index && Overlap(entries[i], entries[index])) return true;
    }
    return false;
}

Block LowestBlock(const TImgEntry* entries, int32_t count, int64_t imgLength) {
    Block lowest{0, imgLength};
    for (int32_t i = 0; i < count; ++i) {
        if (DataOffset(entries[i]) < lowest.position) lowest = {i, DataOffset(entries[i])};
    }
    return lowest;
}

std::optional<Block> BlockInTheWay(const TImgEntry* entries, int32_t count, int64_t directoryEnd) {
    std::optional<Block> found;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t position = DataOffset(entries[i]);
        if (position <= directoryEnd && (!found || position < found->position)) found = Block{i, position};
    }
    return found;
}

}  // namespace tolvane
