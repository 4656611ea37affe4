#include "log/log_tail_rules.h"

#include <algorithm>

#include "text/text_files_rules.h"

namespace carrow {

FileMark MarkOf(std::uint64_t size, std::uint64_t writeTime, std::string_view lastBytes) {
    return FileMark{true, size, writeTime, std::string(lastBytes)};
}

bool NeedsMarkRead(const FileMark& mark, std::uint64_t size, std::uint64_t writeTime) {
    if (!mark.known || size < mark.size) return false;
    return size != mark.size || writeTime != mark.writeTime;
}

FileChange JudgeFile(const FileMark& mark, std::uint64_t size, std::uint64_t writeTime,
                     std::string_view bytesAtMark) {
    if (!mark.known || size < mark.size) return FileChange::Replaced;
    if (!NeedsMarkRead(mark, size, writeTime)) return FileChange::Same;
    // Rewritten from its start with other bytes, or written over in place.
    if (bytesAtMark != mark.tail) return FileChange::Replaced;
    return size == mark.size ? FileChange::Same : FileChange::Grown;
}

std::string LineBreakJoin::Next(std::string_view piece) {
    if (piece.empty()) return {};
    const bool joined = afterCr_ && piece.front() == '\n';
    afterCr_ = piece.back() == '\r';
    if (joined) piece.remove_prefix(1);
    std::string out = NormaliseLineBreaks(piece);
    if (!out.empty()) endsWithBreak_ = out.back() == '\n';
    return out;
}

std::size_t TailStart(std::string_view text, std::size_t most) {
    if (text.size() <= most) return 0;
    const std::size_t next = text.find('\n', text.size() - most - 1);
    if (next != std::string_view::npos && next + 1 < text.size()) return next + 1;
    // The last line alone is longer: it goes whole.
    const std::size_t before = text.rfind('\n', text.size() - 2);
    return before == std::string_view::npos ? 0 : before + 1;
}

std::size_t NextSliceBytes(std::size_t lastBytes, std::uint64_t lastMicroseconds, std::uint64_t targetMicroseconds,
                           std::size_t minBytes, std::size_t maxBytes) {
    const std::uint64_t spent = std::max<std::uint64_t>(lastMicroseconds, 1);
    const std::uint64_t aimed = static_cast<std::uint64_t>(lastBytes) * targetMicroseconds / spent;
    const std::uint64_t capped = std::min<std::uint64_t>(aimed, static_cast<std::uint64_t>(lastBytes) * 2);
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(capped, minBytes, maxBytes));
}

}  // namespace carrow
