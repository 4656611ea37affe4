#include "archive_fixture.h"

namespace tolvane::testing {
namespace {

using EntriesTest = ArchiveTest;

TEST_F(EntriesTest, GetAndSetCopyAll32BytesUnchanged) {
    TImgEntry given = Entry(5, 3, "part7.dat");
    std::memset(given.name + 10, 0xAB, 14);  // bytes after the terminator
    IMGSetThisFile(2, &given);
    EXPECT_TRUE(SameEntry(Slot(2), given));
    EXPECT_EQ(IMGFileCount(), 0) << "setting a slot never changes the count";

    const TImgEntry got = Slot(2);
    EXPECT_EQ(std::memcmp(got.name, "part7.dat", 10), 0);
    EXPECT_EQ(static_cast<unsigned char>(got.name[10]), 0xAB);
}

TEST_F(EntriesTest, FullLengthNameHasNoTerminator) {
    TImgEntry full;
    full.offset = 1;
    full.size = 1;
    std::memcpy(full.name, "abcdefghijklmnopqrstuvwx", 24);
    IMGSetThisFile(0, &full);
    const char* name = IMGGetFileName(0);
    EXPECT_EQ(std::memcmp(name, "abcdefghijklmnopqrstuvwx", 24), 0);
    EXPECT_EQ(name, State.EntryTable[0].name) << "the name is not copied";
}

TEST_F(EntriesTest, IndexesOutsideTheTableNeverReachMemory) {
    const TImgEntry marker = Entry(1, 2, "marker");
    IMGSetThisFile(65535, &marker);
    TImgEntry out = marker;
    for (int32_t index : {-1, 65536, INT32_MIN, INT32_MAX}) {
        IMGGetThisFile(&out, index);
        EXPECT_TRUE(SameEntry(out, TImgEntry{})) << index;
        IMGSetThisFile(index, &marker);
        ASSERT_NE(IMGGetFileName(index), nullptr);
        EXPECT_STREQ(IMGGetFileName(index), "") << index;
    }
    EXPECT_TRUE(SameEntry(Slot(65535), marker));
    EXPECT_TRUE(SameEntry(Slot(0), TImgEntry{}));
}

TEST_F(EntriesTest, NullPointersFailAndChangeNothing) {
    OpenPaired({Entry(0, 1, "first"), Entry(1, 0, "empty")}, Pattern(2048, 1));
    const TImgEntry before = Slot(1);
    for (int32_t index : {1, -1, 65536}) {
        EXPECT_EQ(FailureOf([&] { IMGGetThisFile(nullptr, index); }), "Null pointer") << index;
        EXPECT_EQ(FailureOf([&] { IMGSetThisFile(index, nullptr); }), "Null pointer") << index;
    }
    EXPECT_TRUE(SameEntry(Slot(1), before));
    EXPECT_EQ(IMGFileCount(), 2);
    // An empty entry copies nothing, yet a missing buffer is still the host's fault.
    for (int32_t index : {0, 1}) EXPECT_EQ(FailureOf([&] { IMGExportBuffer(index, nullptr); }), "Null pointer");
    EXPECT_EQ(FailureOf([] { IMGExportBuffer(70000, nullptr); }), "Entry index 70000 out of range");
    EXPECT_EQ(Read("a.img"), Pattern(2048, 1));
}

}  // namespace
}  // namespace tolvane::testing
