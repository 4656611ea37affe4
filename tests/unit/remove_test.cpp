#include "archive_fixture.h"
#include "layout.h"

namespace tolvane::testing {
namespace {

using RemoveTest = ArchiveTest;

void Fill(std::initializer_list<const char*> names) {
    uint32_t i = 0;
    for (const char* n : names) {
        State.EntryTable[i] = Entry(i, 1, n);
        ++i;
    }
    State.EntryCount = static_cast<int32_t>(i);
}

std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (int i = 0; i < IMGFileCount(); ++i) out.emplace_back(IMGGetFileName(i));
    return out;
}

TEST_F(RemoveTest, LaterEntriesMoveDownInOrder) {
    using V = std::vector<std::string>;
    Fill({"one", "two", "three"});
    IMGRemoveFile(0);
    EXPECT_EQ(Names(), (V{"two", "three"}));
    Fill({"one", "two", "three"});
    IMGRemoveFile(1);
    EXPECT_EQ(Names(), (V{"one", "three"}));
    Fill({"one", "two", "three"});
    IMGRemoveFile(2);
    EXPECT_EQ(Names(), (V{"one", "two"}));
    EXPECT_EQ(Slot(1).offset, 1u) << "records move unchanged";
}

TEST_F(RemoveTest, IndexesOutsideTheEntriesChangeNothing) {
    Fill({"one", "two", "three"});
    for (int32_t index : {-1, 3, 70000, INT32_MIN, INT32_MAX}) IMGRemoveFile(index);
    EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two", "three"}));
    State.EntryCount = 0;
    IMGRemoveFile(0);
    EXPECT_EQ(IMGFileCount(), 0);
}

TEST_F(RemoveTest, AFullTableLosesItsLastSlotCleanly) {
    for (uint32_t i = 0; i < 65536; ++i) State.EntryTable[i] = Entry(i, 1, "x");
    State.EntryCount = 65536;
    IMGRemoveFile(0);
    EXPECT_EQ(IMGFileCount(), 65535);
    EXPECT_EQ(Slot(65534).offset, 65535u);
}

TEST_F(RemoveTest, ReopeningWithoutARewriteBringsTheEntryBack) {
    Write("three.dir", ToBytes({Entry(0, 1, "one"), Entry(1, 1, "two"), Entry(2, 1, "three")}));
    IMGLoadImg(Path("three").c_str());
    IMGRemoveFile(1);
    IMGLoadImg(Path("three").c_str());
    EXPECT_EQ(IMGFileCount(), 3);
    EXPECT_STREQ(IMGGetFileName(1), "two");
}

TEST(FragmentationFigure, SharesOfTheArchiveSectors) {
    EXPECT_EQ(FragmentationFigure(ArchiveSectors(10240, 2, false), 3), 40);
    EXPECT_EQ(FragmentationFigure(ArchiveSectors(10240, 2, false), 5), 0);
    EXPECT_EQ(FragmentationFigure(ArchiveSectors(10240, 0, false), 0), 100);
    // Header and directory are taken off exactly: (14344 - 40) / 2048 = 6.
    EXPECT_EQ(ArchiveSectors(14344, 1, true), 6);
    EXPECT_EQ(FragmentationFigure(6, 4), 33);
    // Truncation toward zero for overlapping entries.
    EXPECT_EQ(FragmentationFigure(3, 4), -33);
}

TEST(FragmentationFigure, NoSectorsGiveZeroInsteadOfDividing) {
    EXPECT_EQ(ArchiveSectors(2047, 0, false), 0);
    EXPECT_EQ(FragmentationFigure(ArchiveSectors(2047, 0, false), 0), 0);
    EXPECT_EQ(FragmentationFigure(ArchiveSectors(40 + 2047, 1, true), 0), 0);
    EXPECT_EQ(FragmentationFigure(ArchiveSectors(40 - 2047, 1, true), 0), 0);
    EXPECT_EQ(FragmentationFigure(ArchiveSectors(8, 1000, true), 0), 0) << "negative sectors";
}

TEST(FragmentationFigure, LargeArchivesDoNotOverflow) {
    const int64_t sectors = int64_t{3} << 30;  // a 6 TiB .img
    EXPECT_EQ(FragmentationFigure(sectors, 0), 100);
    EXPECT_EQ(FragmentationFigure(sectors, static_cast<uint32_t>(sectors / 2)), 50);
}

TEST_F(RemoveTest, FigureFollowsTheFilesOnDisk) {
    Write("frag.dir", ToBytes({Entry(0, 2, "a"), Entry(2, 1, "b")}));
    Write("frag.img", Bytes(10240));
    IMGLoadImg(Path("frag").c_str());
    EXPECT_EQ(IMGHowMuchFragmented(), 40);
    IMGRemoveFile(0);
    EXPECT_EQ(IMGHowMuchFragmented(), 80) << "removed sectors count as unused";
    std::filesystem::remove(Path("frag.img"));
    EXPECT_EQ(IMGHowMuchFragmented(), 0) << "a missing .img";
}

}  // namespace
}  // namespace tolvane::testing

namespace tolvane::testing {
namespace {

using DeleteTest = ArchiveTest;

TEST_F(DeleteTest, PairedDirectoryLosesExactlyTheRecord) {
    std::vector<TImgEntry> ten;
    for (uint32_t i = 0; i < 10; ++i) ten.push_back(Entry(i, 1, ("e" + std::to_string(i)).c_str()));
    Write("ten.dir", ToBytes(ten));
    Write("ten.img", Bytes(10 * 2048));
    IMGLoadImg(Path("ten").c_str());
    IMGDelete(1);
    std::vector<TImgEntry> nine = ten;
    nine.erase(nine.begin() + 1);
    EXPECT_EQ(Read("ten.dir"), ToBytes(nine));
    IMGDelete(-1);
    EXPECT_EQ(Read("ten.dir"), ToBytes(nine)) << "the rewrite runs with nothing removed";
    EXPECT_EQ(Read("ten.img"), Bytes(10 * 2048)) << "data stays";
}

TEST_F(DeleteTest, SingleFileKeepsTheUncoveredRecordBytes) {
    Bytes img = SingleFileImage(3, {Entry(1, 1, "a"), Entry(2, 1, "b"), Entry(3, 1, "c")});
    img.resize(4 * 2048, 0x5A);
    Write("three.img", img);
    IMGLoadImg(Path("three.img").c_str());
    IMGDelete(0);
    const Bytes after = Read("three.img");
    ASSERT_EQ(after.size(), img.size());
    EXPECT_EQ(Bytes(after.begin(), after.begin() + 72), SingleFileImage(2, {Entry(2, 1, "b"), Entry(3, 1, "c")}));
    EXPECT_EQ(Bytes(after.begin() + 72, after.end()), Bytes(img.begin() + 72, img.end()));
}

}  // namespace
}  // namespace tolvane::testing
