#include "line_store.h"

#include <algorithm>

namespace carrow {

bool LineStore::EndsWithBreak() const {
    return !chunks_.empty() && !chunks_.back().bytes.empty() && chunks_.back().bytes.back() == '\n';
}

// A new chunk begins only after a line break: the empty line that the break
// opened moves into it.
LineStore::Chunk& LineStore::OpenChunk() {
    if (chunks_.empty()) {
        chunks_.push_back({{}, {0}, 0});
        lines_ = 1;
        return chunks_.back();
    }
    Chunk& last = chunks_.back();
    const bool full = last.bytes.size() >= kChunkBytes && EndsWithBreak();
    if (!full) return last;
    last.starts.pop_back();
    chunks_.push_back({{}, {0}, lines_ - 1});
    return chunks_.back();
}

void LineStore::AddToLast(std::string_view text) {
    Chunk& chunk = chunks_.back();
    const std::size_t base = chunk.bytes.size();
    chunk.bytes.append(text);
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
        chunk.starts.push_back(static_cast<std::uint32_t>(base + at + 1));
        ++lines_;
    }
    size_ += text.size();
}

void LineStore::Append(std::string_view text) {
    while (!text.empty()) {
        const std::size_t room = kChunkBytes - std::min(kChunkBytes, OpenChunk().bytes.size());
        // Up to the room left, and on to the end of the line that crosses it.
        std::size_t take = text.size();
        if (take > room) {
            const std::size_t lineEnd = text.find('\n', room == 0 ? 0 : room - 1);
            take = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        }
        AddToLast(text.substr(0, take));
        text.remove_prefix(take);
    }
}

void LineStore::Append(LineStore&& other) {
    if (other.size_ == 0) return;
    if (size_ != 0 && !EndsWithBreak()) {
        for (const Chunk& chunk : other.chunks_) Append(chunk.bytes);
        other = LineStore();
        return;
    }
    const std::size_t shift = lines_ == 0 ? 0 : lines_ - 1;
    if (!chunks_.empty()) chunks_.back().starts.pop_back();  // the empty last line: other's first
    if (!chunks_.empty() && chunks_.back().starts.empty()) chunks_.pop_back();
    for (Chunk& chunk : other.chunks_) {
        chunk.firstLine += shift;
        chunks_.push_back(std::move(chunk));
    }
    lines_ = shift + other.lines_;
    size_ += other.size_;
    other = LineStore();
}

std::size_t LineStore::ChunkOf(std::size_t line) const {
    const auto after = std::upper_bound(chunks_.begin(), chunks_.end(), line,
                                        [](std::size_t n, const Chunk& chunk) { return n < chunk.firstLine; });
    return static_cast<std::size_t>(after - chunks_.begin()) - 1;
}

std::string_view LineStore::Line(std::size_t line) const {
    if (line >= lines_) return {};
    const Chunk& chunk = chunks_[ChunkOf(line)];
    const std::size_t index = line - chunk.firstLine;
    const std::size_t start = chunk.starts[index];
    std::size_t end = index + 1 < chunk.starts.size() ? chunk.starts[index + 1] : chunk.bytes.size();
    if (end > start && chunk.bytes[end - 1] == '\n') --end;
    if (end > start && chunk.bytes[end - 1] == '\r') --end;
    return std::string_view(chunk.bytes).substr(start, end - start);
}

std::string LineStore::Lines(std::size_t first, std::size_t last) const {
    std::string out;
    for (std::size_t line = first; line <= last && line < lines_; ++line) {
        if (line > first) out += "\r\n";
        out += Line(line);
    }
    return out;
}

std::size_t ClampTopLine(std::int64_t wanted, std::size_t lineCount) {
    const auto last = static_cast<std::int64_t>(lineCount == 0 ? 0 : lineCount - 1);
    return static_cast<std::size_t>(std::clamp<std::int64_t>(wanted, 0, last));
}

TextRange Ordered(TextPlace anchor, TextPlace caret) {
    return anchor <= caret ? TextRange{anchor, caret} : TextRange{caret, anchor};
}

ColumnSpan SpanOnLine(const TextRange& range, std::size_t line, std::size_t lineLength) {
    if (range.Empty() || line < range.from.line || line > range.to.line) return {};
    const std::size_t from = line == range.from.line ? std::min(range.from.column, lineLength) : 0;
    const std::size_t to = line == range.to.line ? std::min(range.to.column, lineLength) : lineLength + 1;
    return {from, std::max(from, to)};
}

}  // namespace carrow
