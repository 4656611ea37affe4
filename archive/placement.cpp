#include "placement.h"

namespace tolvane {

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
