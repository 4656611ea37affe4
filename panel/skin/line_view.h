// A read-only view of many lines: it keeps its text as bytes in a line store
// (line_store.h), converts only what it draws or is asked for, draws the
// lines in view in the skin's colours and the control's font, scrolls with
// its scroll bar, the wheel and the keys, and lets the operator select with
// the mouse and copy.  It answers the text box messages that tests and screen
// readers use: WM_GETTEXT, WM_GETTEXTLENGTH, WM_SETTEXT, EM_GETLINECOUNT,
// EM_GETFIRSTVISIBLELINE, EM_LINESCROLL and EM_GETLINE.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/controls.h"
#include "line_store.h"

namespace carrow::skin {

inline constexpr wchar_t kLineViewClass[] = L"LineView";

// New text for a view, sent by address: the view takes the lines over.
struct LineViewText {
    LineStore* lines;
    std::size_t topLine;  // the first line in view afterwards
    UINT codePage;        // of the bytes
};

// The view's own messages.
inline constexpr UINT kLineViewSetText = WM_USER + 0x300;     // lParam LineViewText*: replaces the text
inline constexpr UINT kLineViewAppendText = WM_USER + 0x301;  // lParam LineViewText*: adds at the end
inline constexpr UINT kLineViewLines = WM_USER + 0x302;       // returns the const LineStore* it shows

class LineView : public Window {
public:
    using Window::Window;

    // Makes the view (WS_VSCROLL and a border) with args' font and text.
    void Create(const ChildArgs& args);

    // Replaces the text; the selection goes.
    void SetText(LineStore&& lines, std::size_t topLine, UINT codePage) const {
        LineViewText text{&lines, topLine, codePage};
        Send(kLineViewSetText, 0, reinterpret_cast<LPARAM>(&text));
    }
    // Adds text at the end, in the code page of what it shows.
    void Append(LineStore&& lines, std::size_t topLine) const {
        LineViewText text{&lines, topLine, CP_ACP};
        Send(kLineViewAppendText, 0, reinterpret_cast<LPARAM>(&text));
    }
    const LineStore& Lines() const { return *reinterpret_cast<const LineStore*>(Send(kLineViewLines)); }
    int LineCount() const { return static_cast<int>(Send(EM_GETLINECOUNT)); }
    int FirstVisibleLine() const { return static_cast<int>(Send(EM_GETFIRSTVISIBLELINE)); }
    void ScrollLines(int lines) const { Send(EM_LINESCROLL, 0, lines); }
};

}  // namespace carrow::skin
