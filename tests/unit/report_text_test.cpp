#include <gtest/gtest.h>

#include <cwctype>

#include "base/reason_text.h"
#include "window/error_text.h"

namespace carrow {
namespace {

TEST(ReportText, AddsAFullStopOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(ReportText(L"Not enough timers available"), L"Not enough timers available.");
    EXPECT_EQ(ReportText(L"Rename to x failed"), L"Rename to x failed.");
    EXPECT_EQ(ReportText(L"Error 5"), L"Error 5.");
    EXPECT_EQ(ReportText(L"Why?"), L"Why?.");
    EXPECT_EQ(ReportText(L"Ошибка"), L"Ошибка.");  // Cyrillic letters are above "."
    EXPECT_EQ(ReportText(L"Done."), L"Done.");
    EXPECT_EQ(ReportText(L"Stop!"), L"Stop!");
    EXPECT_EQ(ReportText(L"(see log)"), L"(see log)");
    EXPECT_EQ(ReportText(L"a,"), L"a,");
    EXPECT_EQ(ReportText(L"trailing blank "), L"trailing blank ");
    EXPECT_EQ(ReportText(L"dash-"), L"dash-");
    EXPECT_EQ(ReportText(L"slash/"), L"slash/.");  // "/" is the code after "."
}

TEST(ReportText, LeavesAnEmptyMessageEmpty) { EXPECT_EQ(ReportText(L""), L""); }

std::wstring AsciiLower(const std::wstring& text) {
    std::wstring lower = text;
    for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return lower;
}

TEST(ApplicationTitle, TakesTheNameBeforeItsFirstDotWithTheRestInLowerCase) {
    EXPECT_EQ(ApplicationTitle(L"C:\\Server\\Carrow.exe", AsciiLower), L"Carrow");
    EXPECT_EQ(ApplicationTitle(L"D:\\Servers\\PANEL.EXE", AsciiLower), L"Panel");
    EXPECT_EQ(ApplicationTitle(L"C:\\x\\srv.panel.exe", AsciiLower), L"srv");
    EXPECT_EQ(ApplicationTitle(L"C:\\my.folder\\Tool.v2.EXE", AsciiLower), L"Tool");
    EXPECT_EQ(ApplicationTitle(L"CARROW", AsciiLower), L"Carrow");        // no folder, no extension
    EXPECT_EQ(ApplicationTitle(L"carrow.exe", AsciiLower), L"carrow");    // the first letter stays as it is
    EXPECT_EQ(ApplicationTitle(L"\\\\host\\share\\A.exe", AsciiLower), L"A");
    EXPECT_EQ(ApplicationTitle(L"C:\\dir\\.hidden.exe", AsciiLower), L"");
    EXPECT_EQ(ApplicationTitle(L"", AsciiLower), L"");
}

TEST(ApplicationTitle, LowersWithTheGivenRules) {
    const LowerCase cyrillic = [](const std::wstring& text) {
        std::wstring lower = text;
        for (auto& c : lower) {
            if (c >= L'А' && c <= L'Я') c = static_cast<wchar_t>(c + (L'а' - L'А'));
        }
        return lower;
    };
    EXPECT_EQ(ApplicationTitle(L"C:\\ПАНЕЛЬ.exe", cyrillic), L"Панель");
}

TEST(TrimReason, DropsBlanksControlCharactersAndFullStopsAtTheEnd) {
    EXPECT_EQ(TrimReason(L"The system cannot find the file specified.\r\n"),
              L"The system cannot find the file specified");
    EXPECT_EQ(TrimReason(L"Access is denied. . \t"), L"Access is denied");
    EXPECT_EQ(TrimReason(L"v1.2 failed"), L"v1.2 failed");
    EXPECT_EQ(TrimReason(L" ..\r\n"), L"");
}

}  // namespace
}  // namespace carrow
