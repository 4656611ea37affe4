// The controls the panel speaks to: one small class per kind over an HWND,
// each message one method.  Windows destroys a control with its parent, so
// these hold the handle without owning it; every feature that works on a
// control keeps the one object of that control.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "base/layout.h"

namespace carrow {

// Registers a window class of this program once; a later call finds it
// registered.  Fails with the platform's reason.
void RegisterControlClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor);

// Where and how a child control is made.
struct ChildArgs {
    HWND parent;
    int id;
    Rect place;  // in pixels, relative to the parent
    std::wstring text;
    HFONT font;
    bool tabStop;
};

// Any window; buttons, pages and panels need nothing more.
class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}

    // Makes the control as a visible child of args.parent with the font of
    // args; fails with the platform's reason.
    void Create(const wchar_t* windowClass, DWORD style, DWORD exStyle, const ChildArgs& args);
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    HWND Handle() const { return hwnd_; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }
    std::wstring Text() const;
    void Show(bool visible) const { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
    void Invalidate(bool erase = false) const { InvalidateRect(hwnd_, nullptr, erase); }
    HFONT Font() const { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }
    void SetRedraw(bool redraw) const { Send(WM_SETREDRAW, redraw); }
    // Where the control is now, relative to its parent's client area.
    Rect PlaceInParent() const;
    // Moves and sizes the control within its parent, unless it is there
    // already; fails with the platform's reason.
    void Place(const Rect& place) const;

protected:
    HWND hwnd_ = nullptr;
};

// A text box (EDIT).
class Edit : public Window {
public:
    using Window::Window;
    // False when the box did not take the text.
    bool SetWholeText(const wchar_t* text) const { return Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0; }
    size_t Length() const { return static_cast<size_t>(GetWindowTextLengthW(hwnd_)); }
    bool Modified() const { return Send(EM_GETMODIFY) != 0; }
    void SetModified(bool modified) const { Send(EM_SETMODIFY, modified); }
    void EmptyUndoBuffer() const { Send(EM_EMPTYUNDOBUFFER); }
    void Select(size_t from, size_t to) const { Send(EM_SETSEL, from, static_cast<LPARAM>(to)); }
    void ReplaceSelection(const wchar_t* text) const { Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text)); }
    void ScrollCaret() const { Send(EM_SCROLLCARET); }
    void ScrollLines(int lines) const { Send(EM_LINESCROLL, 0, lines); }
    void SetLimit(int limit) const { Send(EM_SETLIMITTEXT, limit); }
};

// A tab strip (WC_TABCONTROL).
class TabStrip : public Window {
public:
    using Window::Window;
    int Count() const { return static_cast<int>(Send(TCM_GETITEMCOUNT)); }
    int Selected() const { return static_cast<int>(Send(TCM_GETCURSEL)); }
    void Select(int index) const { Send(TCM_SETCURSEL, index); }
    RECT ItemRect(int index) const {
        RECT rect{};
        Send(TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    // The caption of a tab, up to 127 characters.
    std::wstring Caption(int index) const;
    // Adds a tab at the end; fails when the strip does not take it.
    void AddTab(const std::wstring& caption) const;
    int HitTest(POINT point) const {
        TCHITTESTINFO hit = {point, 0};
        return static_cast<int>(Send(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    }
};

// A drop-down list (WC_COMBOBOX).
class ComboBox : public Window {
public:
    using Window::Window;
    void Clear() const { Send(CB_RESETCONTENT); }
    // False when the list did not take the item.
    bool Add(const wchar_t* text) const { return Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)) >= 0; }
    int Selected() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Select(int index) const { Send(CB_SETCURSEL, index); }
    bool Dropped() const { return Send(CB_GETDROPPEDSTATE) != 0; }
    ULONG_PTR ItemData(int index) const { return static_cast<ULONG_PTR>(Send(CB_GETITEMDATA, index)); }
    // The item's text; false when there is no such item.
    bool ItemText(int index, std::wstring& text) const;
    // index -1 is the closed field.
    int ItemHeight(int index) const { return static_cast<int>(Send(CB_GETITEMHEIGHT, index)); }
    void SetItemHeight(int index, int height) const { Send(CB_SETITEMHEIGHT, index, height); }
};

// A list view (WC_LISTVIEW) in single selection.
class ListView : public Window {
public:
    using Window::Window;
    int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    // Sets the number of items of a list whose owner keeps them, without
    // scrolling; selection and focus go.
    void SetItemCount(int count) const { Send(LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL); }
    std::optional<int> Selected() const;
    void Select(int index) const;
    void ClearSelection() const;
    void EditLabel(int index) const { Send(LVM_EDITLABELW, index); }
    bool IsEditing() const { return Send(LVM_GETEDITCONTROL) != 0; }
    void RedrawItem(int index) const { Send(LVM_REDRAWITEMS, index, index); }
    // The item at a point of the list's client area, if any.
    std::optional<int> ItemAt(POINT client) const;
    // The centre of an item's icon in screen coordinates.
    std::optional<POINT> IconCentreOnScreen(int index) const;
};

}  // namespace carrow
