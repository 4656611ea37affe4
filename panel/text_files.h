// Whole-file text between files and multi-line text boxes: LoadTextFile puts
// a file into a box, SaveTextFile puts a box's text into a file.  File text is
// 8-bit in the ANSI code page; the boxes hold UTF-16.  Failures are raised as
// carrow::Failure with the message the error report shows.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

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

    HWND Handle() const { return edit_; }
    void Attach(HWND edit);

    // The box's whole text, as the box holds it.
    std::wstring Text() const;
    // Lines of the box, not counting a last line that is empty.
    int LineCount() const;
    // Scrolls the view down by that many lines (up when negative).
    void ScrollLines(int lines) const;

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

    HWND edit_;
    bool known_ = false;  // shownBytes_ and shownText_ describe the box
    std::string shownBytes_;
    std::wstring shownText_;
    int breaks_ = 0;  // line breaks in shownText_
};

// Replaces the view's text with the named file's.  The file is opened so that
// others may read it but not write it, and read in one read.
void LoadTextFile(TextView& view, const wchar_t* fileName);

// Replaces the named file with the view's text, atomically: a failed save
// leaves the old file byte for byte.
void SaveTextFile(const TextView& view, const wchar_t* fileName);

// 8-bit text <-> a box's text in the given code page; zero bytes travel as
// kZeroByteStandIn, so an unedited text converts back byte for byte in any
// single-byte code page.
std::wstring AnsiToViewText(std::string_view bytes, UINT codePage = CP_ACP);
std::string ViewTextToAnsi(std::wstring_view text, UINT codePage = CP_ACP);

// The full path of a name resolved against the current folder.
std::wstring FullPathOf(const wchar_t* fileName);

}  // namespace carrow
