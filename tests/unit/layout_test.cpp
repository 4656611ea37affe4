#include <gtest/gtest.h>

#include <cstring>

#include "layout.h"

namespace tolvane {
namespace {

TEST(NextSectorBoundary, AlwaysStrictlyAboveTheLength) {
    EXPECT_EQ(NextSectorBoundary(0), 2048);
    EXPECT_EQ(NextSectorBoundary(1), 2048);
    EXPECT_EQ(NextSectorBoundary(2047), 2048);
    EXPECT_EQ(NextSectorBoundary(2048), 4096);
    EXPECT_EQ(NextSectorBoundary(2049), 4096);
    EXPECT_EQ(NextSectorBoundary(4095), 4096);
    EXPECT_EQ(NextSectorBoundary(4096), 6144);
    EXPECT_EQ(NextSectorBoundary(2147481599), 2147481600);
    EXPECT_EQ(NextSectorBoundary(-1), 0);
    EXPECT_EQ(NextSectorBoundary(-2049), -2048);
}

TEST(NextSectorBoundary, AgreesWithCountingUp) {
    for (int64_t n = -5000; n < 20000; ++n) {
        int64_t m = n + 1;
        while (((m % 2048) + 2048) % 2048 != 0) ++m;
        ASSERT_EQ(NextSectorBoundary(n), m) << n;
    }
}

TEST(SectorsToBytes, DoesNotWrapAt32Bits) {
    EXPECT_EQ(SectorsToBytes(5), 10240);
    EXPECT_EQ(SectorsToBytes(0xFFFFFFFFu), int64_t{0xFFFFFFFF} * 2048);
}

const auto noLeadBytes = [](unsigned char) { return false; };
// Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC.
const auto shiftJis = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };

TEST(ReplaceExtension, FollowsTheLastDotBackslashOrColon) {
    EXPECT_EQ(ReplaceExtension("D:\\data\\models.img", ".dir", noLeadBytes), "D:\\data\\models.dir");
    EXPECT_EQ(ReplaceExtension("D:\\data.old\\models", ".dir", noLeadBytes), "D:\\data.old\\models.dir");
    EXPECT_EQ(ReplaceExtension("models.", ".dir", noLeadBytes), "models.dir");
    EXPECT_EQ(ReplaceExtension("", ".dir", noLeadBytes), ".dir");
    EXPECT_EQ(ReplaceExtension("D:\\arc\\x", ".img", noLeadBytes), "D:\\arc\\x.img");
    EXPECT_EQ(ReplaceExtension("a.b.c", ".img", noLeadBytes), "a.b.img");
    EXPECT_EQ(ReplaceExtension("C:x", ".img", noLeadBytes), "C:x.img");
    EXPECT_EQ(ReplaceExtension("C:", ".img", noLeadBytes), "C:.img");
    EXPECT_EQ(ReplaceExtension("dir.x\\", ".img", noLeadBytes), "dir.x\\.img");
    EXPECT_EQ(ReplaceExtension("models.xyz", ".img", noLeadBytes), "models.img");
    // '/' separates folders as '\' does.
    EXPECT_EQ(ReplaceExtension("C:/mods/data.v1/models", ".img", noLeadBytes), "C:/mods/data.v1/models.img");
    EXPECT_EQ(ReplaceExtension("C:\\data.v1/pack/arc", ".dir", noLeadBytes), "C:\\data.v1/pack/arc.dir");
    EXPECT_EQ(ReplaceExtension("C:/pack/arc.img", ".dir", noLeadBytes), "C:/pack/arc.dir");
}

TEST(ReplaceExtension, TrailBytesOfTwoByteCharactersNeverCount) {
    // "\x95\x5c" is one character whose trail byte equals '\'.
    const std::string folder = "D:\\a.b\\\x95\x5c";
    EXPECT_EQ(ReplaceExtension(folder, ".dir", shiftJis), folder + ".dir");
    // Without the two-byte rule the trail byte would hide the dot.
    EXPECT_EQ(ReplaceExtension("x.y\x95\x5c", ".dir", noLeadBytes), "x.y\x95\x5c.dir");
    EXPECT_EQ(ReplaceExtension("x.y\x95\x5c", ".dir", shiftJis), "x.dir");
    // A trail byte equal to '.' or ':' is skipped as well.
    EXPECT_EQ(ReplaceExtension("ab\x81.", ".img", shiftJis), "ab\x81..img");
    EXPECT_EQ(ReplaceExtension("a.b\x81:", ".img", shiftJis), "a.img");
    // A lead byte at the very end has no trail byte.
    EXPECT_EQ(ReplaceExtension("a.\x81", ".img", shiftJis), "a.img");
}

TEST(DirectorySizes, PairedLengthBecomesCountAndReadLength) {
    EXPECT_EQ(PairedEntryCount(-1), 0);
    EXPECT_EQ(PairedEntryCount(0), 0);
    EXPECT_EQ(PairedEntryCount(31), 0);
    EXPECT_EQ(PairedEntryCount(100), 3);
    EXPECT_EQ(PairedEntryCount(2097152), 65536);
    EXPECT_EQ(PairedEntryCount(2097152 + 32), 65536);
    EXPECT_EQ(PairedEntryCount(int64_t{1} << 40), 65536);
    EXPECT_EQ(PairedBytesToRead(-1), 0);
    EXPECT_EQ(PairedBytesToRead(100), 100);
    EXPECT_EQ(PairedBytesToRead(2097152 + 5), 2097152);
}

TEST(DirectorySizes, HeaderCountIsClampedToTheTable) {
    EXPECT_EQ(ClampHeaderCount(-1), 0);
    EXPECT_EQ(ClampHeaderCount(INT32_MIN), 0);
    EXPECT_EQ(ClampHeaderCount(3), 3);
    EXPECT_EQ(ClampHeaderCount(65536), 65536);
    EXPECT_EQ(ClampHeaderCount(65537), 65536);
}

TEST(StoredEntryName, IsTheFileNamePartCutToWhatTheFieldHolds) {
    EXPECT_EQ(StoredEntryName("D:\\mods\\part7.dat", noLeadBytes), "part7.dat");
    EXPECT_EQ(StoredEntryName("C:part7.dat", noLeadBytes), "part7.dat");
    EXPECT_EQ(StoredEntryName("D:/mods/x.v1/part7.dat", noLeadBytes), "part7.dat");
    EXPECT_EQ(StoredEntryName("part7.dat", noLeadBytes), "part7.dat");
    EXPECT_EQ(StoredEntryName("D:\\mods\\", noLeadBytes), "");
    EXPECT_EQ(StoredEntryName("", noLeadBytes), "");
    EXPECT_EQ(StoredEntryName("x\\abcdefghijklmnopqrstuvw", noLeadBytes), "abcdefghijklmnopqrstuvw");
    EXPECT_EQ(StoredEntryName("x\\abcdefghijklmnopqrstuvwxyz.dff", noLeadBytes), "abcdefghijklmnopqrstuvw");
}

TEST(StoredEntryName, NeverSplitsOrMisreadsATwoByteCharacter) {
    // 0x5C ('\\') as a trail byte is part of the character, not a separator.
    EXPECT_EQ(StoredEntryName("d\\\x83\x5C.dat", shiftJis), "\x83\x5C.dat");
    // 22 single bytes and a two-byte character: the character does not fit.
    const std::string name = std::string(22, 'a') + "\x83\x41";
    EXPECT_EQ(StoredEntryName(name, shiftJis), std::string(22, 'a'));
    EXPECT_EQ(StoredEntryName(name, noLeadBytes), std::string(22, 'a') + "\x83");
}

TEST(EntryName, EndsAtTheFirstZeroOrTakesAll24Bytes) {
    char field[24] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(EntryName(field), "ab");
    std::memcpy(field, "abcdefghijklmnopqrstuvwx", 24);
    EXPECT_EQ(EntryName(field), "abcdefghijklmnopqrstuvwx");
}

TEST(AlignedAppendPosition, IsTheFirstSectorBoundaryAtOrAfterTheEnd) {
    EXPECT_EQ(AlignedAppendPosition(0), 0);
    EXPECT_EQ(AlignedAppendPosition(8), 2048);
    EXPECT_EQ(AlignedAppendPosition(10240), 10240);
    EXPECT_EQ(AlignedAppendPosition(10300), 12288);
    EXPECT_EQ(AlignedAppendPosition(int64_t{1} << 33), int64_t{1} << 33) << "no 32-bit wrap";
}

}  // namespace
}  // namespace tolvane
