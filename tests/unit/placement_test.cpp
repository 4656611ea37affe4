#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "notes.h"
#include "placement.h"

namespace tolvane {
namespace {

TImgEntry At(uint32_t offset, uint32_t size = 1) {
    TImgEntry e{};
    e.offset = offset;
    e.size = size;
    return e;
}

TEST(GoesToEnd, SlotBytesAgainstTheRoundedSize) {
    EXPECT_FALSE(GoesToEnd(1, NextSectorBoundary(0), 0)) << "empty source into one sector";
    EXPECT_FALSE(GoesToEnd(1, NextSectorBoundary(2047), 0));
    EXPECT_TRUE(GoesToEnd(1, NextSectorBoundary(2048), 0)) << "2048 bytes take two sectors";
    EXPECT_FALSE(GoesToEnd(10, NextSectorBoundary(3000), 0));
    EXPECT_FALSE(GoesToEnd(2, 4096, 0)) << "a slot of exactly the rounded size keeps the data";
    EXPECT_TRUE(GoesToEnd(0, 2048, 0)) << "a size-0 slot holds nothing";
    EXPECT_TRUE(GoesToEnd(0xFFFFFFFFu, int64_t{0xFFFFFFFF} * 2048 + 2048, 0)) << "no 32-bit wrap";
}

TEST(GoesToEnd, OnlyTheLowByteValueOneForces) {
    EXPECT_TRUE(GoesToEnd(10, 2048, 1));
    EXPECT_TRUE(GoesToEnd(10, 2048, 0x101)) << "the upper bytes of the slot are not looked at";
    for (uint32_t flag : {0u, 2u, 255u, 0x100u}) EXPECT_FALSE(GoesToEnd(10, 2048, flag)) << flag;
}

TEST(LowestBlock, SmallestOffsetBelowTheLengthFirstOnTies) {
    const std::vector<TImgEntry> entries = {At(7), At(3), At(9), At(3)};
    const Block b = LowestBlock(entries.data(), 4, 20 * 2048);
    EXPECT_EQ(b.index, 1);
    EXPECT_EQ(b.position, 3 * 2048);
    // Entries at or after the end do not count; with none below it, index 0
    // at the length.
    const Block none = LowestBlock(entries.data(), 4, 3 * 2048);
    EXPECT_EQ(none.index, 0);
    EXPECT_EQ(none.position, 3 * 2048);
    EXPECT_EQ(LowestBlock(entries.data(), 0, 100).position, 100);
}

TEST(BlockInTheWay, LowestEntryStartingAtOrBelowTheDirectoryEnd) {
    std::vector<TImgEntry> entries = {At(5), At(3), At(1), At(1, 0), At(2)};
    const auto first = BlockInTheWay(entries.data(), 5, 4000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->index, 2) << "the lower index of two sharing an offset";
    EXPECT_EQ(first->position, 2048);
    entries[2] = At(40);
    EXPECT_EQ(BlockInTheWay(entries.data(), 5, 4000)->index, 3) << "a size-0 block moves too";
    entries[3] = At(41);
    EXPECT_FALSE(BlockInTheWay(entries.data(), 5, 4000)) << "sector 2 starts at 4096";
    EXPECT_EQ(BlockInTheWay(entries.data(), 5, 4096)->index, 4) << "a block starting at the end counts";
    EXPECT_FALSE(BlockInTheWay(entries.data(), 0, 1 << 30)) << "slots past the count are no blocks";
}

TEST(BlockInTheWay, MatchesTheWorkedGrowthOfTheDirectory) {
    // The lowest block at byte 6144: 191 entries (6120 bytes) leave it, 192
    // (6152 bytes) reach it.
    const std::vector<TImgEntry> entries(192, At(3));
    EXPECT_FALSE(BlockInTheWay(entries.data(), 191, HeaderAndDirectorySize(191)));
    EXPECT_EQ(HeaderAndDirectorySize(191), 6120);
    EXPECT_TRUE(BlockInTheWay(entries.data(), 192, HeaderAndDirectorySize(192)));
}

TEST(Notes, TextsAndNumbers) {
    EXPECT_EQ(notes::HeaderAndDirectorySize(40), "header + dir size: 40");
    EXPECT_EQ(notes::FirstEntryAt(4294965248), "file 0 is at : 4294965248");
    EXPECT_EQ(notes::FirstBlockOccupiedBy("a.dff", 0), "first img block is occupied by : a.dff at 0");
    EXPECT_EQ(notes::FirstBlockOccupiedBy("x", -1), "first img block is occupied by : x at -1");
    EXPECT_EQ(notes::Relocating("b.txd", 6144),
              "RELOCATING first img block that is occupied by : b.txd at 6144");
}

}  // namespace
}  // namespace tolvane
