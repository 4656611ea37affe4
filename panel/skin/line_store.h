// The text of a read-only line view: bytes kept as they came, in chunks of
// about a megabyte that hold whole lines, with an index of where each line
// starts.  Nothing is converted or copied twice: appending costs what is
// appended, looking up a line costs a search over the chunks.  Text given to
// a store has uniform line breaks (CR LF); a line is what lies between two
// breaks, and text that ends with a break ends with an empty line, as a
// multi-line text box counts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace carrow {

class LineStore {
public:
    // A chunk grows past this only to finish a line that began in it.
    static constexpr std::size_t kChunkBytes = 1u << 20;

    // Adds text at the end; its first line continues the store's last one.
    void Append(std::string_view text);
    // Adds another store's text at the end, taking over its chunks where the
    // seam allows it (this store ending with a line break).
    void Append(LineStore&& other);

    // Lines as a text box counts them: line breaks + 1.
    std::size_t LineCount() const { return lines_ == 0 ? 1 : lines_; }
    std::uint64_t Size() const { return size_; }
    bool EndsWithBreak() const;
    // The line's bytes without its break; empty past the last line.
    std::string_view Line(std::size_t line) const;
    // The bytes of lines [first, last] with their breaks between them.
    std::string Lines(std::size_t first, std::size_t last) const;

private:
    struct Chunk {
        std::string bytes;
        std::vector<std::uint32_t> starts;  // of the lines that begin in it
        std::size_t firstLine = 0;          // the number of starts[0]
    };
    Chunk& OpenChunk();
    void AddToLast(std::string_view text);
    std::size_t ChunkOf(std::size_t line) const;

    std::vector<Chunk> chunks_;
    std::size_t lines_ = 0;
    std::uint64_t size_ = 0;
};

// Where a view of `pageLines` lines may start: from the first line down to
// the last line at the top, as the system's text boxes allow.
std::size_t ClampTopLine(std::int64_t wanted, std::size_t lineCount);

// A place in the text: a line and a character of it.
struct TextPlace {
    std::size_t line = 0;
    std::size_t column = 0;
    friend bool operator==(const TextPlace&, const TextPlace&) = default;
    friend auto operator<=>(const TextPlace&, const TextPlace&) = default;
};

// A selection from where the mouse went down to where it is now, in text
// order; empty when both are the same place.
struct TextRange {
    TextPlace from, to;
    bool Empty() const { return from == to; }
};
TextRange Ordered(TextPlace anchor, TextPlace caret);

// The columns [from, to) of `line` that the range covers, `lineLength`
// characters long; from == to when none.  A range going on past the line
// covers its end too (the break, shown as one more column).
struct ColumnSpan {
    std::size_t from = 0, to = 0;
};
ColumnSpan SpanOnLine(const TextRange& range, std::size_t line, std::size_t lineLength);

}  // namespace carrow
