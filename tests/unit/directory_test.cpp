#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "archive_fixture.h"
#include "journal.h"
#include "platform/files.h"

namespace tolvane::testing {
namespace {

using DirectoryTest = ArchiveTest;
using Notes = std::vector<std::string>;

std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) names.push_back(item.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ScratchPath() { return platform::TempFolder() + "tolvbuf-" + std::to_string(getpid()); }

TEST_F(DirectoryTest, PairedRewriteStoresExactlyTheTable) {
    OpenPaired({Entry(0, 1, "a"), Entry(1, 1, "b"), Entry(2, 1, "c")}, Pattern(3 * 2048, 1));
    TImgEntry given = Entry(9, 9, "given");
    std::memset(given.name + 6, 0xAB, 18);
    IMGSetThisFile(2, &given);
    IMGSetThisFile(3, &given);  // past the count: not stored
    IMGReDoDir();
    EXPECT_EQ(Read("a.dir"), ToBytes({Entry(0, 1, "a"), Entry(1, 1, "b"), given}));
    EXPECT_TRUE(SentNotes().empty()) << "the paired layout sends no notes";

    State.EntryCount = 2;
    IMGReDoDir();
    EXPECT_EQ(Read("a.dir").size(), 64u);
    State.EntryCount = 0;
    IMGReDoDir();
    EXPECT_TRUE(Read("a.dir").empty());
    EXPECT_EQ(FolderListing(dir_), (std::vector<std::string>{"a.dir", "a.img"})) << "no temporary file left";
}

TEST_F(DirectoryTest, PairedRewriteLeavesARefusedDirWhole) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(2048, 2));
    const Bytes stored = Read("a.dir");
    ASSERT_EQ(chmod(Path("a.dir").c_str(), 0444), 0);
    State.EntryCount = 0;
    EXPECT_EQ(FailureOf([] { IMGReDoDir(); }), "Cannot create file " + Path("a.dir"));
    EXPECT_EQ(Read("a.dir"), stored);
    EXPECT_EQ(FolderListing(dir_), (std::vector<std::string>{"a.dir", "a.img"}));

    // Writes that fail part way, and a move that fails, leave it whole too.
    ASSERT_EQ(chmod(Path("a.dir").c_str(), 0644), 0);
    State.EntryCount = 1;
    const TImgEntry changed = Entry(5, 5, "changed");
    IMGSetThisFile(0, &changed);
    for (int64_t keep : {0, 20}) {
        platform::faults::Reset();
        platform::faults::FailChange(1, keep);  // after the create
        EXPECT_EQ(FailureOf([] { IMGReDoDir(); }), "Stream write error");
        EXPECT_EQ(Read("a.dir"), stored);
    }
    platform::faults::Reset();
    platform::faults::FailChange(3, 0);  // create, write, flush, move
    EXPECT_EQ(FailureOf([] { IMGReDoDir(); }), "Cannot create file " + Path("a.dir"));
    EXPECT_EQ(Read("a.dir"), stored);
    EXPECT_EQ(FolderListing(dir_), (std::vector<std::string>{"a.dir", "a.img"})) << "no temporary file left";
}

TEST_F(DirectoryTest, TemporaryNamesStayShort) {
    // Names of 255 characters at most: the journal and the new .dir fit
    // beside a .dir of 246; beside one of 250 the journal cannot, and the add
    // is refused before its data goes in.
    for (const size_t length : {246u, 250u}) {
        const std::string base(length - 4, 'n');
        Write(base + ".dir", ToBytes({Entry(0, 1, "a")}));
        Write(base + ".img", Pattern(2048, 34));
        IMGLoadImg(Path(base).c_str());
        Write("src", Pattern(10, 35));
        const std::string message = FailureOf([] { IMGAddFile("src"); });
        EXPECT_EQ(message.empty(), length == 246) << message;
        EXPECT_EQ(Read(base + ".img").size(), length == 246 ? 4096u : 2048u);
    }
}

TEST_F(DirectoryTest, AnotherProgramsDirectoryIsNeverWrittenOver) {
    const std::string changed = " was changed by another program";
    OpenPaired({Entry(1, 1, "a")}, Pattern(2 * 2048, 30));
    const Bytes theirs = ToBytes({Entry(1, 1, "a"), Entry(2, 1, "theirs")}), img = Read("a.img");
    Write("a.dir", theirs);
    Write("src", Pattern(10, 31));
    for (const auto& write : std::vector<std::function<void()>>{
             [] { IMGAddFile("src"); }, [] { IMGReplaceFile(0, "src", 0); }, [] { IMGDelete(0); }}) {
        EXPECT_EQ(FailureOf(write), "Directory of " + Path("a.dir") + changed);
        EXPECT_EQ(Read("a.dir"), theirs);
        EXPECT_EQ(Read("a.img"), img);
    }
    EXPECT_EQ(IMGFileCount(), 0) << "the refused add left no entry; the delete's removal stays in memory, as "
                                    "after any failed rewrite";
    IMGLoadImg(Path("a").c_str());
    IMGAddFile("src");
    EXPECT_EQ(IMGFileCount(), 3);

    // In the single-file layout another program's header counts too, as does
    // one written into a new archive too short for its own.
    for (const Bytes& before : {SingleFileImage(1, {Entry(1, 1, "a")}), Bytes{'V', 'E'}}) {
        std::filesystem::remove(Path("a.dir"));
        Write("a.img", before);
        IMGLoadImg(Path("a.img").c_str());
        Bytes other = SingleFileImage(2, {Entry(1, 1, "a"), Entry(1, 1, "b")});
        other.resize(2048);
        Write("a.img", other);
        EXPECT_EQ(FailureOf([] { IMGAddFile("src"); }), "Directory of " + Path("a.img") + changed);
        EXPECT_EQ(Read("a.img"), other);
    }
}

TEST_F(DirectoryTest, RewrittenDirectoriesAreOnTheDiskBeforeTheyCount) {
    OpenPaired({Entry(0, 1, "a")}, Pattern(2048, 11));
    Write("src", Pattern(10, 12));
    platform::faults::TakeEvents();
    IMGAddFile("src");
    char temp[32];
    std::snprintf(temp, sizeof temp, "a.dir~%x", static_cast<unsigned>(getpid()));
    const std::string folder = "sync " + std::filesystem::path(dir_).filename().string();
    // The data is on the disk before the .dir that points at it.
    EXPECT_EQ(platform::faults::TakeEvents(),
              (Notes{"write a.img", "flush a.img", "write " + std::string(temp), "flush " + std::string(temp),
                     "move " + std::string(temp) + " a.dir", folder}));

    // 70 records reach the block at sector 1: it moves; the old header and
    // records are in the journal, on the disk, before the new ones go over
    // them (and the block's old place).
    std::vector<TImgEntry> entries(70, Entry(3, 1, "far"));
    entries[0] = Entry(1, 1, "low");
    std::filesystem::remove(Path("a.dir"));
    OpenSingle(entries, Pattern(4 * 2048, 13));
    platform::faults::TakeEvents();
    IMGReDoDir();
    const std::string scratch = std::filesystem::path(ScratchPath()).filename().string();
    const Notes journaled = {"write a.img-journal", "flush a.img-journal", folder, "write a.img", "flush a.img"};
    Notes events = {"write " + scratch, "write a.img"};
    events.insert(events.end(), journaled.begin(), journaled.end());
    EXPECT_EQ(platform::faults::TakeEvents(), events);
    IMGReDoDir();
    EXPECT_EQ(platform::faults::TakeEvents(), journaled);
    EXPECT_FALSE(std::filesystem::exists(Path("a.img-journal")));
}

TEST_F(DirectoryTest, AReplaceInPlaceOfTheSameSizeLeavesTheStoredDirectoryAsItIs) {
    const std::string folder = "sync " + std::filesystem::path(dir_).filename().string();
    const Notes journaled = {"write a.img-journal", "flush a.img-journal", folder, "write a.img", "flush a.img"};
    OpenPaired({Entry(0, 2, "a"), Entry(2, 1, "b")}, Pattern(3 * 2048, 21));
    struct stat before, after;
    ASSERT_EQ(stat(Path("a.dir").c_str(), &before), 0);
    Write("src", Pattern(3000, 22));  // two sectors, as the slot
    platform::faults::TakeEvents();
    IMGReplaceFile(0, "src", 0);
    // The data under the journal, on the disk before the journal goes; the
    // .dir is the very file it was.
    EXPECT_EQ(platform::faults::TakeEvents(), journaled);
    ASSERT_EQ(stat(Path("a.dir").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    Bytes expected = Pattern(3000, 22);
    expected.resize(4096);
    EXPECT_EQ(Exported(0), expected);
    EXPECT_FALSE(std::filesystem::exists(Path("a.img-journal")));
    // A smaller one changes the record, and the .dir follows.
    Write("src", Pattern(100, 23));
    IMGReplaceFile(0, "src", 0);
    EXPECT_EQ(Read("a.dir"), ToBytes({Entry(0, 1, "a"), Entry(2, 1, "b")}));

    // Single file: the journal holds the slot alone (kept here by a crash
    // after its flush), and the rewrite's notes are sent all the same.
    std::filesystem::remove(Path("a.dir"));
    OpenSingle({Entry(1, 2, "a")}, Pattern(3 * 2048, 24));
    Write("src", Pattern(3000, 22));
    SentNotes();
    platform::faults::TakeEvents();
    IMGReplaceFile(0, "src", 0);
    EXPECT_EQ(platform::faults::TakeEvents(), journaled);
    EXPECT_EQ(SentNotes(), (Notes{"replacing", "file exists, proceeding...", "smaller or same file",
                                  "header + dir size: 40", "file 0 is at : 2048",
                                  "first img block is occupied by : a at 2048"}));
    Write("src", Pattern(3500, 25));
    platform::faults::Reset();
    platform::faults::CrashAt(3);  // the journal's create, write and flush go through
    EXPECT_EQ(FailureOf([] { IMGReplaceFile(0, "src", 0); }), "Stream write error");
    EXPECT_EQ(Read("a.img-journal").size(), 32u + 16 + 4096);
    platform::faults::Reset();
    IMGLoadImg(Path("a.img").c_str());
    EXPECT_EQ(Exported(0), expected);
}

// The journal's checksum is CRC-32 (zip, PNG), whatever the length.
TEST_F(DirectoryTest, TheJournalChecksumIsCrc32AtEveryLength) {
    const auto bytewise = [](const Bytes& data) {
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char byte : data) {
            crc ^= byte;
            for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        return crc ^ 0xFFFFFFFFu;
    };
    const std::string check = "123456789";
    EXPECT_EQ(Checksum(reinterpret_cast<const unsigned char*>(check.data()), check.size()), 0xCBF43926u);
    const Bytes data = Pattern(3001, 25);
    for (size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 2048, 3001}) {
        const Bytes part(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(Checksum(part.data(), part.size()), bytewise(part)) << length;
    }
}

TEST_F(DirectoryTest, SingleFileRewriteClearOfTheData) {
    Bytes img = Pattern(4 * 2048, 3);
    OpenSingle({Entry(3, 1, "c"), Entry(1, 2, "ab")}, img);
    State.EntryTable[0].size = 1;  // in memory only
    IMGReDoDir();
    EXPECT_EQ(SentNotes(), (Notes{"header + dir size: 72", "file 0 is at : 6144",
                              "first img block is occupied by : ab at 2048"}));
    Put(img, 0, SingleFileImage(2, {Entry(3, 1, "c"), Entry(1, 2, "ab")}));
    EXPECT_EQ(Read("a.img"), img) << "header and directory written, nothing else";
    EXPECT_EQ(std::memcmp(&State.HeaderBuffer, "VER2\x02\0\0\0", 8), 0);
}

TEST_F(DirectoryTest, FirstAddIntoAHeaderOnlyImgLandsAtSectorOne) {
    OpenSingle({}, {});
    const Bytes data = Pattern(5000, 4);
    Write("src.dat", data);
    IMGAddFile("src.dat");
    EXPECT_EQ(SentNotes(), (Notes{"replacing", "file exists, proceeding...", "bigger file", "header + dir size: 40",
                              "file 0 is at : 2048", "first img block is occupied by : src.dat at 2048"}));
    EXPECT_TRUE(SameEntry(Slot(0), Entry(1, 3, "src.dat")));
    Bytes expected(8192, 0);
    Put(expected, 0, SingleFileImage(1, {Entry(1, 3, "src.dat")}));
    Put(expected, 2048, data);
    EXPECT_EQ(Read("a.img"), expected);
}

TEST_F(DirectoryTest, TheGrowingDirectoryMovesTheLowestBlock) {
    // 191 entries end at byte 6120, short of the block at 6144; the 192nd
    // reaches it.
    std::vector<TImgEntry> entries;
    for (uint32_t i = 0; i < 191; ++i) entries.push_back(Entry(3 + i, 1, ("e" + std::to_string(i)).c_str()));
    Bytes img = Pattern((3 + 191) * 2048, 5);
    OpenSingle(entries, img);
    const Bytes lowest = Exported(0);
    std::ofstream(ScratchPath()) << std::string(50000, 'x');  // a stale one
    Write("new.dat", Pattern(100, 6));
    IMGAddFile("new.dat");
    EXPECT_EQ(SentNotes(), (Notes{"replacing", "file exists, proceeding...", "bigger file", "header + dir size: 6152",
                              "file 0 is at : 6144", "first img block is occupied by : e0 at 6144",
                              "RELOCATING first img block that is occupied by : e0 at 6144", "replacing",
                              "file exists, proceeding...", "bigger file"}));
    EXPECT_TRUE(SameEntry(Slot(191), Entry(194, 1, "new.dat")));
    EXPECT_TRUE(SameEntry(Slot(0), Entry(195, 2, "e0"))) << "one sector more";
    Bytes moved = lowest;
    moved.resize(4096);
    EXPECT_EQ(Exported(0), moved);
    EXPECT_FALSE(std::filesystem::exists(ScratchPath()));
    EXPECT_FALSE(State.RelocationInProgress);
    EXPECT_EQ(Read("a.img").size(), 197u * 2048);
}

TEST_F(DirectoryTest, EveryBlockTheDirectoryReachesMoves) {
    // 70 records end at byte 2248: a size-0 entry at 0 and two entries
    // sharing sector 1 are all in the way.
    std::vector<TImgEntry> entries = {Entry(9, 1, "far"), Entry(1, 1, "b"), Entry(0, 0, "empty"), Entry(1, 1, "c")};
    while (entries.size() < 70) entries.push_back(Entry(10, 1, "filler"));
    OpenSingle(entries, Pattern(11 * 2048, 7));
    const Bytes shared = Exported(1);
    IMGReDoDir();
    const Notes notes = SentNotes();
    EXPECT_EQ(std::count_if(notes.begin(), notes.end(), [](const std::string& n) { return n.rfind("RELOC", 0) == 0; }),
              3);
    EXPECT_EQ(notes[3], "RELOCATING first img block that is occupied by : empty at 0");
    EXPECT_EQ(notes[7], "RELOCATING first img block that is occupied by : b at 2048");
    EXPECT_EQ(notes[11], "RELOCATING first img block that is occupied by : c at 2048");
    EXPECT_TRUE(SameEntry(Slot(2), Entry(11, 1, "empty")));
    EXPECT_TRUE(SameEntry(Slot(1), Entry(12, 2, "b")));
    EXPECT_TRUE(SameEntry(Slot(3), Entry(14, 2, "c")));
    Bytes expected = shared;
    expected.resize(4096);
    EXPECT_EQ(Exported(1), expected);
    EXPECT_EQ(Exported(3), expected);
    EXPECT_EQ(Exported(2), Bytes(2048, 0));
    EXPECT_TRUE(SameEntry(Slot(0), Entry(9, 1, "far")));
}

TEST_F(DirectoryTest, AFailedRelocationClearsTheFlag) {
    OpenSingle({Entry(0, 1, "low")}, Pattern(2048, 8));
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved ? saved : "";
    setenv("TMPDIR", Path("missing-folder").c_str(), 1);
    const std::string message = FailureOf([] { IMGReDoDir(); });
    saved ? setenv("TMPDIR", savedValue.c_str(), 1) : unsetenv("TMPDIR");
    EXPECT_EQ(message, "Cannot create file " + Path("missing-folder") + "/tolvbuf-" + std::to_string(getpid()));
    EXPECT_FALSE(State.RelocationInProgress);
    EXPECT_TRUE(SameEntry(Slot(0), Entry(0, 1, "low")));

    Write("src", Pattern(10, 9));
    SentNotes();
    IMGReplaceFile(0, Path("src").c_str(), 0);
    EXPECT_EQ(SentNotes().size(), 3u + 3u) << "the replace rewrites the directory again";
    EXPECT_TRUE(SameEntry(Slot(0), Entry(1, 1, "low"))) << "not in place, under the directory";
    IMGLoadImg(Path("a.img").c_str());
    EXPECT_TRUE(SameEntry(Slot(0), Entry(1, 1, "low")));
}

TEST_F(DirectoryTest, AReadThatFailsMovesNothing) {
    // 63 records; the 64th reaches the block at sector 1, whose read fails.
    std::vector<TImgEntry> entries;
    for (uint32_t i = 0; i < 63; ++i) entries.push_back(Entry(1 + 2 * i, 2, ("e" + std::to_string(i)).c_str()));
    OpenSingle(entries, Pattern(127 * 2048, 32));
    const Bytes lowest = Exported(0), stored = Read("a.img");
    Write("new.dat", Pattern(100, 33));
    platform::faults::FailReadAt(Path("a.img"), 2048);
    EXPECT_EQ(FailureOf([] { IMGAddFile("new.dat"); }), "Cannot open file " + Path("a.img"));
    platform::faults::Reset();
    EXPECT_EQ(ReadAt("a.img", 0, stored.size()), stored) << "header, records and blocks as they were";
    IMGLoadImg(Path("a.img").c_str());
    EXPECT_EQ(IMGFileCount(), 63);
    EXPECT_EQ(Exported(0), lowest);
}

TEST_F(DirectoryTest, SingleFileFailuresOfTheImg) {
    OpenSingle({Entry(1, 1, "a")}, Pattern(4096, 10));
    std::filesystem::remove(Path("a.img"));
    EXPECT_EQ(FailureOf([] { IMGReDoDir(); }), "Cannot open file " + Path("a.img"));
    EXPECT_TRUE(SentNotes().empty());
    // A write of header and records that fails part way is taken back.
    const Bytes img = Pattern(4096, 10);
    OpenSingle({Entry(1, 1, "a")}, img);
    const Bytes stored = Read("a.img");
    IMGRemoveFile(0);
    platform::faults::FailChange(3, 5);  // after the journal's create, write and flush
    EXPECT_EQ(FailureOf([] { IMGReDoDir(); }), "Stream write error");
    EXPECT_EQ(Read("a.img"), stored);
    EXPECT_FALSE(std::filesystem::exists(Path("a.img-journal")));
}

}  // namespace
}  // namespace tolvane::testing
