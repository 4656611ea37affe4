#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include "archive_fixture.h"
#include "memory.h"
#include "platform/files.h"

namespace tolvane::testing {
namespace {

using WriteTest = ArchiveTest;
using Notes = std::vector<std::string>;

const Notes kInPlace = {"replacing", "file exists, proceeding...", "smaller or same file"};
const Notes kAtTheEnd = {"replacing", "file exists, proceeding...", "bigger file"};

TEST_F(WriteTest, DataThatFitsStaysInItsZeroFilledSlot) {
    const Bytes img = Pattern(12 * 2048, 1);
    OpenPaired({Entry(0, 1, "one"), Entry(1, 10, "ten"), Entry(11, 1, "last")}, img);
    Bytes expected = img;

    Write("empty", {});
    IMGReplaceFile(0, Path("empty").c_str(), 0);
    EXPECT_EQ(SentNotes(), kInPlace);
    Put(expected, 0, Bytes(2048, 0));

    const Bytes small = Pattern(3000, 2);
    Write("small", small);
    IMGReplaceFile(1, Path("small").c_str(), 0);
    Put(expected, 2048, Bytes(20480, 0));
    Put(expected, 2048, small);

    const Bytes almost = Pattern(2047, 3);
    Write("almost", almost);
    IMGReplaceFile(2, Path("almost").c_str(), 255);  // not 1: no force
    Put(expected, 11 * 2048, almost);
    expected[12 * 2048 - 1] = 0;

    EXPECT_EQ(Read("a.img"), expected);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(0, 1, "one")));
    EXPECT_TRUE(SameEntry(Slot(1), Entry(1, 2, "ten"))) << "3000 bytes take 2 sectors in place";
    EXPECT_TRUE(SameEntry(Slot(2), Entry(11, 1, "last")));
    EXPECT_EQ(Read("a.dir"), ToBytes({Slot(0), Slot(1), Slot(2)})) << "every replace stores the directory";
}

TEST_F(WriteTest, DataThatDoesNotFitOrIsForcedGoesToTheEnd) {
    const Bytes img = Pattern(2 * 2048, 4);
    OpenPaired({Entry(0, 1, "a"), Entry(1, 1, "b")}, img);
    const Bytes sector = Pattern(2048, 5);
    Write("sector", sector);
    IMGReplaceFile(0, Path("sector").c_str(), 0);
    EXPECT_EQ(SentNotes(), kAtTheEnd);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(2, 2, "a"))) << "2048 bytes round up to 2 sectors";

    IMGReplaceFile(1, Path("sector").c_str(), 0x101);  // low byte 1 forces
    EXPECT_EQ(SentNotes(), kAtTheEnd);
    EXPECT_TRUE(SameEntry(Slot(1), Entry(4, 2, "b")));

    Bytes expected = img;  // the old slots keep their bytes
    Put(expected, 4096, sector);
    Put(expected, 6144, Bytes(2048, 0));
    Put(expected, 8192, sector);
    Put(expected, 10240, Bytes(2048, 0));
    EXPECT_EQ(Read("a.img"), expected);

    // A damaged record whose slot reaches past the end of a 4 KiB .img: in
    // place, the zero fill would grow the file to 64 MiB.
    OpenPaired({Entry(1, 0x8000, "damaged")}, Pattern(2 * 2048, 6));
    IMGReplaceFile(0, Path("sector").c_str(), 0);
    EXPECT_EQ(SentNotes(), kAtTheEnd);
    EXPECT_EQ(Read("a.img").size(), 4u * 2048);
}

TEST_F(WriteTest, AppendsStartOnASectorBoundary) {
    const Bytes data = Pattern(5000, 6);
    Write("data", data);

    const Bytes whole = Pattern(10240, 7);
    OpenPaired({Entry(0, 1, "a")}, whole);
    IMGReplaceFile(0, Path("data").c_str(), 1);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(5, 3, "a")));
    Bytes expected = whole;
    Put(expected, 10240, data);
    Put(expected, 15240, Bytes(1144, 0));
    EXPECT_EQ(Read("a.img"), expected) << "16384 bytes, the data at 10240";

    // An incomplete last sector is kept: the data goes to the next boundary.
    const Bytes ragged = Pattern(10300, 8);
    OpenPaired({Entry(0, 1, "a")}, ragged);
    IMGReplaceFile(0, Path("data").c_str(), 1);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(6, 3, "a")));
    expected = ragged;
    Put(expected, 10300, Bytes(12288 - 10300, 0));
    Put(expected, 12288, data);
    Put(expected, 17288, Bytes(1144, 0));
    EXPECT_EQ(Read("a.img"), expected) << "18432 bytes, the old last sector untouched";
}

TEST_F(WriteTest, MissingAndUnreadableSourcesChangeNothing) {
    const Bytes img = Pattern(4096, 9);
    OpenPaired({Entry(0, 1, "a"), Entry(1, 1, "b")}, img);
    const Bytes storedDir = Read("a.dir");
    const TImgEntry changed = Entry(7, 7, "in memory only");
    IMGSetThisFile(1, &changed);

    std::filesystem::create_directory(Path("folder"));
    Write("ancient", Pattern(100, 1));
    const struct utimbuf epoch = {0, 0};  // 1970: no DOS date
    ASSERT_EQ(utime(Path("ancient").c_str(), &epoch), 0);
    for (const std::string& source : {Path("nothing"), Path("folder"), Path("ancient"), std::string()}) {
        IMGReplaceFile(0, source.c_str(), 1);
        EXPECT_EQ(SentNotes(), Notes{"replacing"}) << source;
    }
    IMGReplaceFile(0, nullptr, 0);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(0, 1, "a")));
    EXPECT_EQ(Read("a.img"), img);
    EXPECT_EQ(Read("a.dir"), storedDir) << "the directory is not rewritten";
    EXPECT_STREQ(IMGGetLastError(), "");

    // One that exists but cannot be opened is no missing source: it fails.
    Write("held", Pattern(100, 2));
    platform::faults::Hold("held");
    EXPECT_EQ(FailureOf([] { IMGReplaceFile(0, "held", 1); }), "Cannot open file held");
    EXPECT_EQ(FailureOf([] { IMGAddFile("held"); }), "Cannot open file held");
    EXPECT_TRUE(SameEntry(Slot(0), Entry(0, 1, "a")));
    EXPECT_EQ(Read("a.img"), img);
    EXPECT_EQ(Read("a.dir"), storedDir);
}

TEST_F(WriteTest, ReadOnlySourcesCanBeAdded) {
    OpenPaired({}, {});
    const Bytes data = Pattern(700, 10);
    Write("ro.dat", data);
    ASSERT_EQ(chmod(Path("ro.dat").c_str(), 0444), 0);
    IMGAddFile(Path("ro.dat").c_str());
    EXPECT_EQ(Exported(0), [&] { Bytes b = data; b.resize(2048); return b; }());
}

TEST_F(WriteTest, SharedSlotsNeverTakeDataInPlace) {
    // b shares a's slot and c overlaps its second sector; d has f beside it
    // and e, of no sector, inside it.
    const Bytes img = Pattern(8 * 2048, 21);
    OpenPaired({Entry(1, 2, "a"), Entry(1, 2, "b"), Entry(2, 2, "c"), Entry(4, 2, "d"), Entry(5, 0, "e"),
                Entry(6, 2, "f")}, img);
    const Bytes b = Exported(1);
    Write("small", Pattern(100, 22));
    for (int index : {0, 2}) {
        IMGReplaceFile(index, "small", 0);
        EXPECT_EQ(SentNotes(), kAtTheEnd) << index;
    }
    EXPECT_EQ(Slot(0).offset, 8u);
    EXPECT_EQ(Slot(2).offset, 9u);
    EXPECT_EQ(Exported(1), b) << "the entry that shared the slot keeps its data";
    IMGReplaceFile(1, "small", 0);
    EXPECT_EQ(SentNotes(), kInPlace) << "no one shares b's slot any more";
    IMGReplaceFile(3, "small", 0);
    EXPECT_EQ(SentNotes(), kInPlace) << "an adjacent slot or an empty one is no share";
    EXPECT_EQ(Read("a.img").size(), 10u * 2048);
    EXPECT_EQ(Exported(2), [] { Bytes data = Pattern(100, 22); data.resize(2048); return data; }());
}

TEST_F(WriteTest, SingleFileSlotsUnderTheDirectoryNeverTakeDataInPlace) {
    // "low" starts at sector 0, under the header and directory it covers.
    Bytes img = Pattern(6 * 2048, 23);
    OpenSingle({Entry(0, 3, "low"), Entry(3, 2, "high")}, img);
    const Bytes high = Exported(1);
    Write("small", Pattern(100, 24));
    setenv("TMPDIR", Path("no-such-folder").c_str(), 1);  // a relocation would fail
    IMGReplaceFile(0, "small", 0);
    unsetenv("TMPDIR");
    EXPECT_EQ(SentNotes(), (Notes{"replacing", "file exists, proceeding...", "bigger file", "header + dir size: 72",
                              "file 0 is at : 12288", "first img block is occupied by : high at 6144"}));
    EXPECT_STREQ(IMGGetLastError(), "");
    IMGLoadImg(Path("a.img").c_str());
    EXPECT_EQ(IMGFileCount(), 2);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(6, 1, "low")));
    EXPECT_EQ(Exported(1), high);
}

TEST_F(WriteTest, IndexesPastTheLastEntryAreRefused) {
    const Bytes img = Pattern(4096, 11);
    OpenPaired({Entry(0, 2, "live")}, img);
    // A stale slot holding a copy of the live entry: an in-place write
    // there would clear the live entry's data.
    IMGSetThisFile(1, &State.EntryTable[0]);
    Write("src", Pattern(10, 12));
    for (int32_t index : {1, 65535, 65536, -1}) {
        EXPECT_EQ(FailureOf([&] { IMGReplaceFile(index, Path("src").c_str(), 0); }),
                  "Entry index " + std::to_string(index) + " out of range");
    }
    EXPECT_EQ(Read("a.img"), img);
    EXPECT_TRUE(SameEntry(Slot(1), Entry(0, 2, "live")));
}

TEST_F(WriteTest, FailedWritesLeaveTheEntryAsItWas) {
    OpenPaired({Entry(0, 1, "a"), Entry(1, 4, "b")}, Pattern(5 * 2048, 13));
    const Bytes storedDir = Read("a.dir");
    Write("src", Pattern(100, 14));
    std::filesystem::remove(Path("a.img"));
    std::filesystem::create_symlink("/dev/full", Path("a.img"));
    EXPECT_EQ(FailureOf([&] { IMGReplaceFile(0, Path("src").c_str(), 1); }), "Stream write error");
    EXPECT_EQ(FailureOf([&] { IMGReplaceFile(1, Path("src").c_str(), 0); }), "Stream write error");
    EXPECT_TRUE(SameEntry(Slot(0), Entry(0, 1, "a")));
    EXPECT_TRUE(SameEntry(Slot(1), Entry(1, 4, "b")));
    EXPECT_EQ(Read("a.dir"), storedDir);

    std::filesystem::remove(Path("a.img"));
    EXPECT_EQ(FailureOf([&] { IMGReplaceFile(0, Path("src").c_str(), 1); }), "Cannot open file " + Path("a.img"));
    EXPECT_TRUE(SameEntry(Slot(0), Entry(0, 1, "a")));
}

TEST_F(WriteTest, DuringARelocationTheDirectoryIsLeftAlone) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(2048, 15));
    const Bytes storedDir = Read("a.dir");
    State.RelocationInProgress = true;
    Write("src", Pattern(10, 16));
    IMGReplaceFile(0, Path("src").c_str(), 1);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(1, 1, "a")));
    EXPECT_EQ(Read("a.dir"), storedDir);
}

TEST_F(WriteTest, AddNamesAndAppendsTheNewLastEntry) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(3000, 17));
    const Bytes data = Pattern(5000, 18);
    Write("part7.dat", data);
    IMGAddFile("part7.dat");
    EXPECT_EQ(SentNotes(), kAtTheEnd);
    EXPECT_EQ(IMGFileCount(), 2);
    EXPECT_TRUE(SameEntry(Slot(1), Entry(2, 3, "part7.dat")));
    EXPECT_EQ(Read("a.dir"), ToBytes({Slot(0), Slot(1)}));

    // The name is cut to 23 characters; the rest of the field and the next
    // slot keep their bytes.
    const std::string longName = "abcdefghijklmnopqrstuvwxyz.dff";
    Write(longName, data);
    TImgEntry stale = Entry(99, 99, "");
    std::memset(stale.name, 'Z', 24);
    IMGSetThisFile(2, &stale);
    const TImgEntry next = Entry(42, 42, "next");
    IMGSetThisFile(3, &next);
    IMGAddFile(longName.c_str());
    EXPECT_EQ(std::string(IMGGetFileName(2)), "abcdefghijklmnopqrstuvw");
    EXPECT_TRUE(SameEntry(Slot(3), next));
}

TEST_F(WriteTest, AddOfAMissingFileLeavesAnEmptyEntryUnstored) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(2048, 19));
    const Bytes storedDir = Read("a.dir");
    IMGAddFile("mods\\gone.dff");
    EXPECT_EQ(IMGFileCount(), 2);
    EXPECT_TRUE(SameEntry(Slot(1), Entry(0, 0, "gone.dff")));
    EXPECT_EQ(Read("a.dir"), storedDir);
}

TEST_F(WriteTest, AddToAFullTableChangesNothing) {
    OpenPaired({}, {});
    State.EntryCount = 65536;
    Write("src", Pattern(10, 20));
    EXPECT_EQ(FailureOf([&] { IMGAddFile(Path("src").c_str()); }), "Directory is full");
    EXPECT_EQ(IMGFileCount(), 65536);
    EXPECT_TRUE(Read("a.img").empty());
}

TEST_F(WriteTest, SourcesTooLargeToHoldChangeNothing) {
    const Bytes img = Pattern(4 * 2048, 21);
    OpenPaired({Entry(0, 1, "a"), Entry(1, 3, "b")}, img);
    const Bytes storedDir = Read("a.dir");
    platform::SetMemoryBudget(4096);
    Write("budget", Pattern(4096, 22));
    Write("over", Pattern(4097, 23));
    EXPECT_EQ(FailureOf([&] { IMGReplaceFile(1, Path("over").c_str(), 0); }), "Out of memory");
    EXPECT_EQ(SentNotes(), (Notes{"replacing", "file exists, proceeding..."}));
    EXPECT_EQ(Read("a.img"), img);
    EXPECT_EQ(Read("a.dir"), storedDir);
    IMGReplaceFile(1, Path("budget").c_str(), 0);
    EXPECT_EQ(ReadAt("a.img", int64_t{Slot(1).offset} * 2048, 4096), Pattern(4096, 22))
        << "a source of exactly the budget goes in (to the end: the journal could not hold its old slot)";

    platform::SetMemoryBudget(platform::kLargestBlock);
    const Bytes before = Read("a.img"), dirBefore = Read("a.dir");
    Write("huge", {});
    Lengthen("huge", int64_t{0x200001} * 2048);  // 4 GiB and a sector: one sector in 32 bits
    EXPECT_EQ(FailureOf([&] { IMGReplaceFile(0, Path("huge").c_str(), 1); }), "Out of memory");
    EXPECT_EQ(FailureOf([] { IMGAddFile("huge"); }), "Out of memory");
    EXPECT_TRUE(SameEntry(Slot(0), Entry(0, 1, "a")));
    EXPECT_TRUE(SameEntry(Slot(2), Entry(0, 0, "huge"))) << "the add's entry stays empty";
    EXPECT_EQ(Read("a.img"), before);
    EXPECT_EQ(Read("a.dir"), dirBefore);
}

// Memory of everyday size stays from call to call, cleared for each use; a
// larger block goes when its use ends.
TEST(KeptBlock, KeepsEverydaySizesClearedAndReleasesLargeOnes) {
    Bytes kept;
    {
        KeptBlock block(kept);
        block.Zeroed(1000).assign(1000, 7);
    }
    EXPECT_GE(kept.capacity(), 1000u);
    {
        KeptBlock block(kept);
        EXPECT_EQ(block.Zeroed(600), Bytes(600, 0));
    }
    {
        KeptBlock block(kept);
        block.Zeroed((1 << 20) + 1);
    }
    EXPECT_EQ(kept.capacity(), 0u);
}

// A single-file archive of 63 entries whose lowest block, at sector 1, holds
// sectors sectors; the others follow it, one sector each.  A 64th entry's
// directory reaches into that block.
std::vector<TImgEntry> HugeFirstBlock(uint32_t sectors) {
    std::vector<TImgEntry> entries = {Entry(1, sectors, "huge")};
    for (uint32_t i = 1; i < 63; ++i) entries.push_back(Entry(sectors + i, 1, ("e" + std::to_string(i)).c_str()));
    return entries;
}

TEST_F(WriteTest, AnAddThatMustMoveAHugeBlockLosesNoEntry) {
    for (const uint32_t sectors : {0x100000u, 0x200001u}) {
        const std::vector<TImgEntry> entries = HugeFirstBlock(sectors);
        const Bytes data = Pattern(62 * 2048, sectors);
        Bytes head = SingleFileImage(63, entries);
        head.resize(2048);
        Write("a.img", head);
        Lengthen("a.img", (int64_t{sectors} + 1) * 2048);
        std::ofstream(Path("a.img"), std::ios::binary | std::ios::app)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        IMGLoadImg(Path("a.img").c_str());
        Write("new.dat", Pattern(100, 24));
        EXPECT_EQ(FailureOf([&] { IMGAddFile(Path("new.dat").c_str()); }), "Out of memory") << sectors;
        EXPECT_EQ(ReadAt("a.img", 0, 2048), head) << "header and directory unchanged";
        EXPECT_FALSE(std::filesystem::exists(platform::TempFolder() + "tolvbuf-" + std::to_string(getpid())));

        IMGLoadImg(Path("a.img").c_str());
        ASSERT_EQ(IMGFileCount(), 63);
        for (int i = 0; i < 63; ++i) EXPECT_TRUE(SameEntry(Slot(i), entries[size_t(i)])) << i;
        for (int i = 1; i < 63; ++i) EXPECT_EQ(Exported(i), Slice(data, size_t(i - 1) * 2048, 2048)) << i;
    }
}

}  // namespace
}  // namespace tolvane::testing
