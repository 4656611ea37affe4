// Rules for following a log that only grows between runs: telling from a
// file's length, write time and last bytes whether it is unchanged, grown or
// replaced, and turning the log's bytes into view text piece by piece.
// Plain functions over strings, shared by the Windows layer and the native
// tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace carrow {

// What was known of a file when it was last taken in: its length, its write
// time and its last bytes (at most kMarkBytes of them).
struct FileMark {
    bool known = false;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    std::string tail;
};

inline constexpr std::size_t kMarkBytes = 4096;

// The mark of a file of that size and time whose last bytes are `lastBytes`.
FileMark MarkOf(std::uint64_t size, std::uint64_t writeTime, std::string_view lastBytes);

// Where the bytes to compare with mark.tail begin.
inline std::uint64_t MarkStart(const FileMark& mark) { return mark.size - mark.tail.size(); }

enum class FileChange { Same, Grown, Replaced };

// Whether the file must be read at MarkStart to be judged: not when it is
// shorter (replaced) or has the same length and write time (unchanged).
bool NeedsMarkRead(const FileMark& mark, std::uint64_t size, std::uint64_t writeTime);

// Judges a file of `size` and `writeTime` whose bytes now at MarkStart are
// `bytesAtMark` (ignored when NeedsMarkRead is false).  Grown: the bytes up to
// mark.size are still the ones taken in, only more follow.
FileChange JudgeFile(const FileMark& mark, std::uint64_t size, std::uint64_t writeTime,
                     std::string_view bytesAtMark);

// Line breaks made uniform across pieces of one text: every piece is
// normalised as NormaliseLineBreaks does, except that a CR ending one piece and
// an LF starting the next are one break, as they are in the whole.
class LineBreakJoin {
public:
    std::string Next(std::string_view piece);
    // Whether the text so far ends with a line break (its last line is empty).
    bool EndsWithBreak() const { return endsWithBreak_; }
    void Reset() { *this = LineBreakJoin(); }

private:
    bool afterCr_ = false;
    bool endsWithBreak_ = false;
};

// Whether bytes that follow `startsInside` bytes end inside a two-byte
// character: their last byte is a lead byte that no earlier lead byte claims
// as its second half.
template <class IsLeadByte>
bool EndsInsideCharacter(std::string_view bytes, bool startsInside, IsLeadByte&& isLeadByte) {
    bool inside = startsInside;
    for (const char c : bytes) inside = !inside && isLeadByte(c);
    return inside;
}

}  // namespace carrow
