// Runs in a process of its own: nothing has touched the library yet.
#include <gtest/gtest.h>

#include "state.h"

namespace tolvane {
namespace {

TEST(FreshLibrary, EverythingIsZero) {
    EXPECT_EQ(State.EntryCount, 0);
    EXPECT_TRUE(State.ArchivePath.empty());
    EXPECT_FALSE(State.SingleFileMode);
    EXPECT_FALSE(State.RelocationInProgress);
    const auto* table = reinterpret_cast<const unsigned char*>(State.EntryTable);
    for (size_t i = 0; i < sizeof State.EntryTable; ++i) ASSERT_EQ(table[i], 0) << i;
    TImgEntry e;
    IMGGetThisFile(&e, 0);
    EXPECT_EQ(e.size, 0u);
    IMGGetThisFile(&e, 65535);
    EXPECT_EQ(e.offset, 0u);
    EXPECT_EQ(IMGFileCount(), 0);
    EXPECT_STREQ(IMGGetFileName(0), "");
    EXPECT_STREQ(IMGGetLastError(), "");
}

}  // namespace
}  // namespace tolvane
