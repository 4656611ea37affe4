#include <sys/stat.h>

#include "archive_fixture.h"

namespace tolvane::testing {
namespace {

using ExportTest = ArchiveTest;

TEST_F(ExportTest, FileHoldsTheWholeSlotWithZerosPastTheEnd) {
    const Bytes img = Pattern(20000, 1);
    OpenPaired({Entry(5, 3, "inside"), Entry(9, 2, "past"), Entry(30, 1, "beyond"), Entry(2, 0, "empty")}, img);

    IMGExportFile(0, Path("inside.out").c_str());
    EXPECT_EQ(Read("inside.out"), Slice(img, 10240, 6144));

    IMGExportFile(1, Path("past.out").c_str());
    const Bytes past = Read("past.out");
    ASSERT_EQ(past.size(), 4096u);
    EXPECT_EQ(past, Slice(img, 18432, 4096)) << "the first 1568 bytes from the .img, then zeros";

    IMGExportFile(2, Path("beyond.out").c_str());
    EXPECT_EQ(Read("beyond.out"), Bytes(2048, 0));

    Write("empty.out", Pattern(100, 2));
    IMGExportFile(3, Path("empty.out").c_str());
    EXPECT_TRUE(Read("empty.out").empty()) << "an earlier file is emptied";
    EXPECT_EQ(Read("a.img"), img) << "exports change nothing";
    EXPECT_STREQ(IMGGetLastError(), "");
}

TEST_F(ExportTest, BufferKeepsWhatLiesPastTheEndOfTheImg) {
    const Bytes img = Pattern(20000, 3);
    OpenPaired({Entry(9, 2, "past"), Entry(0, 0, "empty")}, img);
    Bytes buffer(4096 + 16, 0xEE);
    IMGExportBuffer(0, buffer.data());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 1568), Slice(img, 18432, 1568));
    EXPECT_EQ(Bytes(buffer.begin() + 1568, buffer.end()), Bytes(2528 + 16, 0xEE));
    Bytes untouched(16, 0xEE);
    IMGExportBuffer(1, untouched.data());
    EXPECT_EQ(untouched, Bytes(16, 0xEE)) << "size 0 reads nothing";
    EXPECT_STREQ(IMGGetLastError(), "");
}

TEST_F(ExportTest, FailuresBeforeTheCreateLeaveTheTargetUntouched) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(2048, 4));
    const Bytes earlier = Pattern(300, 5);
    Write("target", earlier);
    std::filesystem::remove(Path("a.img"));
    EXPECT_EQ(FailureOf([&] { IMGExportFile(0, Path("target").c_str()); }),
              "Cannot open file " + Path("a.img"));
    EXPECT_EQ(Read("target"), earlier);
    EXPECT_EQ(FailureOf([&] { IMGExportBuffer(0, nullptr); }), "Cannot open file " + Path("a.img"));

    Write("a.img", Pattern(2048, 4));
    for (int32_t index : {-1, 65536}) {
        EXPECT_EQ(FailureOf([&] { IMGExportFile(index, Path("target").c_str()); }),
                  "Entry index " + std::to_string(index) + " out of range");
        EXPECT_EQ(FailureOf([&] { IMGExportBuffer(index, nullptr); }),
                  "Entry index " + std::to_string(index) + " out of range");
    }
    EXPECT_EQ(Read("target"), earlier);
}

TEST_F(ExportTest, TargetsThatCannotBeCreated) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(2048, 6));
    const Bytes earlier = Pattern(10, 7);
    Write("readonly", earlier);
    ASSERT_EQ(chmod(Path("readonly").c_str(), 0444), 0);
    EXPECT_EQ(FailureOf([&] { IMGExportFile(0, Path("readonly").c_str()); }),
              "Cannot create file " + Path("readonly"));
    EXPECT_EQ(Read("readonly"), earlier);
    EXPECT_EQ(FailureOf([&] { IMGExportFile(0, Path("no-folder/x").c_str()); }),
              "Cannot create file " + Path("no-folder/x"));
    EXPECT_EQ(FailureOf([] { IMGExportFile(0, nullptr); }), "Cannot create file ")
        << "a null target is the empty path";
}

TEST_F(ExportTest, AFullDiskIsAStreamWriteError) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(2048, 8));
    EXPECT_EQ(FailureOf([] { IMGExportFile(0, "/dev/full"); }), "Stream write error");
}

}  // namespace
}  // namespace tolvane::testing
