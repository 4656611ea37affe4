// Where entry data goes and which blocks a single-file directory rewrite must
// move.  Plain functions over the entry records: no state, no files.
#pragma once

#include <cstdint>
#include <optional>

#include "layout.h"
#include "tolvane.h"

namespace tolvane {

// Only the byte value 1 in the low byte of the flag forces an append.
constexpr bool ForcesAppend(uint32_t forceAppend) { return (forceAppend & 0xFF) == 1; }

// True when data of roundedSize bytes goes to the end of the .img rather than
// into the entry's slot of slotSectors sectors.  A slot of exactly the rounded
// size keeps the data in place.
constexpr bool GoesToEnd(uint32_t slotSectors, int64_t roundedSize, uint32_t forceAppend) {
    return ForcesAppend(forceAppend) || SectorsToBytes(slotSectors) < roundedSize;
}

constexpr int64_t DataOffset(const TImgEntry& entry) { return SectorsToBytes(entry.offset); }

// True when another of the count entries has a slot that shares a byte with
// the slot of entry index.  A slot of size 0 holds no byte.
bool SlotIsShared(const TImgEntry* entries, int32_t count, int32_t index);

struct Block {
    int32_t index;
    int64_t position;  // byte offset in the .img
};

// The block the rewrite reports as lying lowest: the smallest data offset
// below the .img length, the first in table order on ties; index 0 at the
// length itself when no entry starts below it.
Block LowestBlock(const TImgEntry* entries, int32_t count, int64_t imgLength);

// The next block the directory would reach: the lowest entry whose data starts
// at or below directoryEnd (first in table order on ties), none when the
// directory is clear of every entry.
std::optional<Block> BlockInTheWay(const TImgEntry* entries, int32_t count, int64_t directoryEnd);

}  // namespace tolvane
