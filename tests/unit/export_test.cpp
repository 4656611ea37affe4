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
    Bytes buffer(2048, 0xEE);
    EXPECT_EQ(FailureOf([&] { IMGExportBuffer(0, buffer.data()); }), "Cannot open file " + Path("a.img"));

    // A read that fails part way is no end of the file: nothing is written.
    Write("a.img", Pattern(2048, 4));
    platform::faults::FailReadAt(Path("a.img"), 1000);
    EXPECT_EQ(FailureOf([&] { IMGExportFile(0, Path("target").c_str()); }), "Cannot open file " + Path("a.img"));
    EXPECT_EQ(FailureOf([&] { IMGExportBuffer(0, buffer.data()); }), "Cannot open file " + Path("a.img"));
    EXPECT_EQ(buffer, Bytes(2048, 0xEE));
    platform::faults::Reset();

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

// Records of gigabytes, as a damaged or hostile directory may hold them:
// 2^31 bytes, one more than any block, and one that wraps to a single sector
// in 32 bits.
constexpr uint32_t kTwoGiB = 0x100000;
constexpr uint32_t kPastFourGiB = 0x200001;

TEST_F(ExportTest, RecordsOfGigabytesAreOutOfMemoryAndTouchNothing) {
    const Bytes img = Pattern(2048, 9);
    OpenPaired({Entry(1, kTwoGiB, "two"), Entry(1, kPastFourGiB, "four"), Entry(0, 1, "small")}, img);
    Lengthen("a.img", (1 + int64_t{kPastFourGiB}) * 2048);
    Write("kept.out", Pattern(10, 10));
    for (int32_t index : {0, 1}) {
        EXPECT_EQ(FailureOf([&] { IMGExportFile(index, Path("huge.out").c_str()); }), "Out of memory");
        EXPECT_EQ(FailureOf([&] { IMGExportFile(index, Path("kept.out").c_str()); }), "Out of memory");
        Bytes guard(16, 0xEE);
        EXPECT_EQ(FailureOf([&] { IMGExportBuffer(index, guard.data()); }), "Out of memory");
        EXPECT_EQ(guard, Bytes(16, 0xEE)) << "nothing is read into the buffer";
    }
    EXPECT_FALSE(std::filesystem::exists(Path("huge.out"))) << "no target is created";
    EXPECT_EQ(Read("kept.out"), Pattern(10, 10));
    IMGExportFile(2, Path("small.out").c_str());
    EXPECT_EQ(Read("small.out"), img);
}

TEST_F(ExportTest, TheBudgetBoundsEveryBlock) {
    const Bytes img = Pattern(3 * 2048, 11);
    OpenPaired({Entry(0, 2, "two"), Entry(0, 3, "three")}, img);
    platform::SetMemoryBudget(4096);
    IMGExportFile(0, Path("two.out").c_str());
    EXPECT_EQ(Read("two.out"), Slice(img, 0, 4096)) << "a block of exactly the budget";
    EXPECT_EQ(Exported(0), Slice(img, 0, 4096));
    EXPECT_EQ(FailureOf([&] { IMGExportFile(1, Path("three.out").c_str()); }), "Out of memory");
    EXPECT_FALSE(std::filesystem::exists(Path("three.out")));
    Bytes buffer(6144, 0xEE);
    EXPECT_EQ(FailureOf([&] { IMGExportBuffer(1, buffer.data()); }), "Out of memory");
    EXPECT_EQ(buffer, Bytes(6144, 0xEE));
}

}  // namespace
}  // namespace tolvane::testing
