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

}  // namespace carrow
