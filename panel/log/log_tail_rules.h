// Rules for following a log that only grows between runs: telling from a
// file's length, write time and last bytes whether it is unchanged, grown or
// replaced; turning the log's bytes into box text piece by piece; and cutting
// that text into slices the box can take without holding up the window.
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

// The end of the slice of normalised `text` that begins at `from` (a line
// start) and holds at most `most` bytes: just after its last line break, or,
// in a line longer than `most`, before the character that would not fit.  A
// CR LF pair and a two-byte character are never cut.  Past `from` while text
// remains.
template <class IsLeadByte>
std::size_t SliceEnd(std::string_view text, std::size_t from, std::size_t most, IsLeadByte&& isLeadByte) {
    if (text.size() - from <= most) return text.size();
    const std::size_t limit = from + most;
    const std::size_t lastBreak = text.rfind('\n', limit - 1);
    if (lastBreak != std::string_view::npos && lastBreak >= from) return lastBreak + 1;
    std::size_t end = from;
    for (;;) {
        const std::size_t step = isLeadByte(text[end]) ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    if (end > from && text[end - 1] == '\r') --end;  // its LF lies past the limit
    return end > from ? end : std::min(text.size(), from + 2);
}

// Where the last lines of normalised `text` begin: the start of a line, at
// most `most` bytes before the end unless the last line alone is longer.
std::size_t TailStart(std::string_view text, std::size_t most);

// The next slice's size in bytes, from the last one's size and time: aims at
// `targetMicroseconds`, at most doubles at a time, within [minBytes, maxBytes].
std::size_t NextSliceBytes(std::size_t lastBytes, std::uint64_t lastMicroseconds, std::uint64_t targetMicroseconds,
                           std::size_t minBytes, std::size_t maxBytes);

}  // namespace carrow
