#include "frame_window.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/failure.h"
#include "base/guarded.h"
#include "base/handles.h"
#include "base/system_error.h"
#include "base/window_text.h"
#include "skin_paint.h"

namespace carrow::skin {
namespace {

constexpr UINT_PTR kFrameSubclassId = 0x4652;

// Sent by a themed system to draw its own caption and frame; answering them
// keeps that drawing away from ours.
constexpr UINT kThemeDrawCaption = 0x00AE;
constexpr UINT kThemeDrawFrame = 0x00AF;

LRESULT HitCodeOf(FrameHit hit) {
    switch (hit) {
        case FrameHit::Outside: return HTNOWHERE;
        case FrameHit::Client: return HTCLIENT;
        case FrameHit::Caption: return HTCAPTION;
        case FrameHit::Icon: return HTSYSMENU;
        case FrameHit::Minimise: return HTMINBUTTON;
        case FrameHit::Close: return HTCLOSE;
        case FrameHit::Border: return HTBORDER;
        case FrameHit::Left: return HTLEFT;
        case FrameHit::Right: return HTRIGHT;
        case FrameHit::Top: return HTTOP;
        case FrameHit::Bottom: return HTBOTTOM;
        case FrameHit::TopLeft: return HTTOPLEFT;
        case FrameHit::TopRight: return HTTOPRIGHT;
        case FrameHit::BottomLeft: return HTBOTTOMLEFT;
        case FrameHit::BottomRight: return HTBOTTOMRIGHT;
    }
    return HTNOWHERE;
}

// Where the desktop composes window frames itself, it is told not to, so
// that the frame drawn here is the one that shows.
void KeepCompositorFrameOff(HWND hwnd) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring path = std::wstring(folder, length) + L"\\dwmapi.dll";
    HMODULE dwm = LoadLibraryW(path.c_str());
    if (!dwm) return;
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    if (auto set = reinterpret_cast<SetAttribute>(
            reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))) {
        const DWMNCRENDERINGPOLICY policy = DWMNCRP_DISABLED;
        set(hwnd, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy);
    }
    FreeLibrary(dwm);
}

Font BoldFaceOf(HFONT font) {
    LOGFONTW face = {};
    if (!GetObjectW(font, sizeof face, &face)) Fail(L"Cannot read the window font");
    face.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&face);
    if (!bold) Fail(L"Cannot create the caption font");
    return Font(bold);
}

HICON SmallIconOf(HWND hwnd) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    return icon;
}

}  // namespace

void SkinnedFrame::Attach(HWND hwnd, const Frame& frame, int dpi, HFONT font, Size client) {
    hwnd_ = hwnd;
    frame_ = &frame;
    dpi_ = dpi;
    captionFont_ = BoldFaceOf(font);
    active_ = GetActiveWindow() == hwnd;
    KeepCompositorFrameOff(hwnd);
    if (!SetWindowSubclass(hwnd, GuardedSubclassProc<Procedure>, kFrameSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        Fail(L"Cannot attach the skin to the window frame");
    }
    const Size window = WindowSizeFor(frame.metrics, dpi, client);
    // The frame changes its thickness: the system asks WM_NCCALCSIZE again.
    if (!SetWindowPos(hwnd, nullptr, 0, 0, window.width, window.height,
                      SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        Fail(L"Cannot size the window to its frame: " + SystemErrorText(GetLastError()));
    }
}

LRESULT CALLBACK SkinnedFrame::Procedure(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    return reinterpret_cast<SkinnedFrame*>(data)->Handle(message, wParam, lParam);
}

FrameLayout SkinnedFrame::Layout(Size* window) const {
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    const Size size = {rect.right - rect.left, rect.bottom - rect.top};
    if (window) *window = size;
    return LayOutFrame(frame_->metrics, dpi_, size);
}

POINT SkinnedFrame::ScreenPointOf(LPARAM lParam) const {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd_, &point);
    return point;
}

FrameHit SkinnedFrame::HitAt(POINT screen) const {
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    Size window;
    const FrameLayout layout = Layout(&window);
    const bool sizeable = !IsZoomed(hwnd_) && !IsIconic(hwnd_) && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_THICKFRAME);
    return HitTestFrame(frame_->metrics, dpi_, layout, window, screen.x - rect.left, screen.y - rect.top, sizeable);
}

State SkinnedFrame::LookOf(Button button) const {
    if (pressed_ == button) return pressedOver_ ? State::Pressed : State::Normal;
    if (pressed_ == Button::None && hot_ == button) return State::Hot;
    return State::Normal;
}

void SkinnedFrame::Paint() const {
    if (!IsWindowVisible(hwnd_)) return;
    Size window;
    const FrameLayout layout = Layout(&window);
    const WindowDc dc(hwnd_);
    if (!dc.Get()) return;
    // The client area is its own to draw.
    ExcludeClipRect(dc.Get(), layout.client.left, layout.client.top, layout.client.left + layout.client.width,
                    layout.client.top + layout.client.height);
    const BufferedPaint buffer(dc.Get(), {0, 0, window.width, window.height});
    PaintFrame(buffer.Dc(), layout, window, *frame_, {active_, LookOf(Button::Minimise), LookOf(Button::Close)},
               SmallIconOf(hwnd_), WindowText(hwnd_), captionFont_.Get(), dpi_);
}

void SkinnedFrame::SetHot(Button button) {
    if (hot_ == button) return;
    hot_ = button;
    Paint();
}

void SkinnedFrame::Press(Button button) {
    pressed_ = button;
    pressedOver_ = true;
    SetCapture(hwnd_);
    Paint();
}

// The button acts when the mouse is let go over the one it went down on.
LRESULT SkinnedFrame::Release(POINT screen) {
    const Button button = pressed_;
    const FrameHit hit = HitAt(screen);
    const bool over = (button == Button::Minimise && hit == FrameHit::Minimise) ||
                      (button == Button::Close && hit == FrameHit::Close);
    pressed_ = Button::None;
    ReleaseCapture();
    Paint();
    // Posted: closing destroys the window, which must not happen under this
    // message.
    if (over && !PostMessageW(hwnd_, WM_SYSCOMMAND, button == Button::Close ? SC_CLOSE : SC_MINIMIZE,
                              MAKELPARAM(screen.x, screen.y))) {
        Fail(L"Cannot send the window command: " + SystemErrorText(GetLastError()));
    }
    return 0;
}

void SkinnedFrame::RedrawFrame() const {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

// Maximised, the border lies just outside the work area, as the system
// would place its own; sized, the caption keeps room for its parts.
void SkinnedFrame::AdjustMaximised(MINMAXINFO& info) const {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const FrameInsets insets = InsetsAt(frame_->metrics, dpi_);
    const RECT& work = monitor.rcWork;
    info.ptMaxPosition = {work.left - monitor.rcMonitor.left - insets.border,
                          work.top - monitor.rcMonitor.top - insets.border};
    info.ptMaxSize = {work.right - work.left + 2 * insets.border, work.bottom - work.top + 2 * insets.border};
    const Size least = LeastWindowSize(frame_->metrics, dpi_);
    info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, least.width);
    info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, least.height);
}

LRESULT SkinnedFrame::OnCalcSize(RECT& rect) const {
    // The first rectangle (also for wParam TRUE) is the window's; it becomes
    // the client area's.
    const FrameInsets insets = InsetsAt(frame_->metrics, dpi_);
    rect.left += insets.border;
    rect.top += insets.border + insets.caption;
    rect.right = std::max(rect.right - insets.border, rect.left);
    rect.bottom = std::max(rect.bottom - insets.border, rect.top);
    return 0;
}

void SkinnedFrame::OnMouseMoveInFrame(WPARAM hit) {
    if (!tracking_) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE | TME_NONCLIENT, hwnd_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    // Without the system's word when the mouse leaves, no button stays hot.
    SetHot(!tracking_ ? Button::None : hit == HTMINBUTTON ? Button::Minimise : hit == HTCLOSE ? Button::Close
                                                                                                 : Button::None);
}

// True when the press was the frame's own: a caption button or the icon.
bool SkinnedFrame::OnButtonDown(UINT message, WPARAM hit, LPARAM lParam) {
    if (hit == HTMINBUTTON || hit == HTCLOSE) {
        Press(hit == HTCLOSE ? Button::Close : Button::Minimise);
        return true;
    }
    if (hit == HTSYSMENU && message == WM_NCLBUTTONDOWN) {
        // The system would draw its own icon pressed; the menu is all that is
        // wanted.
        SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MOUSEMENU | HTSYSMENU, lParam);
        Paint();
        return true;
    }
    return false;
}

// While a caption button is held, the mouse is captured: true then.
bool SkinnedFrame::OnMouseMove(LPARAM lParam) {
    if (pressed_ == Button::None) return false;
    const FrameHit hit = HitAt(ScreenPointOf(lParam));
    const bool over = hit == (pressed_ == Button::Close ? FrameHit::Close : FrameHit::Minimise);
    if (over != pressedOver_) {
        pressedOver_ = over;
        Paint();
    }
    return true;
}

void SkinnedFrame::OnCaptureChanged(HWND gainer) {
    if (pressed_ == Button::None || gainer == hwnd_) return;
    pressed_ = Button::None;
    Paint();
}

bool SkinnedFrame::AfterSystem(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_NCACTIVATE:
            active_ = wParam != FALSE;
            // -1: the system keeps its bookkeeping but draws nothing.
            result = PassOn(hwnd_, message, wParam, -1);
            Paint();
            return true;
        case WM_SETTEXT:
        case WM_SETICON:  // the system draws its caption straight away for these
            result = PassOn(hwnd_, message, wParam, lParam);
            Paint();
            return true;
        case WM_SYSCOMMAND:  // the system menu's tracking may draw over the caption
            result = PassOn(hwnd_, message, wParam, lParam);
            if (((wParam & 0xFFF0) == SC_KEYMENU || (wParam & 0xFFF0) == SC_MOUSEMENU) && IsWindow(hwnd_)) Paint();
            return true;
        case WM_WINDOWPOSCHANGED:  // the buttons move with the right edge: the whole frame is drawn anew
            result = PassOn(hwnd_, message, wParam, lParam);
            if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOSIZE)) RedrawFrame();
            return true;
        case WM_GETMINMAXINFO:
            result = PassOn(hwnd_, message, wParam, lParam);
            AdjustMaximised(*reinterpret_cast<MINMAXINFO*>(lParam));
            return true;
    }
    return false;
}

LRESULT SkinnedFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (AfterSystem(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_NCCALCSIZE: return OnCalcSize(*reinterpret_cast<RECT*>(lParam));
        case WM_NCPAINT: Paint(); return 0;
        case kThemeDrawCaption:
        case kThemeDrawFrame: return 0;
        case WM_NCHITTEST: return HitCodeOf(HitAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        case WM_NCMOUSEMOVE: OnMouseMoveInFrame(wParam); break;
        case WM_NCMOUSELEAVE:
            tracking_ = false;
            SetHot(Button::None);
            break;
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            if (OnButtonDown(message, wParam, lParam)) return 0;
            break;
        case WM_MOUSEMOVE:
            if (OnMouseMove(lParam)) return 0;
            break;
        case WM_LBUTTONUP:
            if (pressed_ != Button::None) return Release(ScreenPointOf(lParam));
            break;
        case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lParam)); break;
    }
    return PassOn(hwnd_, message, wParam, lParam);
}

}  // namespace carrow::skin
