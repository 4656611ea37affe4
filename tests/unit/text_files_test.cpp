#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "base/file_failure_text.h"
#include "editors/editor_rules.h"
#include "text/text_files_rules.h"

namespace carrow {
namespace {

// Byte b <-> U+00bb: stands in for a code page in which every byte round-trips.
void DecodeLatin1(std::string_view run, std::wstring& out) {
    for (unsigned char c : run) {
        ASSERT_NE(c, 0) << "a zero byte reached the code page";
        out += static_cast<wchar_t>(c);
    }
}

void EncodeLatin1(std::wstring_view run, std::string& out) {
    for (wchar_t c : run) {
        ASSERT_NE(c, kZeroByteStandIn) << "the stand-in reached the code page";
        out += static_cast<char>(c);
    }
}

std::wstring Load(std::string_view bytes) {
    return BytesToViewText(NormaliseLineBreaks(bytes), DecodeLatin1);
}

std::string Save(std::wstring_view text) { return ViewTextToBytes(text, EncodeLatin1); }

TEST(LineBreaks, EveryKindBecomesOneCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"\n", "\r\n"},
        {"\r", "\r\n"},
        {"\n\r", "\r\n\r\n"},          // LF CR: two breaks
        {"\r\r\n", "\r\n\r\n"},        // CR CR LF: two breaks
        {"a\n\nb", "a\r\n\r\nb"},
        {"\r\n\n\r\r\n", "\r\n\r\n\r\n\r\n"},
        {"x\r\n\ry", "x\r\n\r\ny"},
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(NormaliseLineBreaks(in), want) << in;
}

TEST(LineBreaks, ChangesNothingButBreaksAndIsStable) {
    std::mt19937 random(7);
    const char alphabet[] = {'\r', '\n', 'a', '\0', '\xFF'};
    for (int round = 0; round < 500; ++round) {
        std::string in(random() % 40, ' ');
        for (char& c : in) c = alphabet[random() % sizeof alphabet];
        const std::string once = NormaliseLineBreaks(in);
        EXPECT_EQ(NormaliseLineBreaks(once), once) << "normalising twice changed the text";
        auto withoutBreaks = [](std::string s) {
            std::erase_if(s, [](char c) { return c == '\r' || c == '\n'; });
            return s;
        };
        EXPECT_EQ(withoutBreaks(once), withoutBreaks(in));
        for (size_t i = 0; i < once.size(); ++i) {
            const bool pairedCr = once[i] != '\r' || (i + 1 < once.size() && once[i + 1] == '\n');
            const bool pairedLf = once[i] != '\n' || (i > 0 && once[i - 1] == '\r');
            EXPECT_TRUE(pairedCr && pairedLf) << "lone break at " << i;
        }
    }
}

TEST(ZeroBytes, AreShownAsTheStandInAndWrittenBack) {
    const std::string cases[] = {std::string("\0", 1), std::string("a\0b", 3),
                                 std::string("\0\0\0", 3), std::string("end\0", 4),
                                 std::string("\0start", 6)};
    for (const std::string& bytes : cases) {
        const std::wstring text = Load(bytes);
        EXPECT_EQ(text.find(L'\0'), std::wstring::npos) << "a box would cut the text here";
        EXPECT_EQ(std::count(text.begin(), text.end(), kZeroByteStandIn),
                  std::count(bytes.begin(), bytes.end(), '\0'));
        EXPECT_EQ(Save(text), bytes);
    }
}

TEST(ZeroBytes, AStandInTypedByTheOperatorIsSavedAsAZeroByte) {
    EXPECT_EQ(Save(std::wstring(L"a") + kZeroByteStandIn + L"b"), std::string("a\0b", 3));
}

TEST(UneditedText, EveryByteValueIsWrittenBack) {
    // All 256 values, with CR and LF next to each other as one CR LF break.
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b == '\n' || b == '\r') continue;
        bytes += static_cast<char>(b);
        if (b == 0x0C) bytes += "\r\n";
    }
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(Save(Load(bytes)), bytes);

    // In ascending order the lone LF and the lone CR become CR LF; all else stays.
    std::string ascending;
    for (int b = 0; b < 256; ++b) ascending += static_cast<char>(b);
    std::string want = ascending;
    want.replace(0x0A, 4, "\r\n\x0B\x0C\r\n");
    EXPECT_EQ(Save(Load(ascending)), want);
}

TEST(FailureText, NamesTheFullPathAndTheTrimmedReason) {
    EXPECT_EQ(CannotOpenFileText(L"C:\\srv\\samp.ban", L"File not found.\r\n"),
              L"Cannot open file \"C:\\srv\\samp.ban\". File not found");
    EXPECT_EQ(CannotCreateFileText(L"Z:\\Сервер\\server.cfg", L"Access denied.\r\n"),
              L"Cannot create file \"Z:\\Сервер\\server.cfg\". Access denied");
}

TEST(SaveQuestion, AsksBeforeReplacingAFileTheEditorDoesNotKnow) {
    const LoadedFile morning{true, "10.0.0.1\r\n"};
    EXPECT_EQ(QuestionBeforeSave(morning, "10.0.0.1\r\n"), SaveQuestion::None);
    EXPECT_EQ(QuestionBeforeSave(morning, std::nullopt), SaveQuestion::None) << "a missing file is created";
    EXPECT_EQ(QuestionBeforeSave(morning, "10.0.0.1\r\n10.0.0.2\r\n"), SaveQuestion::ChangedOnDisk)
        << "the server banned a player meanwhile";
    EXPECT_EQ(QuestionBeforeSave(morning, "10.0.0.1\n"), SaveQuestion::ChangedOnDisk) << "bytes, not text, compared";
    EXPECT_EQ(QuestionBeforeSave(morning, ""), SaveQuestion::ChangedOnDisk);
    EXPECT_EQ(QuestionBeforeSave(LoadedFile{true, ""}, ""), SaveQuestion::None) << "an empty file was loaded too";
    EXPECT_EQ(QuestionBeforeSave(LoadedFile{}, "port 7777"), SaveQuestion::NeverLoaded);
    EXPECT_EQ(QuestionBeforeSave(LoadedFile{}, ""), SaveQuestion::NeverLoaded);
    EXPECT_EQ(QuestionBeforeSave(LoadedFile{}, std::nullopt), SaveQuestion::None);
}

bool NoLeadBytes(char) { return false; }

// A box that has not been edited since it was given `shown`.
TEST(BoxUpdate, ByBytesKeepsSameAppendsGrowthAndReplacesTheRest) {
    const std::string shown = "one\r\ntwo\r\n";
    EXPECT_EQ(UpdateForBytes(true, shown, shown, NoLeadBytes), BoxUpdate::Keep) << "a quiet log leaves the box alone";
    EXPECT_EQ(UpdateForBytes(true, shown, shown + "three\r\n", NoLeadBytes), BoxUpdate::Append);
    EXPECT_EQ(UpdateForBytes(true, shown, "one\r\ntwo\r\nthree\r\n", NoLeadBytes), BoxUpdate::Append);
    EXPECT_EQ(UpdateForBytes(true, shown, "one\r\n", NoLeadBytes), BoxUpdate::Replace) << "a shrunk log";
    EXPECT_EQ(UpdateForBytes(true, shown, "ONE\r\ntwo\r\nthree", NoLeadBytes), BoxUpdate::Replace)
        << "a log whose start changed";
    EXPECT_EQ(UpdateForBytes(true, "", "first", NoLeadBytes), BoxUpdate::Replace) << "nothing shown yet";
    EXPECT_EQ(UpdateForBytes(true, shown, "", NoLeadBytes), BoxUpdate::Replace) << "an emptied log";
}

TEST(BoxUpdate, ByBytesNeverCutsALineBreakOrATwoByteCharacter) {
    // "a\r" then "\nb": appending the converted "\nb" would make a lone LF
    // into a second break.
    EXPECT_EQ(UpdateForBytes(true, "a\r", "a\r\nb", NoLeadBytes), BoxUpdate::Replace);
    EXPECT_EQ(UpdateForBytes(true, "a\n", "a\nb", NoLeadBytes), BoxUpdate::Append);
    const auto leadByte = [](char c) { return static_cast<unsigned char>(c) == 0x82; };
    EXPECT_EQ(UpdateForBytes(true, "a\x82", "a\x82\xA0", leadByte), BoxUpdate::Replace)
        << "a character split between two reads";
    EXPECT_EQ(UpdateForBytes(true, "a\xA0", "a\xA0\x82", leadByte), BoxUpdate::Append);
}

TEST(BoxUpdate, AnEditedBoxIsNeverKeptOrAppendedToByBytes) {
    EXPECT_EQ(UpdateForBytes(false, "same", "same", NoLeadBytes), BoxUpdate::Replace);
    EXPECT_EQ(UpdateForBytes(false, "same", "same and more", NoLeadBytes), BoxUpdate::Replace);
}

TEST(BoxUpdate, ByTextKeepsEqualTextAndAppendsOnlyToATrustedBox) {
    EXPECT_EQ(UpdateForText(true, L"a\r\n", L"a\r\n"), BoxUpdate::Keep);
    EXPECT_EQ(UpdateForText(false, L"a\r\n", L"a\r\n"), BoxUpdate::Keep) << "typed back to what the file holds";
    EXPECT_EQ(UpdateForText(true, L"a\r\n", L"a\r\nb"), BoxUpdate::Append);
    EXPECT_EQ(UpdateForText(false, L"a\r\n", L"a\r\nb"), BoxUpdate::Replace);
    EXPECT_EQ(UpdateForText(true, L"", L"b"), BoxUpdate::Replace) << "an empty box takes the whole";
    EXPECT_EQ(UpdateForText(true, L"a\r\nb", L"a\r\n"), BoxUpdate::Replace);
    EXPECT_EQ(UpdateForText(true, L"ab", L"xab"), BoxUpdate::Replace);
}

TEST(TextLines, DoNotCountAnEmptyLastLine) {
    EXPECT_EQ(CountTextLines(L""), 0);
    EXPECT_EQ(CountTextLines(L"one"), 1);
    EXPECT_EQ(CountTextLines(L"one\r\n"), 1);
    EXPECT_EQ(CountTextLines(L"one\r\ntwo"), 2);
    EXPECT_EQ(CountTextLines(L"one\r\ntwo\r\n"), 2);
    EXPECT_EQ(CountTextLines(L"\r\n"), 1);
    EXPECT_EQ(CountTextLines(L"\r\n\r\n"), 2);
    EXPECT_EQ(CountTextLines(L"a\nb\rc"), 1) << "a box breaks lines at CR LF only";
}

TEST(TextLines, AHundredLineLogEndingInABreakCountsAHundred) {
    std::wstring log;
    for (int i = 1; i <= 100; ++i) log += L"[12:00:00] line " + std::to_wstring(i) + L"\r\n";
    EXPECT_EQ(CountTextLines(log), 100);
}

}  // namespace
}  // namespace carrow
