#include "window/form1.h"

#include <commctrl.h>

#include "base/failure.h"
#include "base/guarded.h"
#include "base/reflect.h"
#include "base/system_error.h"
#include "skin/skin_paint.h"
#include "skin/skinned.h"
#include "skin/widgets.h"
#include "window/error_report.h"

namespace carrow {
namespace {

constexpr UINT_PTR kTimer1Id = 1;
constexpr UINT kTimer1Period = 2000;
constexpr int kIconResource = 1;

constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

struct CommandBinding {
    ControlId id;
    int code;
    void (TForm1::*handler)();
};

// Which handler runs for which control's event.
constexpr CommandBinding kCommands[] = {
    {kButton1, BN_CLICKED, &TForm1::sButton1Click},
    {kButton2, BN_CLICKED, &TForm1::sButton2Click},
    {kButton3, BN_CLICKED, &TForm1::sButton3Click},
    {kColorBox1, CBN_SELCHANGE, &TForm1::sColorBox1Click},
    {kButton4, BN_CLICKED, &TForm1::sButton4Click},
    {kButton5, BN_CLICKED, &TForm1::sButton5Click},
    {kButton6, BN_CLICKED, &TForm1::sButton6Click},
    {kButton7, BN_CLICKED, &TForm1::sButton7Click},
    {kButton8, BN_CLICKED, &TForm1::sButton8Click},
    {kButton9, BN_CLICKED, &TForm1::sButton9Click},
    {kButton11, BN_CLICKED, &TForm1::sButton11Click},
};

constexpr ControlId kPages[] = {kTabSheet1, kTabSheet2, kTabSheet4, kTabSheet5};

int DisplayDpi() {
    const WindowDc screen(nullptr, WindowDc::Client);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : kDesignDpi;
    return dpi > 0 ? dpi : kDesignDpi;
}

// The window font at dpi: Tahoma with a character height of 11 pixels at 96.
Font WindowFont(int dpi) {
    HFONT font = CreateFontW(-ScaleToDpi(11, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    if (!font) Fail(L"Cannot create the window font");
    return Font(font);
}

// The program's icon at the system's size for large or small icons.
HICON ProgramIcon(HINSTANCE instance, bool small) {
    const int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    auto* icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, LR_SHARED));
    return icon ? icon : LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
}

bool IsInside(HWND window, HWND container) { return window && (window == container || IsChild(container, window)); }

}  // namespace

TForm1::TForm1(HINSTANCE instance) : Timer1(kTimer1Id, kTimer1Period), instance_(instance) {}

HWND TForm1::HandleOf(ControlId id) const {
    switch (id) {
        case kPageControl1: return sPageControl1.Handle();
        case kMemo1: return logView.Handle();
        case kMemo2: return banList.view.Handle();
        case kMemo3: return config.view.Handle();
        case kColorBox1: return colourBox.Control().Handle();
        case kShellListView1: return sShellListView1.View().Handle();
        default: return plain_.at(id).Handle();
    }
}

void TForm1::RegisterWindowClass() const {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = GuardedWindowProc<WindowProc>;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = ProgramIcon(instance_, false);
    wc.hIconSm = ProgramIcon(instance_, true);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) Fail(L"Cannot register the window class: " + SystemErrorText(GetLastError()));
}

void TForm1::CreateWindowFrame() {
    const int width = ScaleToDpi(kFormClientWidth, dpi_);
    const int height = ScaleToDpi(kFormClientHeight, dpi_);
    const skin::Frame& skinFrame = skin::CurrentSkin().frame;
    // The skin's frame, not the system's, decides the window size.
    const skin::Size size = skin::WindowSizeFor(skinFrame.metrics, dpi_, {width, height});
    // The system chooses the position; only the size comes from the layout.
    hwnd_ = CreateWindowExW(kFrameExStyle, kClassName, kCaption, kFrameStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            size.width, size.height, nullptr, nullptr, instance_, this);
    if (!hwnd_) Fail(L"Cannot create the main window: " + SystemErrorText(GetLastError()));
    frame_.Attach(hwnd_, skinFrame, dpi_, font_.Get(), {width, height});
    FitClientArea(width, height);
    Timer1.Attach(hwnd_);
    // The icons also as the window's own, so that the task bar and anyone
    // asking with WM_GETICON get them.
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(instance_, false)));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(instance_, true)));
}

// Where the frame turned out other than predicted, corrects it so that the
// client area has exactly the layout's size.
void TForm1::FitClientArea(int width, int height) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT window;
    GetWindowRect(hwnd_, &window);
    const int dx = width - client.right;
    const int dy = height - client.bottom;
    if (!dx && !dy) return;
    if (!SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + dx, window.bottom - window.top + dy,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        Fail(L"Cannot size the main window: " + SystemErrorText(GetLastError()));
    }
}

void TForm1::Create() {
    dpi_ = DisplayDpi();
    font_ = WindowFont(dpi_);
    RegisterWindowClass();
    CreateWindowFrame();
    for (const ControlLayout* layout : CreationOrder()) CreateControl(*layout);
    created_ = true;
    ShowPage(0);
    Arrange();
}

// Each control is made plainly, then given its skin.
void TForm1::CreateControl(const ControlLayout& layout) {
    const HWND parent = layout.parent == kForm ? hwnd_ : HandleOf(layout.parent);
    const Rect place = layout.kind == ControlKind::TabSheet
                           ? PageArea(ScaleToDpi(LayoutOf(kPageControl1).design.width, dpi_),
                                      ScaleToDpi(LayoutOf(kPageControl1).design.height, dpi_), dpi_)
                           : ScaleRect(layout.design, dpi_);
    CreateOfKind(layout, {parent, layout.id, place, layout.text, font_.Get(), layout.tabStop});
    skin::Attach(Window(HandleOf(layout.id)), dpi_);
}

void TForm1::CreateOfKind(const ControlLayout& layout, const ChildArgs& args) {
    using enum ControlKind;
    switch (layout.kind) {
        case TabControl: sPageControl1 = skin::CreateTabStrip(args, dpi_); return;
        case StatusBar: plain_[layout.id] = skin::CreateStatusBar(args); return;
        case TabSheet:
            plain_[layout.id] = skin::CreateContainer(args, skin::ContainerKind::Page);
            sPageControl1.AddTab(layout.text);
            return;
        case Panel: plain_[layout.id] = skin::CreateContainer(args, skin::ContainerKind::Panel); return;
        case Button: plain_[layout.id] = skin::CreateButton(args); return;
        case ColourBox: colourBox.Attach(skin::CreateDropDownList(args, dpi_).Handle(), skin::CurrentSkin()); return;
        case ShellListView: sShellListView1.Create(args); return;
        case Memo: break;
    }
    if (layout.id == kMemo1) {
        skin::LineView view;
        view.Create(args);
        logView.Attach(view, [] { ReportCurrentFailure(); });
        return;
    }
    const Edit memo = skin::CreateMemo(args, {(layout.options & kVerticalScrollBar) != 0,
                                              (layout.options & kWordWrap) != 0});
    if (layout.id == kMemo2) banList.view.Attach(memo);
    if (layout.id == kMemo3) config.view.Attach(memo);
}

void TForm1::Arrange() const {
    RECT client;
    GetClientRect(hwnd_, &client);
    for (const Placement& placement : ArrangeForm(client.right, client.bottom, dpi_)) {
        if (placement.id == kColorBox1) {
            skin::PlaceDropDownList(colourBox.Control(), placement.rect);
        } else {
            Window(HandleOf(placement.id)).Place(placement.rect);
        }
    }
}

void TForm1::ShowPage(int index) {
    for (int i = 0; i < static_cast<int>(std::size(kPages)); ++i) {
        if (i != index) plain_.at(kPages[i]).Show(false);
    }
    plain_.at(kPages[index]).Show(true);
    sPageControl1.Select(index);
    // The focus never stays on a page that is no longer shown.
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus) && !IsWindowVisible(focus)) SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
}

void TForm1::SelectNextPage(bool backwards) {
    const int count = static_cast<int>(std::size(kPages));
    ShowPage((sPageControl1.Selected() + (backwards ? count - 1 : 1)) % count);
}

void TForm1::Show(int showCommand) {
    RunHandler([this] { FormShow(); });
    // A maximised start is honoured although the frame has no maximise box.
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
}

bool TForm1::PreTranslate(MSG& message) {
    if (!IsInside(message.hwnd, hwnd_)) return false;
    if (message.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000)) {
        // Ctrl+Tab and Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp turn the pages.
        const bool shift = GetKeyState(VK_SHIFT) & 0x8000;
        if (message.wParam == VK_TAB || message.wParam == VK_NEXT || message.wParam == VK_PRIOR) {
            SelectNextPage(message.wParam == VK_PRIOR || (message.wParam == VK_TAB && shift));
            return true;
        }
    }
    return IsDialogMessageW(hwnd_, &message);
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TForm1* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<TForm1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT reflected = 0;
    switch (message) {
        case WM_SIZE:
            if (!created_) return 0;
            if (wParam != SIZE_MINIMIZED) Arrange();
            plain_.at(kStatusBar1).Invalidate();  // the size grip comes and goes
            return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(wParam, lParam);
        case WM_TIMER:
            if (wParam == Timer1.Id()) RunHandler([this] { Timer1Timer(); });
            return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        case WM_ACTIVATE: OnActivate(wParam); return 0;
        case WM_ERASEBKGND: OnEraseBackground(reinterpret_cast<HDC>(wParam)); return TRUE;
    }
    if (ReflectToChild(hwnd_, message, wParam, lParam, reflected)) return reflected;
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TForm1::OnCommand(int id, int code) {
    for (const auto& binding : kCommands) {
        if (binding.id == id && binding.code == code) {
            RunHandler([this, &binding] { (this->*binding.handler)(); });
            return;
        }
    }
}

LRESULT TForm1::OnNotify(WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom == sPageControl1.Handle() && header->code == TCN_SELCHANGE) {
        ShowPage(sPageControl1.Selected());
        return 0;
    }
    LRESULT reflected = 0;
    ReflectToChild(hwnd_, WM_NOTIFY, wParam, lParam, reflected);
    return reflected;
}

void TForm1::OnClose() {
    RunHandler([this] { FormClose(); });
    DestroyWindow(hwnd_);
}

// The focused control is kept while the window is inactive and given back
// when it is activated again.
void TForm1::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    const bool usable = lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_);
    SetFocus(usable ? lastFocus_ : GetNextDlgTabItem(hwnd_, nullptr, FALSE));
}

void TForm1::OnEraseBackground(HDC dc) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    const auto& form = skin::SectionNamed(skin::CurrentSkin(), skin::SectionNameOf(skin::Part::Form));
    skin::FillSolid(dc, client, form.background);
}

}  // namespace carrow
