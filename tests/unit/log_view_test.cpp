#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "log/log_tail_rules.h"
#include "log/log_view_rules.h"
#include "skin/line_store.h"
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

TEST(LineBreakJoin, APieceEndingInsideATwoByteCharacterIsTold) {
    const auto lead = [](char c) { return c == 'L'; };  // 'L' and the byte after it are one character
    EXPECT_TRUE(EndsInsideCharacter("abL", false, lead));
    EXPECT_FALSE(EndsInsideCharacter("aLL", false, lead)) << "the second L is the first one's second half";
    EXPECT_FALSE(EndsInsideCharacter("L", true, lead)) << "the second half of a character begun before";
}

// Lines of varied length, some empty, that cross the store's chunks.
std::string ManyLines(std::size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) text += std::string(static_cast<std::size_t>(i * 7919 % 300), 'x') + std::to_string(i) + "\r\n";
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            lines.emplace_back();
            ++i;
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

void ExpectLines(const LineStore& store, const std::string& text) {
    const std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(store.LineCount(), lines.size());
    ASSERT_EQ(store.Size(), text.size());
    for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(store.Line(i), lines[i]) << "line " << i;
    EXPECT_EQ(store.Line(lines.size()), "") << "past the last line";
    EXPECT_EQ(store.Lines(0, SIZE_MAX), text);
}

TEST(LineStore, TextAppendedInAnyPiecesGivesTheLinesOfTheWhole) {
    const std::string text = ManyLines(3 * LineStore::kChunkBytes) + "an open last line";
    for (const std::size_t piece : {std::size_t{1} << 22, std::size_t{300'001}, std::size_t{65'537}}) {
        LineStore store;
        for (std::size_t at = 0; at < text.size(); at += piece) store.Append(std::string_view(text).substr(at, piece));
        ExpectLines(store, text);
        EXPECT_FALSE(store.EndsWithBreak());
    }
    LineStore empty;
    EXPECT_EQ(empty.LineCount(), 1u) << "an empty text has one empty line, as a text box counts";
    empty.Append("a\r\n");
    EXPECT_EQ(empty.LineCount(), 2u);
    EXPECT_TRUE(empty.EndsWithBreak());
}

TEST(LineStore, AStoreAppendedToAnotherContinuesItsLastLine) {
    const std::string first = ManyLines(LineStore::kChunkBytes + 5000);
    const std::string second = ManyLines(LineStore::kChunkBytes / 2);
    for (const std::string& seam : {std::string(), std::string("half a line ")}) {
        LineStore store, more;
        store.Append(first + seam);
        more.Append(second);
        store.Append(std::move(more));
        ExpectLines(store, first + seam + second);
        EXPECT_EQ(more.Size(), 0u) << "the appended store is taken over";
    }
}

TEST(LineView, ScrollsNoFurtherThanItsLastLineAtTheTopAndSelectsInTextOrder) {
    EXPECT_EQ(ClampTopLine(-3, 100), 0u);
    EXPECT_EQ(ClampTopLine(99, 100), 99u) << "the last line may stand at the top";
    EXPECT_EQ(ClampTopLine(1 << 30, 100), 99u);
    EXPECT_EQ(ClampTopLine(5, 1), 0u);

    const TextRange range = Ordered({4, 2}, {2, 5});
    EXPECT_EQ(range.from, (TextPlace{2, 5})) << "dragged upwards";
    EXPECT_EQ(SpanOnLine(range, 2, 8).from, 5u);
    EXPECT_EQ(SpanOnLine(range, 2, 8).to, 9u) << "a selection going on past a line takes its break";
    EXPECT_EQ(SpanOnLine(range, 3, 0).to, 1u) << "an empty line in the middle shows its break";
    EXPECT_EQ(SpanOnLine(range, 4, 8).to, 2u);
    EXPECT_EQ(SpanOnLine(range, 5, 8).to, 0u);
    EXPECT_EQ(SpanOnLine(Ordered({3, 9}, {3, 1}), 3, 4).from, 1u);
    EXPECT_EQ(SpanOnLine(Ordered({3, 9}, {3, 1}), 3, 4).to, 4u) << "a column past the line is its end";
    EXPECT_TRUE(Ordered({1, 1}, {1, 1}).Empty());
}

}  // namespace
}  // namespace carrow
