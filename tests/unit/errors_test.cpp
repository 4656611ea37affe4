#include "archive_fixture.h"
#include "platform/host.h"

namespace tolvane::testing {
namespace {

using ErrorsTest = ArchiveTest;

TEST_F(ErrorsTest, FailuresRaiseOrReturnAsTheHostChooses) {
    IMGLoadImg(Path("missing").c_str());
    EXPECT_THROW(IMGExportFile(0, Path("out").c_str()), platform::HostFailure);
    EXPECT_STREQ(IMGGetLastError(), ("Cannot open file " + Path("missing.img")).c_str());

    EXPECT_EQ(IMGSetRaiseOnError(0), 1);
    EXPECT_NO_THROW(IMGExportFile(0, Path("out").c_str()));
    EXPECT_STREQ(IMGGetLastError(), ("Cannot open file " + Path("missing.img")).c_str());
    EXPECT_FALSE(std::filesystem::exists(Path("out")));
    IMGFileCount();
    EXPECT_STREQ(IMGGetLastError(), "") << "a successful call clears the message";

    EXPECT_EQ(IMGSetRaiseOnError(-3), 0);
    EXPECT_EQ(IMGSetRaiseOnError(1), 1) << "any nonzero value means raise";
    EXPECT_THROW(IMGExportBuffer(0, nullptr), platform::HostFailure);
}

TEST_F(ErrorsTest, VersionIsTheHeadersAndKeepsTheLastMessage) {
    EXPECT_STREQ(IMGGetVersion(), TOLVANE_VERSION);
    const std::string parts = std::to_string(TOLVANE_VERSION_MAJOR) + "." + std::to_string(TOLVANE_VERSION_MINOR) +
                              "." + std::to_string(TOLVANE_VERSION_PATCH);
    EXPECT_EQ(parts, TOLVANE_VERSION) << "MAJOR.MINOR.PATCH, nothing else";
    EXPECT_EQ(IMGGetVersion(), IMGGetVersion()) << "the library's own string";

    IMGLoadImg(Path("missing").c_str());
    IMGSetRaiseOnError(0);
    IMGExportFile(0, Path("out").c_str());
    IMGGetVersion();
    EXPECT_STREQ(IMGGetLastError(), ("Cannot open file " + Path("missing.img")).c_str());
    IMGSetRaiseOnError(1);
}

// A host that never asks for the notes (a long-lived Python program) must not
// hold every note the library ever sent.
TEST_F(ErrorsTest, UnreadNotesKeepOnlyTheLatest) {
    for (int i = 0; i < 10000; ++i) platform::SendNote("note " + std::to_string(i));
    const auto notes = platform::TakeNotes();
    ASSERT_EQ(notes.size(), 4096u);
    EXPECT_EQ(notes.front(), "note 5904");
    EXPECT_EQ(notes.back(), "note 9999");
    EXPECT_TRUE(platform::TakeNotes().empty()) << "taken notes are gone";
}

}  // namespace
}  // namespace tolvane::testing
