// The text box that whole files are shown in, with what it last showed.
#pragma once

#include <windows.h>

#include <string>

#include "base/controls.h"

namespace carrow {

// A multi-line EDIT control that the whole-file operations work on.  It
// remembers the file bytes and the text it last showed, and trusts them while
// the control's modify flag says the operator has not edited it, so that an
// unchanged file costs one compare instead of a look at the whole box.
class TextView {
public:
    explicit TextView(HWND edit = nullptr) : edit_(edit) {}
    TextView(const TextView&) = delete;
    TextView& operator=(const TextView&) = delete;

    // The box's control.
    const Edit& Control() const { return edit_; }
    HWND Handle() const { return edit_.Handle(); }
    // Takes over another box, which it knows nothing of yet.
    void Attach(const Edit& edit);

    // The box's whole text, as the box holds it.
    std::wstring Text() const;
    // Lines of the box, not counting a last line that is empty.
    int LineCount() const;
    // Scrolls the view down by that many lines (up when negative).
    void ScrollLines(int lines) const;

    // Whether the operator changed the text since it was last shown or saved.
    bool Edited() const;
    // The text was just written to its file: it no longer counts as edited.
    void MarkSaved();

    // Shows file bytes: line breaks made uniform, converted from the ANSI code
    // page; the box is left exactly as it is when it already shows that text.
    void Show(std::string bytes);

private:
    bool Trusted() const;
    void ShowGrowth(std::string bytes);
    void ShowWhole(std::string bytes);
    void SetWholeText(const std::wstring& text);
    bool Append(const std::wstring& tail, size_t oldLength);
    void Remember(std::string bytes, std::wstring text);

    Edit edit_;
    bool known_ = false;  // shownBytes_ and shownText_ describe the box
    std::string shownBytes_;
    std::wstring shownText_;
    int breaks_ = 0;  // line breaks in shownText_
};

}  // namespace carrow
