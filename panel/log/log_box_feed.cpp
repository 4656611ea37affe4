#include "log/log_box_feed.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>

#include "base/controls.h"
#include "base/failure.h"
#include "base/redraw_pause.h"
#include "base/window_text.h"
#include "text/code_page_text.h"
#include "log/log_tail_rules.h"
#include "text/text_files_rules.h"

namespace carrow {
namespace {

// What goes in at once: a few screens of lines (a short log whole), quick
// to lay out.
constexpr std::size_t kShownAtOnce = 8 * 1024;
// The box lays out every line it takes, which is slow, and each change also
// costs it time in proportion to the lines it holds; slices aim at this time
// and stay within these sizes.
constexpr std::uint64_t kSliceMicroseconds = 60'000;
constexpr std::size_t kFirstSlice = 8 * 1024;
constexpr std::size_t kSmallestSlice = 4 * 1024;
constexpr std::size_t kLargestSlice = 256 * 1024;

std::uint64_t MicrosecondsSince(std::chrono::steady_clock::time_point start) {
    const auto spent = std::chrono::steady_clock::now() - start;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(spent).count());
}

bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

int Breaks(std::string_view text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// A box buffer with room for `capacity` characters holding `text`.
HLOCAL BoxBuffer(const std::wstring& text, std::size_t capacity) {
    if (capacity >= std::numeric_limits<std::size_t>::max() / sizeof(wchar_t) - 1) Fail(kTextExceedsMemoCapacity);
    const HLOCAL buffer = LocalAlloc(LMEM_MOVEABLE, (capacity + 1) * sizeof(wchar_t));
    if (!buffer) Fail(kTextExceedsMemoCapacity);
    auto* characters = static_cast<wchar_t*>(LocalLock(buffer));
    if (!characters) {
        LocalFree(buffer);
        Fail(kTextExceedsMemoCapacity);
    }
    std::memcpy(characters, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    LocalUnlock(buffer);
    return buffer;
}

}  // namespace

void LogBoxFeed::Attach(HWND box) { box_ = box; }

std::wstring LogBoxFeed::Text() const { return WindowText(box_); }

bool LogBoxFeed::Edited() const { return Edit(box_).Modified(); }

// The box takes a buffer of our own instead of the text: it then has room for
// the whole log without growing its buffer at every slice, and the old text
// goes without being copied or undone.
void LogBoxFeed::Replace(std::string text, bool endsWithBreak) {
    const std::size_t shownFrom = TailStart(text, kShownAtOnce);
    const std::wstring shown = AnsiToViewText(std::string_view(text).substr(shownFrom));
    // No byte becomes more than one character.
    const HLOCAL buffer = BoxBuffer(shown, text.size() + std::max<std::size_t>(text.size() / 4, 1 << 20));
    {
        RedrawPause pause(box_);
        Take(buffer, shown.size());
    }
    length_ = shown.size();
    breaks_ = Breaks(std::string_view(text).substr(shownFrom));
    endsWithBreak_ = endsWithBreak;
    Hold(std::move(text), shownFrom, 0, 0);
}

void LogBoxFeed::Take(HLOCAL buffer, std::size_t length) {
    const Edit box(box_);
    const auto old = reinterpret_cast<HLOCAL>(box.Send(EM_GETHANDLE));
    box.Send(EM_SETHANDLE, reinterpret_cast<WPARAM>(buffer));
    // The old buffer is ours once the box holds the new one.
    if (old && old != buffer) LocalFree(old);
    if (box.Length() != length) Fail(kTextExceedsMemoCapacity);
}

// A long addition goes like a new text: its last lines at once, the lines
// before them later, where the old text ends.  While earlier lines of the
// text are still going in, an addition goes whole.
void LogBoxFeed::Append(std::string text, bool endsWithBreak) {
    const std::size_t shownFrom = Feeding() ? 0 : TailStart(text, kShownAtOnce);
    const std::string_view shownBytes = std::string_view(text).substr(shownFrom);
    const std::wstring shown = AnsiToViewText(shownBytes);
    {
        RedrawPause pause(box_);
        Put(length_, shown);
        // As after a new text: caret and view at its start.
        Edit(box_).Select(0, 0);
        Edit(box_).ScrollCaret();
    }
    const std::size_t oldLength = length_;
    const int oldBreaks = breaks_;
    length_ += shown.size();
    breaks_ += Breaks(shownBytes);
    endsWithBreak_ = endsWithBreak;
    if (shownFrom > 0) Hold(std::move(text), shownFrom, oldLength, oldBreaks);
}

void LogBoxFeed::Hold(std::string text, std::size_t end, std::size_t at, int breaksBefore) {
    frontFed_ = 0;
    frontEnd_ = end;
    frontAt_ = at;
    frontBreaks_ = breaksBefore;
    front_ = end > 0 ? std::move(text) : std::string();
    sliceBytes_ = kFirstSlice;
}

void LogBoxFeed::FeedSlice() {
    if (!Feeding()) return;
    if (Edited()) {  // the positions no longer hold; the next tick loads anew
        front_ = std::string();
        frontFed_ = frontEnd_ = 0;
        return;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::string_view front = std::string_view(front_).substr(0, frontEnd_);
    const std::size_t end = SliceEnd(front, frontFed_, sliceBytes_, IsLeadByte);
    const std::string_view slice = front.substr(frontFed_, end - frontFed_);
    const std::wstring added = AnsiToViewText(slice);
    const int lines = Breaks(slice);
    const Edit box(box_);
    const int firstVisible = box.FirstVisibleLine();
    DWORD selStart = 0, selEnd = 0;
    box.Send(EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    {
        RedrawPause pause(box_);
        Put(frontAt_, added);
        const auto moved = [&](DWORD at) { return at >= frontAt_ ? at + added.size() : at; };
        box.Select(moved(selStart), moved(selEnd));
        const int stay = firstVisible >= frontBreaks_ ? firstVisible + lines : firstVisible;
        box.ScrollLines(stay - box.FirstVisibleLine());
    }
    frontAt_ += added.size();
    frontBreaks_ += lines;
    length_ += added.size();
    breaks_ += lines;
    frontFed_ = end;
    if (frontFed_ == frontEnd_) {
        front_ = std::string();
        frontFed_ = frontEnd_ = 0;
    }
    sliceBytes_ = NextSliceBytes(slice.size(), MicrosecondsSince(started), kSliceMicroseconds, kSmallestSlice,
                                 kLargestSlice);
}

void LogBoxFeed::Put(std::size_t at, const std::wstring& text) {
    const Edit box(box_);
    box.Select(at, at);
    box.ReplaceSelection(text.c_str());
    box.EmptyUndoBuffer();
    box.SetModified(false);
    if (box.Length() != length_ + text.size()) Fail(kTextExceedsMemoCapacity);
}

int LogBoxFeed::LineCount() const { return breaks_ + (length_ == 0 || endsWithBreak_ ? 0 : 1); }

void LogBoxFeed::ScrollLines(int lines) const { Edit(box_).ScrollLines(lines); }

}  // namespace carrow
