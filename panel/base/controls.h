// The messages the panel sends to standard controls, one method each, over a
// handle it does not own: the window's control objects and the skin's
// procedures, which only see a handle, speak to a control the same way.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace carrow {

class ControlHandle {
public:
    explicit ControlHandle(HWND hwnd) : hwnd_(hwnd) {}
    HWND Handle() const { return hwnd_; }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }
    HFONT Font() const { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }
    void SetFont(HFONT font) const { Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }
    void SetRedraw(bool redraw) const { Send(WM_SETREDRAW, redraw); }

protected:
    HWND hwnd_;
};

// A text box (EDIT).
class EditHandle : public ControlHandle {
public:
    using ControlHandle::ControlHandle;
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
    int LineCount() const { return static_cast<int>(Send(EM_GETLINECOUNT)); }
    int FirstVisibleLine() const { return static_cast<int>(Send(EM_GETFIRSTVISIBLELINE)); }
    void SetLimit(int limit) const { Send(EM_SETLIMITTEXT, limit); }
};

// A tab strip (WC_TABCONTROL).
class TabHandle : public ControlHandle {
public:
    using ControlHandle::ControlHandle;
    int Count() const { return static_cast<int>(Send(TCM_GETITEMCOUNT)); }
    int Selected() const { return static_cast<int>(Send(TCM_GETCURSEL)); }
    RECT ItemRect(int index) const {
        RECT rect{};
        Send(TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    // The caption of a tab, up to 127 characters.
    std::wstring Caption(int index) const {
        wchar_t caption[128] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = static_cast<int>(std::size(caption));
        Send(TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        return caption;
    }
    int HitTest(POINT point) const {
        TCHITTESTINFO hit = {point, 0};
        return static_cast<int>(Send(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    }
};

// A drop-down list (WC_COMBOBOX).
class ComboHandle : public ControlHandle {
public:
    using ControlHandle::ControlHandle;
    void Clear() const { Send(CB_RESETCONTENT); }
    // False when the list did not take the item.
    bool Add(const wchar_t* text) const { return Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)) >= 0; }
    int Selected() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Select(int index) const { Send(CB_SETCURSEL, index); }
    bool Dropped() const { return Send(CB_GETDROPPEDSTATE) != 0; }
    ULONG_PTR ItemData(int index) const { return static_cast<ULONG_PTR>(Send(CB_GETITEMDATA, index)); }
    // The item's text; false when there is no such item.
    bool ItemText(int index, std::wstring& text) const {
        const auto length = Send(CB_GETLBTEXTLEN, index);
        if (length == CB_ERR) return false;
        text.assign(static_cast<size_t>(length) + 1, L'\0');
        Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        return true;
    }
};

}  // namespace carrow
