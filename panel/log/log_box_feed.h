// The log view's text box as the log fills it: the last lines go in at once,
// the lines before them follow a slice at a time above the view, so that the
// window answers between slices and the view stays on the lines it shows.
// Text is normalised 8-bit text (line breaks CR LF) in the ANSI code page.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace carrow {

class LogBoxFeed {
public:
    LogBoxFeed() = default;
    LogBoxFeed(const LogBoxFeed&) = delete;
    LogBoxFeed& operator=(const LogBoxFeed&) = delete;

    void Attach(HWND box);
    HWND Handle() const { return box_; }
    // The box's whole text, as the box holds it.
    std::wstring Text() const;

    // Whether the operator changed the text since it was last given.
    bool Edited() const;
    // Whether lines before the shown ones are still to go in.
    bool Feeding() const { return frontFed_ < frontEnd_; }

    // Makes `text` the box's text: its last lines now, with room for all of it
    // and for growth; caret and view at the start of what is shown.  Fails with
    // "Text exceeds memo capacity" when the memory cannot be had.
    void Replace(std::string text, bool endsWithBreak);
    // Adds `text` at the end, its last lines at once; caret and view return
    // to the start.
    void Append(std::string text, bool endsWithBreak);
    // Puts the next slice of the earlier lines in, keeping the view and the
    // selection on the text they were on.
    void FeedSlice();

    // Lines of the text given so far, not counting a last line that is empty.
    int LineCount() const;
    void ScrollLines(int lines) const;

private:
    void Put(std::size_t at, const std::wstring& text);
    void Take(HLOCAL buffer, std::size_t length);
    // Keeps text[0, end) to go in at `at`, which begins line `breaksBefore`.
    void Hold(std::string text, std::size_t end, std::size_t at, int breaksBefore);

    HWND box_ = nullptr;
    std::string front_;           // text whose earlier lines are still going in
    std::size_t frontFed_ = 0;    // bytes of front_ in the box
    std::size_t frontEnd_ = 0;    // where the lines shown at once began in front_
    std::size_t frontAt_ = 0;     // where the next slice goes in the box
    int frontBreaks_ = 0;         // line breaks before frontAt_
    std::size_t length_ = 0;      // characters in the box
    int breaks_ = 0;              // line breaks in the box
    bool endsWithBreak_ = false;
    std::size_t sliceBytes_ = 0;  // the next slice's size, kept near the time aimed at
};

}  // namespace carrow
