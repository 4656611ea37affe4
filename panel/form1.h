// Form1, the main window: the tab control with its four pages, the status
// bar, the log refresh timer and the event handlers.  The controls are built
// from the layout table (form1_layout.h); the events are routed to the
// handlers in form1_handlers.cpp, each through the error report.
#pragma once

#include <windows.h>

#include <map>

#include "file_browser.h"
#include "form1_layout.h"
#include "base/handles.h"
#include "editors.h"
#include "log_view.h"
#include "skin/colour_box.h"
#include "skin/controls.h"
#include "skin/frame_window.h"
#include "text_files.h"
#include "timer.h"

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

    // Controls, by the layout's names.
    skin::TabControl sPageControl1;
    skin::StatusBar sStatusBar1;
    skin::Container sTabSheet1, sTabSheet2, sTabSheet4, sTabSheet5;
    skin::Container sPanel1, sPanel2, sPanel3, sPanel4;
    skin::Memo sMemo1, sMemo2, sMemo3;
    skin::ComboBox sColorBox1;
    FileBrowser sShellListView1;  // the folder list of the file browser page
    skin::Button sButton1, sButton2, sButton3, sButton4, sButton5, sButton6, sButton7, sButton8, sButton9,
        sButton11;
    Timer Timer1;

    // What the text boxes and the chooser show: the log view, the two
    // editors with what they loaded, and the colour list.
    LogView logView;
    Editor banList{kBanListFile}, config{kConfigFile};
    ColourBox colourBox;

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
    void CreateControl(const ControlLayout& layout);
    skin::Control& ControlById(ControlId id) const;
    template <class Kind>
    Kind& As(ControlId id) const {
        return dynamic_cast<Kind&>(ControlById(id));
    }
    void Arrange() const;
    void ShowPage(int index);
    void SelectNextPage(bool backwards);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    int dpi_ = kDesignDpi;
    Font font_;
    skin::SkinnedFrame frame_;
    HWND lastFocus_ = nullptr;
    std::map<ControlId, skin::Control*> controls_;
};

}  // namespace carrow
