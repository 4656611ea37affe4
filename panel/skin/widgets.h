// The window's controls: one small class per kind that creates a standard
// Windows control, attaches its skin and wraps the messages the panel sends
// to it.  Each holds its HWND; the window owns the objects and Windows
// destroys the controls with the window.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "base/control_handles.h"
#include "base/layout.h"
#include "skin.h"

namespace carrow::skin {

// The part of the skin a control is drawn with; each names a skin section.
enum class Part { Form, PageControl, Page, Panel, Button, Edit, ComboBox, StatusBar };
std::string_view SectionNameOf(Part part);

constexpr Colour kWhite = Rgb(255, 255, 255);

// What a control's skin needs while it draws.
struct SkinState {
    Part part;
    const Section* section;
    int dpi;
    HFONT font;
    Colour text = kPanelTextColour;
    Colour background = kWhite;
    HBRUSH backgroundBrush = nullptr;  // owned, made from background
    bool hot = false;
    int hotItem = -1;
    ~SkinState();
    void SetBackground(Colour colour);
};

// The skin every control is drawn with.
const Description& CurrentSkin();

struct CreateArgs {
    HWND parent;
    int id;
    Rect place;  // in pixels, relative to the parent
    std::wstring text;
    HFONT font;
    int dpi;
    bool tabStop;
};

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    HWND Handle() const { return hwnd_; }
    int Id() const { return GetDlgCtrlID(hwnd_); }
    std::wstring Text() const;
    void SetText(const std::wstring& text) const;
    virtual void Place(const Rect& place) const;
    void Show(bool visible) const { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
    void Invalidate() const { InvalidateRect(hwnd_, nullptr, FALSE); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }
    SkinState& Skin() const { return *skin_; }

protected:
    // Creates the window and attaches the skin of part; fails with the
    // platform's reason when the window cannot be made.
    void CreateControl(const wchar_t* windowClass, DWORD style, DWORD exStyle, const CreateArgs& args, Part part);

    HWND hwnd_ = nullptr;
    std::unique_ptr<SkinState> skin_;
};

class Button : public Control {
public:
    void Create(const CreateArgs& args);
    void Click() const { Send(BM_CLICK); }
};

// A multi-line text box.
class Memo : public Control {
public:
    struct Options {
        bool verticalScrollBar;
        bool wordWrap;
    };
    void Create(const CreateArgs& args, Options options);
    void SetTextColour(Colour colour) const;
    int LineCount() const { return EditHandle(hwnd_).LineCount(); }
    int FirstVisibleLine() const { return EditHandle(hwnd_).FirstVisibleLine(); }
    void ScrollLines(int lines) const { EditHandle(hwnd_).ScrollLines(lines); }
};

class TabControl : public Control {
public:
    void Create(const CreateArgs& args);
    void AddTab(const std::wstring& caption) const;
    int Selected() const { return TabHandle(hwnd_).Selected(); }
};

// A drop-down list whose items are drawn by their owner; until an owner
// draws them they show their text.
class ComboBox : public Control {
public:
    void Create(const CreateArgs& args);
    // The closed height stays as created: a combo box takes the height of its
    // window as the height of its open list.
    void Place(const Rect& place) const override;
    int Selected() const { return ComboHandle(hwnd_).Selected(); }

private:
    int listHeight_ = 0;
};

class StatusBar : public Control {
public:
    void Create(const CreateArgs& args);
};

// A panel or a tab page: a plain window that holds other controls, sends
// their drawing messages back to them and their commands on to the window.
class Container : public Control {
public:
    void Create(const CreateArgs& args, Part part);
};

}  // namespace carrow::skin
