// Form1, the main window: the tab control with its four pages, the status
// bar, the log refresh timer and the event handlers.  The controls are built
// from the layout table (form1_layout.h), each as one object: the features'
// own (log view, editors, colour chooser, folder list) or a plain one.  The
// events are routed to the handlers in form1_handlers.cpp, each through the
// error report.
#pragma once

#include <windows.h>

#include <map>

#include "base/controls.h"
#include "base/handles.h"
#include "base/timer.h"
#include "browser/file_browser.h"
#include "editors/editors.h"
#include "log/log_view.h"
#include "skin/colour_box.h"
#include "skin/frame_window.h"
#include "text/text_files.h"
#include "window/form1_layout.h"

namespace carrow {

class TForm1 {
public:
    static constexpr wchar_t kClassName[] = L"TForm1";
    static constexpr wchar_t kCaption[] = L"Управление сервером SA-MP ";

    explicit TForm1(HINSTANCE instance);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Creates the window and all of its controls at the display's dpi.
    void Create();
    // Runs FormShow, then shows the window in the given state.
    void Show(int showCommand);
    // The window's keyboard handling for a message of the loop: page keys and
    // dialog navigation.  True when the message was handled.
    bool PreTranslate(MSG& message);
    HWND Handle() const { return hwnd_; }

    // The controls with behaviour of their own: the page control, the log
    // view (sMemo1), the ban list and configuration editors (sMemo2, sMemo3)
    // with what they loaded, the colour chooser (sColorBox1) and the file
    // browser's folder list.
    TabStrip sPageControl1;
    LogView logView;
    Editor banList{kBanListFile}, config{kConfigFile};
    ColourBox colourBox;
    FileBrowser sShellListView1;
    Timer Timer1;

    // Event handlers (form1_handlers.cpp).
    void FormShow();
    void FormClose();
    void Timer1Timer();
    void sButton1Click();
    void sButton2Click();
    void sButton3Click();
    void sButton4Click();
    void sButton5Click();
    void sButton6Click();
    void sButton7Click();
    void sButton8Click();
    void sButton9Click();
    void sButton11Click();
    void sColorBox1Click();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OnActivate(WPARAM wParam);
    void OnEraseBackground(HDC dc) const;

    void RegisterWindowClass() const;
    void CreateWindowFrame();
    void FitClientArea(int width, int height) const;
    void CreateControl(const ControlLayout& layout);
    void CreateOfKind(const ControlLayout& layout, const ChildArgs& args);
    HWND HandleOf(ControlId id) const;
    void Arrange() const;
    void ShowPage(int index);
    void SelectNextPage(bool backwards);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    int dpi_ = kDesignDpi;
    Font font_;
    skin::SkinnedFrame frame_;
    HWND lastFocus_ = nullptr;
    bool created_ = false;  // every control is there
    // The controls without behaviour of their own: pages, panels, buttons
    // and the status bar.
    std::map<ControlId, Window> plain_;
};

}  // namespace carrow
