#include <unistd.h>

#include <sstream>

#include <sys/stat.h>

#include "archive_fixture.h"
#include "check.h"
#include "imgtool.h"
#include "progress.h"
#include "rebuild_plan.h"
#include "selection.h"
#include "wildcards.h"

namespace tolvane::testing {
namespace {

using imgtool::FindEntry;
using imgtool::SafeFileName;

TEST(ImgtoolSelection, NamesFirstThenIndexes) {
    const std::vector<TImgEntry> entries = {Entry(0, 1, "Car.dff"), Entry(1, 1, "3"), Entry(2, 1, "car.dff")};
    EXPECT_EQ(FindEntry(entries, "CAR.DFF"), 0) << "letters compare without case, first match";
    EXPECT_EQ(FindEntry(entries, "3"), 1) << "a name that looks like an index is a name";
    EXPECT_EQ(FindEntry(entries, "2"), 2);
    EXPECT_EQ(FindEntry(entries, "4"), std::nullopt);
    EXPECT_EQ(FindEntry(entries, "-1"), std::nullopt);
    EXPECT_EQ(FindEntry(entries, "99999999999"), std::nullopt);
    EXPECT_EQ(FindEntry(entries, ""), std::nullopt);

    // Cyrillic in code page 1251: "машина.dff", "ёж" against "МАШИНА.DFF", "ЁЖ".
    const std::vector<TImgEntry> cyrillic = {Entry(0, 1, "\xEC\xE0\xF8\xE8\xED\xE0.dff"), Entry(1, 1, "\xB8\xE6")};
    EXPECT_EQ(FindEntry(cyrillic, "\xCC\xC0\xD8\xC8\xCD\xC0.DFF"), 0);
    EXPECT_EQ(FindEntry(cyrillic, "\xA8\xC6"), 1);
    EXPECT_EQ(FindEntry(cyrillic, "\xA8\xE6\xE6"), std::nullopt);
}

TEST(ImgtoolWildcards, MatchAsWindowsDoes) {
    using imgtool::MatchesPattern;
    EXPECT_TRUE(MatchesPattern("CAR.DFF", "*.dff") && MatchesPattern("a.b.dff", "*.dff"));
    EXPECT_FALSE(MatchesPattern("car.dffx", "*.dff") || MatchesPattern("car12.txd", "car?.*"));
    EXPECT_TRUE(MatchesPattern("readme", "*.*")) << "NAME.* takes a name without an extension";
    EXPECT_TRUE(MatchesPattern("\xCC\xC0\xD8.dff", "\xEC*")) << "Cyrillic letters without case";
    EXPECT_TRUE(MatchesPattern("aXbXc", "*X*c"));
}

TEST(ImgtoolSelection, FileNamesStayInsideTheFolder) {
    EXPECT_EQ(SafeFileName("car.dff", 0), "car.dff");
    EXPECT_EQ(SafeFileName("..\\..\\evil.exe", 1), ".._.._evil.exe");
    EXPECT_EQ(SafeFileName("../x", 1), ".._x");
    EXPECT_EQ(SafeFileName("C:x", 1), "C_x");
    EXPECT_EQ(SafeFileName("..", 2), "._");
    EXPECT_EQ(SafeFileName(".", 2), "_");
    EXPECT_EQ(SafeFileName("", 7), "entry7_");
    EXPECT_EQ(SafeFileName("con.txd", 3), "entry3_con.txd");
    EXPECT_EQ(SafeFileName("a\tb?", 3), "a_b_");
    EXPECT_EQ(SafeFileName("name. ", 3), "name._");
}

TEST(ImgtoolRebuildPlan, BackToBackAfterTheDirectory) {
    const std::vector<TImgEntry> entries = {Entry(40, 3, "a"), Entry(9, 0, "empty"), Entry(2, 2, "b")};
    const auto paired = imgtool::PlanRebuild(entries, false);
    EXPECT_EQ(paired.entries[0].offset, 0u);
    EXPECT_EQ(paired.entries[1].offset, 3u);
    EXPECT_EQ(paired.entries[2].offset, 3u);
    EXPECT_EQ(paired.imgSectors, 5u);
    EXPECT_STREQ(paired.entries[2].name, "b");

    const auto single = imgtool::PlanRebuild(entries, true);
    EXPECT_EQ(single.firstDataSector, 1u);
    EXPECT_EQ(single.entries[0].offset, 1u);
    EXPECT_EQ(single.imgSectors, 6u);
    const std::vector<TImgEntry> many(64, Entry(0, 1, "m"));  // 8 + 64 * 32 bytes reach into sector 1
    EXPECT_EQ(imgtool::PlanRebuild(many, true).firstDataSector, 2u);
    EXPECT_EQ(imgtool::PlanRebuild({}, true).firstDataSector, 1u);
}

// The problems found, each reduced to whether it contains a given phrase.
bool Mentions(const std::vector<std::string>& problems, const std::string& phrase) {
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& p) { return p.find(phrase) != std::string::npos; });
}

TEST(ImgtoolCheck, SlotsAgainstTheFileAndEachOther) {
    imgtool::StoredLayout paired;
    paired.imgBytes = 10 * 2048;
    paired.dirBytes = 5 * 32;
    std::vector<TImgEntry> entries = {Entry(0, 4, "a"), Entry(0, 4, "shared"), Entry(4, 2, "b"),
                                      Entry(9, 1, "last"), Entry(20, 0, "empty")};
    EXPECT_EQ(imgtool::FindProblems(paired, entries), std::vector<std::string>{})
        << "an exactly shared slot, a slot ending at the end, an empty entry past it";

    entries.push_back(Entry(3, 2, "cross"));    // into a and b
    entries.push_back(Entry(9, 2, "past"));     // beyond sector 10
    std::memcpy(entries[2].name, "abcdefghijklmnopqrstuvwx", 24);
    const auto problems = imgtool::FindProblems(paired, entries);
    EXPECT_TRUE(Mentions(problems, "entry 0 (a) and entry 5 (cross) overlap: sectors 0-3 and 3-4"));
    EXPECT_TRUE(Mentions(problems, "entry 3 (last) and entry 6 (past) overlap"));
    EXPECT_TRUE(Mentions(problems, "entry 6 (past): sectors 9-10 reach past the end of the .img (20480 bytes)"));
    EXPECT_TRUE(Mentions(problems, "entry 2 (abcdefghijklmnopqrstuvwx): the name has no terminating zero"));
    EXPECT_TRUE(Mentions(problems, "entry 2 (abcdefghijklmnopqrstuvwx) and entry 5 (cross) overlap"));
    EXPECT_EQ(problems.size(), 5u) << "shared is no problem, nor does cross show twice with a";

    entries.push_back(Entry(20, 0, "LAST"));
    EXPECT_TRUE(Mentions(imgtool::FindProblems(paired, entries), "entry 7 (LAST) has the name of entry 3 (last)"));

    paired.dirBytes = 5 * 32 + 7;
    EXPECT_TRUE(Mentions(imgtool::FindProblems(paired, {}), "partial record"));
    paired.dirBytes = 65537 * 32;
    EXPECT_TRUE(Mentions(imgtool::FindProblems(paired, {}), "holds 65537 records"));
}

TEST(ImgtoolCheck, SingleFileHeaderAndDirectory) {
    imgtool::StoredLayout single;
    single.singleFile = true;
    single.imgBytes = 2 * 2048;
    single.storedCount = 64;  // 8 + 64 * 32 bytes: one past the first sector
    const auto named = [](size_t count) {
        std::vector<TImgEntry> entries;
        for (size_t i = 0; i < count; ++i) entries.push_back(Entry(1, 1, ("m" + std::to_string(i)).c_str()));
        return entries;
    };
    const std::vector<TImgEntry> sixtyFour = named(64);
    EXPECT_TRUE(Mentions(imgtool::FindProblems(single, sixtyFour), "entry 0 (m0): sectors 1-1 start under the header"));
    const std::vector<TImgEntry> sixtyThree = named(63);
    single.storedCount = 63;
    EXPECT_EQ(imgtool::FindProblems(single, sixtyThree), std::vector<std::string>{});

    single.storedCount = 200;
    EXPECT_TRUE(Mentions(imgtool::FindProblems(single, {}), "counts 200 entries, but the .img holds 127 records"));
    single.storedCount = -1;
    EXPECT_TRUE(Mentions(imgtool::FindProblems(single, {}), "counts -1 entries"));
    single.hasMagic = false;
    EXPECT_EQ(imgtool::FindProblems(single, sixtyFour).size(), 1u) << "without VER2 the rest is not a directory";
}

TEST(ImgtoolProgress, WholeLinesToALogOneLineOnAConsole) {
    std::ostringstream log;
    {
        imgtool::Progress progress(log, "adding", 3);
        for (int i = 1; i <= 3; ++i) progress.Step(i);
    }
    EXPECT_EQ(log.str(), "adding 1/3\nadding 3/3\n") << "the first and the last count, each on a line";

    std::ostringstream console;
    imgtool::SetProgressOnConsole(true);
    {
        imgtool::Progress progress(console, "adding", 3);
        for (int i = 1; i <= 3; ++i) progress.Step(i);
    }
    imgtool::SetProgressOnConsole(false);
    EXPECT_EQ(console.str(), "\radding 1/3\radding 3/3\n");

    std::ostringstream idle;
    { imgtool::Progress progress(idle, "adding", 3); }
    EXPECT_EQ(idle.str(), "") << "nothing done, nothing shown";
}

class ImgtoolTest : public ArchiveTest {
protected:
    void SetUp() override {
        ArchiveTest::SetUp();
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(dir_.c_str()), 0);  // the library names entries after the bare file name
    }
    void TearDown() override {
        ASSERT_EQ(chdir(previous_), 0);
        ArchiveTest::TearDown();
    }
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return imgtool::Run(args, out_, err_);
    }
    static Bytes Pattern(size_t length, unsigned char seed) {
        Bytes b(length);
        for (size_t i = 0; i < length; ++i) b[i] = static_cast<unsigned char>(seed + i * 7);
        return b;
    }
    // An archive with three files added through the library, one replaced so
    // that its old slot is left unused.
    void MakeArchive(bool singleFile) {
        if (singleFile) {
            Write("arc.img", SingleFileImage(0, {}));
        } else {
            Write("arc.dir", {});
            Write("arc.img", {});
        }
        Write("one.dat", Pattern(5000, 1));
        Write("two.dat", Pattern(2048, 2));
        Write("three.dat", Pattern(100, 3));
        Write("big.dat", Pattern(9000, 4));
        ASSERT_EQ(Run({"add", "arc.img", "one.dat", "two.dat", "three.dat"}), 0) << err_.str();
        ASSERT_EQ(Run({"replace", "arc.img", "three.dat", "big.dat"}), 0) << err_.str();
    }
    Bytes Extracted(const std::string& archive, const std::string& entry) {
        EXPECT_EQ(Run({"extract", archive, entry, "-o", "x"}), 0) << err_.str();
        return Read("x/" + entry);
    }
    static Bytes Padded(Bytes data) {
        data.resize(NextSectorBoundary(static_cast<int64_t>(data.size())));
        return data;
    }
    char previous_[4096];
    std::ostringstream out_, err_;
};

TEST_F(ImgtoolTest, ListInfoAndExitCodes) {
    MakeArchive(false);
    EXPECT_EQ(Run({"list", "arc.img"}), 0);
    EXPECT_NE(out_.str().find("two.dat"), std::string::npos);
    EXPECT_NE(out_.str().find("total: 3 entries"), std::string::npos) << out_.str();
    EXPECT_EQ(Run({"info", "arc.dir"}), 0);
    EXPECT_NE(out_.str().find("paired"), std::string::npos);
    EXPECT_NE(out_.str().find("unused:      "), std::string::npos);

    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out_.str().find("exit codes"), std::string::npos);
    EXPECT_EQ(Run({"frobnicate", "arc.img"}), 2);
    EXPECT_NE(err_.str().find("unknown command"), std::string::npos);
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"list"}), 2);
    EXPECT_EQ(Run({"list", "missing.img"}), 3);
    EXPECT_NE(err_.str().find("no such archive"), std::string::npos);
    EXPECT_EQ(Run({"extract", "arc.img", "nothing.dat"}), 3);
    EXPECT_EQ(Run({"add", "arc.img", "no-such-file"}), 3);
}

TEST_F(ImgtoolTest, ArchivePathsWithForwardSlashesAndDottedFolders) {
    std::filesystem::create_directories(Path("data.v1/pack"));
    Write("data.v1/pack/arc.dir", {});
    Write("data.v1/pack/arc.img", {});
    Write("one.dat", Pattern(100, 1));
    EXPECT_EQ(Run({"add", "data.v1/pack/arc", "one.dat"}), 0) << err_.str();
    EXPECT_EQ(Read("data.v1/pack/arc.dir").size(), 32u);
    EXPECT_FALSE(std::filesystem::exists(Path("data.img")));
    EXPECT_FALSE(std::filesystem::exists(Path("data.dir")));
    EXPECT_EQ(Run({"list", "data.v1/pack/arc.img"}), 0);
    EXPECT_NE(out_.str().find("one.dat"), std::string::npos) << out_.str();
}

TEST_F(ImgtoolTest, ExtractReplaceAndDeleteThroughTheLibrary) {
    MakeArchive(true);
    EXPECT_EQ(Extracted("arc.img", "one.dat"), Padded(Pattern(5000, 1)));
    EXPECT_EQ(Extracted("arc.img", "three.dat"), Padded(Pattern(9000, 4)));
    EXPECT_EQ(Run({"extract", "arc.img", "1", "-o", "by-index"}), 0);
    EXPECT_EQ(Read("by-index/two.dat"), Padded(Pattern(2048, 2)));

    EXPECT_EQ(Run({"delete", "arc.img", "one.dat", "2"}), 0) << err_.str();
    EXPECT_EQ(Run({"list", "arc.img"}), 0);
    EXPECT_EQ(out_.str().find("one.dat"), std::string::npos);
    EXPECT_NE(out_.str().find("total: 1 entries"), std::string::npos) << out_.str();
    EXPECT_EQ(Extracted("arc.img", "two.dat"), Padded(Pattern(2048, 2)));
}

TEST_F(ImgtoolTest, ExtractAllKeepsHostileAndDuplicateNamesInsideTheFolder) {
    Write("arc.dir", ToBytes({Entry(0, 1, "../escape.txt"), Entry(1, 1, "same"), Entry(2, 1, "SAME")}));
    Bytes img = Pattern(3 * 2048, 9);
    Write("arc.img", img);
    EXPECT_EQ(Run({"extract-all", "arc.img", "-o", "out/all"}), 0) << err_.str();
    EXPECT_FALSE(std::filesystem::exists(Path("out/escape.txt")));
    EXPECT_EQ(Read("out/all/.._escape.txt"), Bytes(img.begin(), img.begin() + 2048));
    EXPECT_EQ(Read("out/all/same"), Bytes(img.begin() + 2048, img.begin() + 4096));
    EXPECT_EQ(Read("out/all/SAME (2)"), Bytes(img.begin() + 4096, img.end())) << "never the same file twice";
    EXPECT_NE(err_.str().find("entry 2 (SAME) written as SAME (2)"), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("extracting 3/3"), std::string::npos) << "a progress line";

    // Cyrillic names that differ in case only are one file on Windows, too.
    Write("ru.dir", ToBytes({Entry(0, 1, "\xEC.dff"), Entry(1, 1, "\xCC.dff"), Entry(2, 1, "\xCC (2).dff")}));
    Write("ru.img", img);
    EXPECT_EQ(Run({"extract-all", "ru.img", "-o", "ru"}), 0) << err_.str();
    EXPECT_TRUE(std::filesystem::exists(Path("ru/\xCC (2).dff")));
    EXPECT_EQ(Read("ru/\xCC (2) (2).dff"), Bytes(img.begin() + 4096, img.end()));
}

TEST_F(ImgtoolTest, RebuildCompactsAndKeepsEveryEntry) {
    for (bool single : {false, true}) {
        SCOPED_TRACE(single ? "single file" : "paired");
        MakeArchive(single);
        IMGLoadImg("arc.img");
        ASSERT_GT(IMGHowMuchFragmented(), 0);
        std::vector<Bytes> before;
        for (const char* name : {"one.dat", "two.dat", "three.dat"}) before.push_back(Extracted("arc.img", name));

        EXPECT_EQ(Run({"rebuild", "arc.img", "copy"}), 0) << err_.str();
        IMGLoadImg("copy.img");
        EXPECT_EQ(IMGHowMuchFragmented(), 0) << "no unused sectors";
        EXPECT_EQ(State.SingleFileMode, single);

        EXPECT_EQ(Run({"rebuild", "arc.img"}), 0) << err_.str();
        EXPECT_FALSE(std::filesystem::exists(Path("arc-rebuilding.img")));
        EXPECT_FALSE(std::filesystem::exists(Path("arc.img.old")));
        IMGLoadImg("arc.img");
        EXPECT_EQ(IMGHowMuchFragmented(), 0);
        EXPECT_EQ(Read("arc.img"), Read("copy.img"));
        int i = 0;
        for (const char* name : {"one.dat", "two.dat", "three.dat"}) {
            EXPECT_EQ(Extracted("arc.img", name), before[i++]) << name;
        }
        for (const char* f : {"arc.img", "arc.dir", "copy.img", "copy.dir"}) std::filesystem::remove(Path(f));
    }
}

TEST_F(ImgtoolTest, CreateMakesAnEmptyArchiveAndNeverOverwrites) {
    EXPECT_EQ(Run({"create", "new.img"}), 0) << err_.str();
    EXPECT_EQ(Read("new.img"), (Bytes{'V', 'E', 'R', '2', 0, 0, 0, 0}));
    EXPECT_FALSE(std::filesystem::exists(Path("new.dir")));
    EXPECT_EQ(Run({"create", "pair", "--paired"}), 0) << err_.str();
    EXPECT_EQ(Read("pair.dir").size(), 0u);
    EXPECT_EQ(Read("pair.img").size(), 0u);

    Write("one.dat", Pattern(100, 1));
    EXPECT_EQ(Run({"add", "new.img", "one.dat"}), 0) << err_.str();
    EXPECT_EQ(Run({"add", "pair.img", "one.dat"}), 0) << err_.str();
    const Bytes single = Read("new.img");
    EXPECT_EQ(Run({"create", "new.img"}), 1);
    EXPECT_NE(err_.str().find("already exists"), std::string::npos);
    EXPECT_EQ(Run({"create", "pair.img"}), 1) << "a .dir alone counts as an archive";
    EXPECT_EQ(Read("new.img"), single);
    EXPECT_EQ(Read("pair.dir").size(), 32u);
    EXPECT_EQ(Run({"list", "new.img", "--paired"}), 2);
}

TEST_F(ImgtoolTest, ImportReplacesByNameWithoutCaseAndAddsTheRest) {
    MakeArchive(true);
    Write("ONE.DAT", Pattern(3000, 7));
    Write("four.dat", Pattern(10, 8));
    Write("1", Pattern(20, 9));  // a name that looks like an index is a name
    EXPECT_EQ(Run({"import", "arc.img", "ONE.DAT", "four.dat", "1"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("imported: 1 replaced, 2 added"), std::string::npos) << out_.str();
    EXPECT_EQ(err_.str().find('\r'), std::string::npos) << "whole lines: " << err_.str();
    EXPECT_EQ(Extracted("arc.img", "one.dat"), Padded(Pattern(3000, 7)));
    EXPECT_EQ(Extracted("arc.img", "two.dat"), Padded(Pattern(2048, 2)));
    EXPECT_EQ(Extracted("arc.img", "four.dat"), Padded(Pattern(10, 8)));
    EXPECT_EQ(Run({"list", "arc.img"}), 0);
    EXPECT_NE(out_.str().find("total: 5 entries"), std::string::npos) << out_.str();
    EXPECT_EQ(Run({"check", "arc.img"}), 0) << out_.str();

    const Bytes before = Read("arc.img");
    EXPECT_EQ(Run({"import", "arc.img", "four.dat", "missing.dat"}), 3);
    EXPECT_EQ(Read("arc.img"), before) << "a missing file stops the import before it starts";
}

TEST_F(ImgtoolTest, CheckAndInfoReportDamage) {
    MakeArchive(false);
    EXPECT_EQ(Run({"check", "arc.img"}), 0) << out_.str();
    EXPECT_NE(out_.str().find("no problems: 3 entries"), std::string::npos) << out_.str();

    Write("bad.dir", ToBytes({Entry(0, 2, "a"), Entry(1, 2, "b"), Entry(3, 5, "past")}));
    Write("bad.img", Pattern(4 * 2048, 1));
    EXPECT_EQ(Run({"check", "bad.img"}), 1);
    EXPECT_NE(out_.str().find("entry 0 (a) and entry 1 (b) overlap"), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("entry 2 (past): sectors 3-7 reach past the end"), std::string::npos);
    EXPECT_NE(out_.str().find("2 problems"), std::string::npos);

    Write("data.img", Pattern(3 * 2048, 2));  // the data file of a pair whose .dir is lost
    for (const char* command : {"check", "info"}) {
        EXPECT_EQ(Run({command, "data.img"}), 1) << command;
        EXPECT_EQ(out_.str(), "") << "no figures read from data: " << out_.str();
        EXPECT_NE(err_.str().find("not an archive: data.img does not begin with \"VER2\""), std::string::npos);
    }
    EXPECT_EQ(Run({"info", "arc.img"}), 0);
    EXPECT_EQ(out_.str().find("warning"), std::string::npos) << out_.str();
}

TEST_F(ImgtoolTest, ReadingCommandsLeaveTheFilesAsTheyWere) {
    MakeArchive(false);
    ASSERT_EQ(chmod("arc.img", 0444), 0);
    ASSERT_EQ(chmod("arc.dir", 0400), 0);
    const Bytes img = Read("arc.img"), dir = Read("arc.dir");
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"list", "arc.img"}, {"info", "arc.img"}, {"check", "arc"}, {"extract", "arc", "0"},
          {"extract", "arc", "none"}}) {
        Run(command);
        struct stat status;
        ASSERT_EQ(stat("arc.img", &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0444u) << command[0] << " " << command.back();
        ASSERT_EQ(stat("arc.dir", &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0400u) << command[0] << " " << command.back();
    }
    EXPECT_EQ(Read("arc.img"), img);
    EXPECT_EQ(Read("arc.dir"), dir);
}

TEST_F(ImgtoolTest, ImportAndAddCheckEveryFileBeforeAnyChange) {
    MakeArchive(true);
    const Bytes before = Read("arc.img");
    std::filesystem::create_directories(Path("mods/folder.dff"));
    Write("mods/CASE.dff", Pattern(10, 1));
    Write("mods/case.dff", Pattern(20, 2));
    Write("mods/twenty-four-byte-name.dd", Pattern(30, 3));
    Write("mods/\xCC\xC0\xD8\xC8\xCD\xC0.dff", Pattern(40, 4));
    Write("\xEC\xE0\xF8\xE8\xED\xE0.dff", Pattern(50, 5));
    EXPECT_EQ(Run({"import", "arc.img", "mods/*.dff", "mods/twenty*", "\xEC\xE0\xF8\xE8\xED\xE0.dff"}), 1);
    EXPECT_NE(err_.str().find("mods/CASE.dff and mods/case.dff would go into one entry"), std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("name too long: mods/twenty-four-byte-name.dd (24 bytes"), std::string::npos);
    EXPECT_NE(err_.str().find("into one entry (\xCC\xC0\xD8\xC8\xCD\xC0.dff)"), std::string::npos);
    EXPECT_EQ(err_.str().find("folder.dff"), std::string::npos) << "a wildcard takes files only";
    EXPECT_NE(err_.str().find("nothing imported: 3 problems"), std::string::npos);
    EXPECT_EQ(Run({"add", "arc.img", "mods/case.dff", "missing.dff", "mods/folder.dff", "one.dat"}), 3);
    EXPECT_NE(err_.str().find("no such file: missing.dff"), std::string::npos);
    EXPECT_NE(err_.str().find("not a file: mods/folder.dff"), std::string::npos);
    EXPECT_NE(err_.str().find("the archive holds one.dat already (entry 0)"), std::string::npos);
    EXPECT_EQ(Read("arc.img"), before) << "nothing changed";

    EXPECT_EQ(Run({"import", "arc.img", "mods/CASE.dff", "mods/twenty*", "mods/\xCC*", "--cut-names"}), 0);
    EXPECT_EQ(out_.str(), "imported: 0 replaced, 3 added\n");
    Write("case.DFF", Pattern(60, 6));
    EXPECT_EQ(Run({"import", "arc.img", "\xEC\xE0\xF8\xE8\xED\xE0.dff", "case.DFF"}), 0);
    EXPECT_EQ(out_.str(), "imported: 2 replaced, 0 added\n");
    EXPECT_EQ(Run({"list", "arc.img"}), 0);
    EXPECT_NE(out_.str().find("twenty-four-byte-name.d\n"), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("total: 6 entries"), std::string::npos);
}

TEST_F(ImgtoolTest, ConsoleConventions) {
    MakeArchive(false);
    EXPECT_EQ(Run({"replace", "arc.img", "TWO.DAT", "one.dat"}), 0);
    EXPECT_EQ(out_.str(), "replaced: entry 1 (two.dat), now 3 sectors at sector 11\n");
    EXPECT_EQ(Run({"delete", "arc.img", "1", "-q"}), 0);
    EXPECT_EQ(out_.str() + err_.str(), "") << "--quiet";
    // A console's progress line ends before the summary that follows it.
    std::ostringstream console;
    imgtool::SetProgressOnConsole(true);
    EXPECT_EQ(imgtool::Run({"add", "arc.img", "two.dat"}, console, console), 0);
    imgtool::SetProgressOnConsole(false);
    EXPECT_EQ(console.str(), "\radding 1/1\nadded: 1 entry\n");
}

TEST_F(ImgtoolTest, RebuildRefusesToOverwriteItsInput) {
    MakeArchive(false);
    const Bytes img = Read("arc.img");
    EXPECT_EQ(Run({"rebuild", "arc.img", "arc.dir"}), 2);
    EXPECT_EQ(Read("arc.img"), img);
}

}  // namespace
}  // namespace tolvane::testing
