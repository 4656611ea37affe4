#include <sys/stat.h>

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

// The figures of worked examples, through the export on real files.
TEST_F(RemoveTest, FragmentationFigureOfWorkedExamples) {
    OpenPaired({Entry(0, 2, "a"), Entry(2, 1, "b")}, Bytes(10240));
    EXPECT_EQ(IMGHowMuchFragmented(), 40) << "(5 - 3) x 100 / 5";
    IMGRemoveFile(0);
    EXPECT_EQ(IMGHowMuchFragmented(), 80) << "removed sectors count as unused";
    State.EntryCount = 0;
    EXPECT_EQ(IMGHowMuchFragmented(), 100) << "an empty table";
    OpenPaired({Entry(0, 3, "a"), Entry(3, 2, "b")}, Bytes(10240));
    EXPECT_EQ(IMGHowMuchFragmented(), 0) << "entries cover every sector";
    OpenPaired({Entry(0, 2, "a"), Entry(1, 2, "b")}, Bytes(3 * 2048));
    EXPECT_EQ(IMGHowMuchFragmented(), -33) << "(3 - 4) x 100 / 3 truncates toward zero";

    // The archive the first add into a header-only .img once left: the header
    // and directory come off exactly, (14344 - 40) / 2048 = 6 sectors.
    std::filesystem::remove(Path("a.dir"));
    OpenSingle({Entry(3, 4, "src")}, Bytes(14344));
    EXPECT_EQ(IMGHowMuchFragmented(), 33);
    // A read-only .img gives its real figure.
    ASSERT_EQ(chmod(Path("a.img").c_str(), 0444), 0);
    EXPECT_EQ(IMGHowMuchFragmented(), 33) << "the length is asked without write access";
}

TEST_F(RemoveTest, FragmentationFigureWithoutSectorsIsZero) {
    OpenPaired({}, Bytes(2047));
    EXPECT_EQ(IMGHowMuchFragmented(), 0);
    std::filesystem::remove(Path("a.img"));
    EXPECT_EQ(IMGHowMuchFragmented(), 0) << "a missing .img";
    std::filesystem::remove(Path("a.dir"));
    OpenSingle({Entry(1, 1, "a")}, Bytes(40 + 2047));
    EXPECT_EQ(IMGHowMuchFragmented(), 0);
    State.EntryCount = 1000;  // the directory reaches past the end: negative sectors
    EXPECT_EQ(IMGHowMuchFragmented(), 0);
}

TEST(FragmentationFigure, LargeArchivesDoNotOverflow) {
    const int64_t sectors = int64_t{3} << 30;  // a 6 TiB .img
    EXPECT_EQ(FragmentationFigure(sectors, 0), 100);
    EXPECT_EQ(FragmentationFigure(sectors, static_cast<uint32_t>(sectors / 2)), 50);
}

TEST_F(RemoveTest, DefragChangesNothing) {
    OpenPaired({Entry(0, 1, "a"), Entry(1, 1, "b")}, Pattern(4096, 1));
    const Bytes dir = Read("a.dir"), img = Read("a.img");
    IMGDefrag(7);
    EXPECT_EQ(IMGFileCount(), 2);
    EXPECT_TRUE(SameEntry(Slot(1), Entry(1, 1, "b")));
    EXPECT_EQ(Read("a.dir"), dir);
    EXPECT_EQ(Read("a.img"), img);
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
