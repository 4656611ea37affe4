#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include "log/log_tail_rules.h"
#include "log/log_view_rules.h"
#include "text/text_files_rules.h"

namespace carrow {
namespace {

struct Ticks {
    TickGate gate;
    int refreshes = 0;
    int reports = 0;
    int openReports = 0;
    int mostOpenAtOnce = 0;
    bool failing = true;

    // One tick; `whileOpen` runs while its report is open, as a modal loop
    // would deliver later ticks.
    void Tick(const std::function<void()>& whileOpen = {}) {
        gate.Run(
            [&] {
                ++refreshes;
                if (failing) throw std::runtime_error("Cannot open file");
            },
            [&] {
                ++reports;
                mostOpenAtOnce = std::max(mostOpenAtOnce, ++openReports);
                if (whileOpen) whileOpen();
                --openReports;
            });
    }
};

TEST(TickGate, KeepsAtMostOneReportOpenAndRetriesAfterItCloses) {
    Ticks t;
    t.Tick([&] {
        for (int i = 0; i < 5; ++i) t.Tick();
    });
    EXPECT_EQ(t.reports, 1);
    EXPECT_EQ(t.mostOpenAtOnce, 1);
    EXPECT_EQ(t.refreshes, 1) << "ticks while the report is open wait for it";

    t.Tick();
    EXPECT_EQ(t.reports, 2) << "the first tick after the report closed tries again";
    EXPECT_FALSE(t.gate.Running());

    t.failing = false;
    t.Tick();
    EXPECT_EQ(t.refreshes, 3);
    EXPECT_EQ(t.reports, 2);
}

TEST(TickGate, ATickDueInsideARunningTickIsSkipped) {
    TickGate gate;
    int inner = 0;
    gate.Run([&] { gate.Run([&] { ++inner; }, [] {}); },
             [] { FAIL() << "nothing failed"; });
    EXPECT_EQ(inner, 0);
    gate.Run([&] { ++inner; }, [] {});
    EXPECT_EQ(inner, 1);
}

TEST(TickGate, ReopensWhenTheReportItselfThrows) {
    TickGate gate;
    EXPECT_THROW(gate.Run([] { throw 1; }, [] { throw 2; }), int);
    EXPECT_FALSE(gate.Running());
}

TEST(FileMark, TellsUnchangedGrownAndReplacedLogs) {
    const FileMark mark = MarkOf(10, 5, "tail");
    EXPECT_FALSE(NeedsMarkRead(mark, 10, 5)) << "same length and time: nothing is read";
    EXPECT_EQ(JudgeFile(mark, 10, 5, ""), FileChange::Same);
    EXPECT_EQ(JudgeFile(mark, 10, 6, "tail"), FileChange::Same) << "written again with the same bytes";
    EXPECT_EQ(JudgeFile(mark, 12, 6, "tail"), FileChange::Grown);
    EXPECT_EQ(JudgeFile(mark, 12, 6, "tall"), FileChange::Replaced) << "a new log that outgrew the old one";
    EXPECT_EQ(JudgeFile(mark, 10, 6, "tall"), FileChange::Replaced) << "written over in place";
    EXPECT_EQ(JudgeFile(mark, 9, 6, ""), FileChange::Replaced) << "cut short";
    EXPECT_EQ(JudgeFile(FileMark{}, 10, 5, ""), FileChange::Replaced) << "never taken in";
    EXPECT_EQ(JudgeFile(MarkOf(0, 1, ""), 3, 2, ""), FileChange::Grown) << "an empty log that got lines";
}

TEST(LineBreakJoin, PiecesCutAnywhereGiveTheTextOfTheWhole) {
    const std::string whole = "a\r\nb\rc\nd\r\r\ne\n\rf\r";
    for (size_t cut1 = 0; cut1 <= whole.size(); ++cut1) {
        for (size_t cut2 = cut1; cut2 <= whole.size(); ++cut2) {
            LineBreakJoin join;
            std::string text = join.Next(whole.substr(0, cut1));
            text += join.Next(whole.substr(cut1, cut2 - cut1));
            text += join.Next(whole.substr(cut2));
            ASSERT_EQ(text, NormaliseLineBreaks(whole)) << "cut at " << cut1 << " and " << cut2;
            ASSERT_TRUE(join.EndsWithBreak());
        }
    }
}

TEST(LogSlices, NeverCutALineBreakOrATwoByteCharacterAndAlwaysProgress) {
    const auto lead = [](char c) { return c == 'L'; };  // 'L' and the byte after it are one character
    const std::string text = "ab\r\nLxLyz\r\nLLLLLL\r\nqqqqqqqqq";
    for (size_t most = 1; most <= 9; ++most) {
        for (size_t from = 0, end = 0; from < text.size(); from = end) {
            end = SliceEnd(text, from, most, lead);
            ASSERT_GT(end, from);
            ASSERT_LE(end, std::max(from + most, from + 2)) << "a slice keeps to its size";
            ASSERT_FALSE(end < text.size() && text[end - 1] == '\r') << "CR LF cut at " << end;
            ASSERT_FALSE(EndsInsideCharacter(std::string_view(text).substr(0, end), false, lead)) << end;
            const size_t lastBreak = text.rfind('\n', from + most - 1);
            if (end < text.size() && lastBreak != std::string::npos && lastBreak >= from) {
                ASSERT_EQ(end, lastBreak + 1) << "whole lines when a break is in reach";
            }
        }
    }
    EXPECT_TRUE(EndsInsideCharacter("L", false, lead));
    EXPECT_FALSE(EndsInsideCharacter("L", true, lead)) << "the second half of a character begun before";
}

TEST(LogSlices, TheLinesShownFirstAreWholeAndTheSliceSizeFollowsItsTime) {
    EXPECT_EQ(TailStart("l1\r\nl2\r\nl3\r\n", 8), 4u);
    EXPECT_EQ(TailStart("l1\r\nl2\r\nl3", 100), 0u);
    EXPECT_EQ(TailStart("l1\r\na long last line\r\n", 8), 4u) << "a long last line goes whole";
    EXPECT_EQ(NextSliceBytes(8192, 60'000, 30'000, 1024, 1 << 20), 4096u);
    EXPECT_EQ(NextSliceBytes(8192, 1, 30'000, 1024, 1 << 20), 16384u) << "at most doubles";
    EXPECT_EQ(NextSliceBytes(1024, 900'000, 30'000, 1024, 1 << 20), 1024u);
}

}  // namespace
}  // namespace carrow
