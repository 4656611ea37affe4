#include <sys/stat.h>

#include "archive_fixture.h"

namespace tolvane::testing {
namespace {

class OpenTest : public ArchiveTest {
protected:
    void ExpectNothingWritten(const std::string& message, const std::vector<std::string>& files);
};

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

TEST_F(OpenTest, AnImgTooShortForAHeaderIsANewEmptyArchive) {
    Write("four.img", SingleFileImage(4, {Entry(1, 1, "a"), Entry(2, 1, "b"), Entry(3, 1, "c"), Entry(4, 1, "d")}));
    IMGLoadImg(Path("four.img").c_str());
    for (const Bytes& start : {Bytes{}, Bytes{'V', 'E', 'R', '2', 0x01}}) {
        Write("new.img", start);
        IMGLoadImg(Path("new.img").c_str());
        EXPECT_EQ(IMGFileCount(), 0) << "never the count of the archive opened before";
        EXPECT_EQ(std::memcmp(&State.HeaderBuffer, "VER2\0\0\0\0", 8), 0);
        EXPECT_STREQ(IMGGetLastError(), "");
    }
    Write("src", Pattern(100, 1));
    IMGAddFile("src");
    EXPECT_EQ(Read("new.img").size(), 2u * 2048);
    IMGLoadImg(Path("new.img").c_str());
    EXPECT_EQ(IMGFileCount(), 1);
    EXPECT_STREQ(IMGGetFileName(0), "src");
}

// Every call that writes the archive's files fails with message before
// changing anything in memory or on disk.
void OpenTest::ExpectNothingWritten(const std::string& message, const std::vector<std::string>& files) {
    const std::string source = "src";
    std::vector<Bytes> before;
    for (const auto& f : files) before.push_back(Read(f));
    const int32_t count = IMGFileCount();
    const TImgEntry first = State.EntryTable[0];
    const std::vector<std::function<void()>> writes = {
        [&] { IMGAddFile(source.c_str()); }, [&] { IMGReplaceFile(0, source.c_str(), 0); },
        [&] { IMGReplaceFile(0, source.c_str(), 1); }, [] { IMGDelete(0); }, [] { IMGReDoDir(); }};
    for (const auto& write : writes) EXPECT_EQ(FailureOf(write), message);
    EXPECT_EQ(IMGFileCount(), count);
    EXPECT_TRUE(SameEntry(State.EntryTable[0], first));
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(Read(files[i]), before[i]) << files[i];
}

TEST_F(OpenTest, ADirectoryNotReadWholeIsNeverWritten) {
    const std::vector<TImgEntry> four = {Entry(1, 1, "a"), Entry(2, 1, "b"), Entry(3, 1, "c"), Entry(4, 1, "d")};
    Write("a.img", SingleFileImage(4, four));
    Write("p.dir", ToBytes({Entry(0, 1, "p0"), Entry(1, 1, "p1")}));
    Write("p.img", Pattern(4096, 2));
    Write("src", Pattern(100, 3));
    const auto opened = [&](const std::string& path) {
        IMGLoadImg(Path("a.img").c_str());  // a whole archive of four entries first
        IMGLoadImg(Path(path).c_str());
        return std::string(IMGGetLastError());
    };

    platform::faults::Hold(Path("p.dir"));
    EXPECT_EQ(opened("p"), "Directory of " + Path("p.dir") + " was not read whole");
    EXPECT_EQ(IMGFileCount(), 0) << "a .dir held elsewhere gives no entries";
    ExpectNothingWritten("Directory of " + Path("p.dir") + " was not read whole", {"p.dir", "p.img"});
    platform::faults::Reset();

    platform::faults::Hold(Path("b.img"));
    Write("b.img", SingleFileImage(1, {Entry(1, 1, "b0")}));
    EXPECT_EQ(opened("b.img"), "Directory of " + Path("b.img") + " was not read whole");
    ExpectNothingWritten("Directory of " + Path("b.img") + " was not read whole", {"b.img"});
    platform::faults::Reset();

    Write("short.img", SingleFileImage(3, {Entry(1, 1, "only")}));
    EXPECT_EQ(opened("short"), "Directory of " + Path("short.img") + " was not read whole");
    ExpectNothingWritten("Directory of " + Path("short.img") + " was not read whole", {"short.img"});

    std::filesystem::rename(Path("p.dir"), Path("p.dir.away"));  // the data file alone
    EXPECT_EQ(opened("p.img"), "Directory of " + Path("p.img") + " was not read whole");
    ExpectNothingWritten("Directory of " + Path("p.img") + " was not read whole", {"p.img"});

    EXPECT_EQ(opened("neither"), "Directory of " + Path("neither.img") + " was not read whole");
    EXPECT_EQ(IMGFileCount(), 4) << "the count of the last header, as before";
    ExpectNothingWritten("Directory of " + Path("neither.img") + " was not read whole", {"neither.img"});

    EXPECT_EQ(opened("a"), "");
    IMGReDoDir();
    EXPECT_STREQ(IMGGetLastError(), "") << "a whole open allows writes again";
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
    EXPECT_EQ(FailureOf([] { IMGReDoDir(); }), "Directory of " + Path("big.dir") + " was not read whole")
        << "a rewrite would cut the directory to 65,536 records";
    EXPECT_EQ(Read("big.dir").size(), many.size() * 32);

    Bytes huge = SingleFileImage(70000, many);
    Write("huge.img", huge);
    IMGLoadImg(Path("huge.img").c_str());
    EXPECT_EQ(IMGFileCount(), 65536);
    EXPECT_EQ(State.HeaderBuffer.count, 70000);
    EXPECT_EQ(FailureOf([] { IMGReDoDir(); }), "Directory of " + Path("huge.img") + " was not read whole");

    // A negative count is as damaged as a huge one: the next add would
    // otherwise write its record over record one.
    Write("negative.img", SingleFileImage(-3, {Entry(1, 1, "n")}));
    IMGLoadImg(Path("negative.img").c_str());
    EXPECT_EQ(IMGFileCount(), 0);
    EXPECT_STREQ(IMGGetFileName(0), "m") << "nothing is read for a negative count";
    EXPECT_EQ(FailureOf([] { IMGAddFile("x"); }), "Directory of " + Path("negative.img") + " was not read whole");
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
    EXPECT_STREQ(IMGGetLastError(), "Directory of .img was not read whole");
}

TEST_F(OpenTest, ForwardSlashesSeparateFoldersToo) {
    std::filesystem::create_directory(Path("data.v1"));
    Write("data.v1/models.dir", ToBytes({Entry(0, 1, "inner")}));
    Write("data.dir", ToBytes({Entry(0, 1, "x"), Entry(1, 1, "y")}));  // where a backslash-only rule would look
    IMGLoadImg(Path("data.v1/models").c_str());
    EXPECT_EQ(State.ArchivePath, Path("data.v1/models.dir"));
    EXPECT_EQ(IMGFileCount(), 1);
}

}  // namespace
}  // namespace tolvane::testing
