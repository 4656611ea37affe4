#include <sys/stat.h>

#include "archive_fixture.h"

namespace tolvane::testing {
namespace {

using OpenTest = ArchiveTest;

TEST_F(OpenTest, PairedLayoutWinsOverAVer2Img) {
    Write("models.dir", ToBytes({Entry(0, 1, "a.dff"), Entry(1, 2, "b.txd")}));
    Write("models.img", SingleFileImage(7, {}));
    IMGLoadImg(Path("models.img").c_str());
    EXPECT_FALSE(State.SingleFileMode);
    EXPECT_EQ(IMGFileCount(), 2);
    EXPECT_EQ(State.ArchivePath, Path("models.dir"));
    EXPECT_STREQ(IMGGetFileName(1), "b.txd");
    EXPECT_EQ(State.HeaderBuffer.count, 0) << "the .img is never read in the paired layout";
}

TEST_F(OpenTest, AnyExtensionOpensTheSameArchive) {
    Write("models.dir", ToBytes({Entry(4, 1, "x")}));
    for (const char* name : {"models.dir", "models.img", "models", "models.xyz"}) {
        ResetState();
        IMGLoadImg(Path(name).c_str());
        EXPECT_EQ(IMGFileCount(), 1) << name;
        EXPECT_EQ(State.ArchivePath, Path("models.dir")) << name;
    }
}

TEST_F(OpenTest, SingleFileLayoutReadsHeaderAndRecordsWithoutTestingTheMagic) {
    Write("models.img", SingleFileImage(3, {Entry(1, 1, "a"), Entry(2, 1, "b"), Entry(3, 1, "c")}));
    IMGLoadImg(Path("models.img").c_str());
    EXPECT_TRUE(State.SingleFileMode);
    EXPECT_EQ(IMGFileCount(), 3);
    EXPECT_EQ(State.ArchivePath, Path("models.img"));
    EXPECT_STREQ(IMGGetFileName(2), "c");
    EXPECT_EQ(std::memcmp(State.HeaderBuffer.magic, "VER2", 4), 0);

    Bytes other = SingleFileImage(2, {Entry(9, 1, "p"), Entry(10, 1, "q")});
    std::memcpy(other.data(), "ABCD", 4);
    Write("other.img", other);
    IMGLoadImg(Path("other").c_str());
    EXPECT_TRUE(State.SingleFileMode);
    EXPECT_EQ(IMGFileCount(), 2);
    EXPECT_STREQ(IMGGetFileName(1), "q");
}

TEST_F(OpenTest, PairedTrailingPartLandsInTheNextSlot) {
    Bytes dir = ToBytes({Entry(0, 1, "a"), Entry(1, 1, "b"), Entry(2, 1, "c")});
    dir.insert(dir.end(), {0x11, 0x22, 0x33, 0x44});
    Write("t.dir", dir);
    IMGLoadImg(Path("t.dir").c_str());
    EXPECT_EQ(IMGFileCount(), 3);
    EXPECT_EQ(Slot(3).offset, 0x44332211u);

    Write("empty.dir", {});
    IMGLoadImg(Path("empty.dir").c_str());
    EXPECT_FALSE(State.SingleFileMode);
    EXPECT_EQ(IMGFileCount(), 0);
}

TEST_F(OpenTest, StaleSlotsKeepTheEarlierArchive) {
    std::vector<TImgEntry> nine, five;
    for (uint32_t i = 0; i < 9; ++i) nine.push_back(Entry(i, 1, ("nine" + std::to_string(i)).c_str()));
    for (uint32_t i = 0; i < 5; ++i) five.push_back(Entry(i, 2, ("five" + std::to_string(i)).c_str()));
    Write("nine.dir", ToBytes(nine));
    Write("five.img", SingleFileImage(5, five));
    IMGLoadImg(Path("nine.dir").c_str());
    IMGLoadImg(Path("five.img").c_str());
    EXPECT_EQ(IMGFileCount(), 5);
    EXPECT_STREQ(IMGGetFileName(4), "five4");
    for (int i = 5; i < 9; ++i) EXPECT_TRUE(SameEntry(Slot(i), nine[i])) << i;
}

TEST_F(OpenTest, MissingFilesKeepTheLastHeaderCount) {
    Write("four.img", SingleFileImage(4, {Entry(1, 1, "a"), Entry(2, 1, "b"), Entry(3, 1, "c"),
                                          Entry(4, 1, "d")}));
    IMGLoadImg(Path("four.img").c_str());
    State.EntryTable[0].size = 77;  // a change in memory only
    State.RelocationInProgress = true;
    IMGLoadImg(Path("nothing-here").c_str());
    EXPECT_TRUE(State.SingleFileMode);
    EXPECT_FALSE(State.RelocationInProgress);
    EXPECT_EQ(IMGFileCount(), 4);
    EXPECT_EQ(Slot(0).size, 77u) << "the table is not touched";
    EXPECT_EQ(State.ArchivePath, Path("nothing-here.img"));
}

TEST_F(OpenTest, ShortImgOverwritesOnlyTheStartOfTheHeader) {
    Write("first.img", SingleFileImage(0x01020304 & 0xFFFF, {}));
    IMGLoadImg(Path("first.img").c_str());
    EXPECT_EQ(State.HeaderBuffer.count, 0x0304);
    Write("short.img", {'V', 'E', 'R', '2', 0x01});  // only the low count byte
    IMGLoadImg(Path("short.img").c_str());
    EXPECT_EQ(State.HeaderBuffer.count, 0x0301);
    EXPECT_EQ(IMGFileCount(), 0x0301);
}

TEST_F(OpenTest, PromisedRecordsThatAreMissingKeepTheirSlots) {
    const TImgEntry old = Entry(42, 42, "old");
    State.EntryTable[1] = old;
    Write("promise.img", SingleFileImage(3, {Entry(1, 1, "only")}));
    IMGLoadImg(Path("promise.img").c_str());
    EXPECT_EQ(IMGFileCount(), 3);
    EXPECT_STREQ(IMGGetFileName(0), "only");
    EXPECT_TRUE(SameEntry(Slot(1), old));
}

TEST_F(OpenTest, OversizedDirectoriesStayInsideTheTable) {
    std::vector<TImgEntry> many(65536 + 3, Entry(1, 1, "m"));
    many.back() = Entry(9, 9, "beyond");
    Write("big.dir", ToBytes(many));
    IMGLoadImg(Path("big.dir").c_str());
    EXPECT_EQ(IMGFileCount(), 65536);
    EXPECT_STREQ(IMGGetFileName(65535), "m");

    Bytes huge = SingleFileImage(70000, many);
    Write("huge.img", huge);
    IMGLoadImg(Path("huge.img").c_str());
    EXPECT_EQ(IMGFileCount(), 65536);
    EXPECT_EQ(State.HeaderBuffer.count, 70000);

    Write("negative.img", SingleFileImage(-5, {Entry(1, 1, "n")}));
    IMGLoadImg(Path("negative.img").c_str());
    EXPECT_EQ(IMGFileCount(), 0);
    EXPECT_STREQ(IMGGetFileName(0), "m") << "nothing is read for a negative count";
}

TEST_F(OpenTest, ReadOnlyDirBecomesWritable) {
    Write("ro.dir", ToBytes({Entry(0, 1, "a")}));
    ASSERT_EQ(chmod(Path("ro.dir").c_str(), 0444), 0);
    IMGLoadImg(Path("ro").c_str());
    EXPECT_FALSE(State.SingleFileMode);
    EXPECT_EQ(IMGFileCount(), 1);
    struct stat st;
    ASSERT_EQ(stat(Path("ro.dir").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IWUSR);
}

TEST_F(OpenTest, NullPathIsTheEmptyPath) {
    IMGLoadImg(nullptr);
    EXPECT_TRUE(State.SingleFileMode);
    EXPECT_EQ(State.ArchivePath, ".img");
    EXPECT_STREQ(IMGGetLastError(), "");
}

}  // namespace
}  // namespace tolvane::testing
