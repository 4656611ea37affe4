#include "line_view.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

#include "base/colour_ref.h"
#include "base/guarded.h"
#include "base/handles.h"
#include "skin_paint.h"
#include "skinned.h"

namespace carrow::skin {
namespace {

// A zero byte is drawn and handed out as this visible sign.
constexpr wchar_t kZeroStandIn = L'\u2400';
// Left of the text, as in a text box.
constexpr int kMargin = 3;
// No more of one line is drawn or hit-tested than this.
constexpr std::size_t kDrawnBytes = 64 * 1024;
constexpr UINT_PTR kCopyCommand = 1;
constexpr UINT_PTR kSelectAllCommand = 2;

std::wstring Decode(std::string_view bytes, UINT codePage) {
    const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    if (size == 0) return {};
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    std::replace(text.begin(), text.end(), L'\0', kZeroStandIn);
    return text;
}

std::size_t DecodedLength(std::string_view bytes, UINT codePage) {
    const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    return size == 0 ? 0 : static_cast<std::size_t>(std::max(MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0), 0));
}

bool SingleByte(UINT codePage) {
    CPINFO info{};
    return GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
}

int Extent(HDC dc, const std::wstring& text, std::size_t count) {
    if (count == 0) return 0;
    return LOWORD(GetTabbedTextExtentW(dc, text.c_str(), static_cast<int>(count), 0, nullptr));
}

bool KeyDown(int key) { return GetKeyState(key) < 0; }

// The state of one view window, made at WM_NCCREATE and gone with the window.
class View {
public:
    explicit View(HWND hwnd) : hwnd_(hwnd) {}
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    std::size_t PageLines() const;
    std::size_t Count() const { return lines_.LineCount(); }
    void ScrollTo(std::int64_t top);
    void ScrollBy(std::int64_t lines) { ScrollTo(static_cast<std::int64_t>(top_) + lines); }
    void ScrollAcross(int pixels);
    void UpdateScrollBar() const;
    std::wstring LineText(std::size_t line, bool whole = false) const;
    TextPlace PlaceAt(POINT point) const;
    std::wstring Selection() const;

    void OnCreate(const CREATESTRUCTW& create);
    void OnSetFont(HFONT font, bool redraw);
    void OnSetText(const wchar_t* text);
    void OnNewText(const LineViewText& text, bool append);
    void OnPaint(HDC dc, const RECT& client) const;
    void PaintLine(HDC dc, std::size_t line, int y) const;
    void OnVScroll(int request);
    void OnWheel(int delta);
    void OnKeyDown(WPARAM key);
    void OnMouse(UINT message, POINT point);
    void OnContextMenu(POINT screen);
    void Copy() const;
    void SelectAll();
    LRESULT OnGetText(std::size_t room, wchar_t* buffer) const;
    LRESULT OnGetTextLength() const;
    LRESULT OnGetLine(std::size_t line, wchar_t* buffer) const;

    HWND hwnd_;
    LineStore lines_;
    UINT codePage_ = CP_UTF8;
    HFONT font_ = nullptr;
    int lineHeight_ = 13;
    int charWidth_ = 6;
    std::size_t top_ = 0;
    int across_ = 0;  // pixels the text is scrolled to the left
    int wheel_ = 0;   // wheel turns not yet a whole line
    TextPlace anchor_, caret_;
    bool selecting_ = false;
};

std::size_t View::PageLines() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return static_cast<std::size_t>(std::max<LONG>(client.bottom / lineHeight_, 1));
}

void View::ScrollTo(std::int64_t top) {
    const std::size_t clamped = ClampTopLine(top, Count());
    if (clamped == top_) return;
    top_ = clamped;
    UpdateScrollBar();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void View::ScrollAcross(int pixels) {
    const int across = std::clamp(across_ + pixels, 0, SHRT_MAX);
    if (across == across_) return;
    across_ = across;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// The thumb reaches down to the last line at the top, as far as the view goes.
void View::UpdateScrollBar() const {
    const auto page = static_cast<int>(std::min<std::size_t>(PageLines(), INT_MAX / 2));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = static_cast<int>(std::min<std::size_t>(Count() - 1, INT_MAX / 2)) + page - 1;
    info.nPage = static_cast<UINT>(page);
    info.nPos = static_cast<int>(std::min<std::size_t>(top_, INT_MAX / 2));
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
}

std::wstring View::LineText(std::size_t line, bool whole) const {
    const std::string_view bytes = lines_.Line(line);
    return Decode(whole ? bytes : bytes.substr(0, kDrawnBytes), codePage_);
}

TextPlace View::PlaceAt(POINT point) const {
    const std::int64_t row = point.y < 0 ? -1 : point.y / lineHeight_;
    const std::size_t line = ClampTopLine(static_cast<std::int64_t>(top_) + row, Count());
    const std::wstring text = LineText(line);
    const WindowDc dc(hwnd_, WindowDc::Client);
    if (!dc.Get()) return {line, 0};
    const Selected font(dc.Get(), font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    const int x = point.x - kMargin + across_;
    // The first column whose left edge lies at or right of x, or the one before
    // when that edge is nearer.
    std::size_t low = 0, high = text.size();
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (Extent(dc.Get(), text, middle) < x) low = middle + 1; else high = middle;
    }
    if (low > 0 && x - Extent(dc.Get(), text, low - 1) < Extent(dc.Get(), text, low) - x) --low;
    return {line, low};
}

// The selected text; a selection that goes on past a line takes its break.
std::wstring View::Selection() const {
    const TextRange range = Ordered(anchor_, caret_);
    std::wstring out;
    for (std::size_t line = range.from.line; !range.Empty() && line <= range.to.line && line < Count(); ++line) {
        const std::wstring text = LineText(line, true);
        const ColumnSpan span = SpanOnLine(range, line, text.size());
        out.append(text, span.from, std::min(span.to, text.size()) - span.from);
        if (span.to > text.size()) out += L"\r\n";
    }
    return out;
}

void View::OnCreate(const CREATESTRUCTW& create) {
    OnSetText(create.lpszName ? create.lpszName : L"");
}

void View::OnSetFont(HFONT font, bool redraw) {
    font_ = font;
    const WindowDc dc(hwnd_, WindowDc::Client);
    TEXTMETRICW metrics{};
    if (dc.Get()) {
        const Selected selected(dc.Get(), font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        if (GetTextMetricsW(dc.Get(), &metrics)) {
            lineHeight_ = std::max<int>(metrics.tmHeight, 1);
            charWidth_ = std::max<int>(metrics.tmAveCharWidth, 1);
        }
    }
    UpdateScrollBar();
    if (redraw) InvalidateRect(hwnd_, nullptr, FALSE);
}

// Text set as a window's text is kept as UTF-8.
void View::OnSetText(const wchar_t* text) {
    const int length = lstrlenW(text);
    std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr)), '\0');
    if (!bytes.empty()) WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    LineStore lines;
    lines.Append(bytes);
    OnNewText({&lines, 0, CP_UTF8}, false);
}

void View::OnNewText(const LineViewText& text, bool append) {
    if (append) {
        lines_.Append(std::move(*text.lines));
    } else {
        lines_ = std::move(*text.lines);
        codePage_ = text.codePage;
        anchor_ = caret_ = {};
        across_ = 0;
    }
    top_ = ClampTopLine(static_cast<std::int64_t>(text.topLine), Count());
    UpdateScrollBar();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void View::OnPaint(HDC dc, const RECT& client) const {
    const SkinState* skin = SkinIfAny(hwnd_);
    FillSolid(dc, client, skin ? skin->background : SystemColour(COLOR_WINDOW));
    const Selected font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t row = 0; top_ + row < Count() && static_cast<int>(row) * lineHeight_ < client.bottom; ++row) {
        PaintLine(dc, top_ + row, static_cast<int>(row) * lineHeight_);
    }
}

// The line in the text colour; its selected part on the skin's accent.
void View::PaintLine(HDC dc, std::size_t line, int y) const {
    const SkinState* skin = SkinIfAny(hwnd_);
    const std::wstring text = LineText(line);
    const int x = kMargin - across_;
    const int length = static_cast<int>(text.size());
    SetTextColor(dc, ToColorRef(skin ? skin->text : SystemColour(COLOR_WINDOWTEXT)));
    TabbedTextOutW(dc, x, y, text.c_str(), length, 0, nullptr, x);
    const ColumnSpan span = SpanOnLine(Ordered(anchor_, caret_), line, text.size());
    if (span.to <= span.from) return;
    const int left = x + Extent(dc, text, span.from);
    const int right = x + Extent(dc, text, std::min(span.to, text.size())) + (span.to > text.size() ? charWidth_ : 0);
    const RECT area{left, y, right, y + lineHeight_};
    FillSolid(dc, area, skin ? skin->section->accent : SystemColour(COLOR_HIGHLIGHT));
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    SetTextColor(dc, ToColorRef(skin ? skin->section->accentText : SystemColour(COLOR_HIGHLIGHTTEXT)));
    TabbedTextOutW(dc, x, y, text.c_str(), length, 0, nullptr, x);
    RestoreDC(dc, saved);
}

void View::OnVScroll(int request) {
    const auto page = static_cast<std::int64_t>(PageLines());
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    switch (request) {
        case SB_LINEUP: ScrollBy(-1); return;
        case SB_LINEDOWN: ScrollBy(1); return;
        case SB_PAGEUP: ScrollBy(-page); return;
        case SB_PAGEDOWN: ScrollBy(page); return;
        case SB_TOP: ScrollTo(0); return;
        case SB_BOTTOM: ScrollTo(static_cast<std::int64_t>(Count()) - page); return;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            if (GetScrollInfo(hwnd_, SB_VERT, &info)) ScrollTo(info.nTrackPos);
            return;
    }
}

void View::OnWheel(int delta) {
    UINT perNotch = 3;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0)) perNotch = 3;
    if (perNotch == WHEEL_PAGESCROLL) perNotch = static_cast<UINT>(PageLines());
    const int step = std::max(WHEEL_DELTA / static_cast<int>(std::clamp<UINT>(perNotch, 1, WHEEL_DELTA)), 1);
    wheel_ += delta;
    const int lines = wheel_ / step;
    wheel_ -= lines * step;
    ScrollBy(-lines);
}

void View::OnKeyDown(WPARAM key) {
    const bool control = KeyDown(VK_CONTROL);
    const auto page = static_cast<std::int64_t>(PageLines());
    switch (key) {
        case VK_UP: ScrollBy(-1); return;
        case VK_DOWN: ScrollBy(1); return;
        case VK_PRIOR: ScrollBy(-page); return;
        case VK_NEXT: ScrollBy(page); return;
        case VK_LEFT: ScrollAcross(-8 * charWidth_); return;
        case VK_RIGHT: ScrollAcross(8 * charWidth_); return;
        case VK_HOME:
            if (control) ScrollTo(0);
            ScrollAcross(-across_);
            return;
        case VK_END:
            if (control) ScrollTo(static_cast<std::int64_t>(Count()) - page);
            return;
        case 'A':
            if (control) SelectAll();
            return;
        case 'C':
        case VK_INSERT:
            if (control) Copy();
            return;
    }
}

void View::OnMouse(UINT message, POINT point) {
    if (message == WM_LBUTTONDOWN) {
        SetFocus(hwnd_);
        SetCapture(hwnd_);
        selecting_ = true;
        anchor_ = caret_ = PlaceAt(point);
    } else if (message == WM_LBUTTONUP) {
        selecting_ = false;
        ReleaseCapture();
        return;
    }
    if (!selecting_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    // Dragging past the top or bottom edge scrolls the text along.
    if (point.y < 0) ScrollBy(-1);
    if (point.y >= client.bottom) ScrollBy(1);
    caret_ = PlaceAt(point);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void View::OnContextMenu(POINT screen) {
    const HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const bool selected = !Ordered(anchor_, caret_).Empty();
    if (!AppendMenuW(menu, MF_STRING | (selected ? 0 : MF_GRAYED), kCopyCommand, L"Копировать\tCtrl+C") ||
        !AppendMenuW(menu, MF_STRING, kSelectAllCommand, L"Выделить всё\tCtrl+A")) {
        DestroyMenu(menu);  // no menu rather than half of one
        return;
    }
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard: at the view's corner
        screen = {0, 0};
        ClientToScreen(hwnd_, &screen);
    }
    const auto chosen = static_cast<UINT_PTR>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (chosen == kCopyCommand) Copy();
    if (chosen == kSelectAllCommand) SelectAll();
}

// The clipboard takes the selection as Unicode text; when it cannot (held by
// another program, no memory) the view beeps.
void View::Copy() const {
    const std::wstring text = Selection();
    if (text.empty()) return;
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    void* data = memory ? GlobalLock(memory) : nullptr;
    bool done = false;
    if (data) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(data));
        GlobalUnlock(memory);
        if (OpenClipboard(hwnd_)) {
            done = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
            CloseClipboard();
        }
    }
    if (!done) {
        if (memory) GlobalFree(memory);
        MessageBeep(MB_OK);
    }
}

void View::SelectAll() {
    anchor_ = {};
    caret_ = {Count() - 1, SIZE_MAX};
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// The whole text, lines joined by CR LF, as much as the buffer holds.
LRESULT View::OnGetText(std::size_t room, wchar_t* buffer) const {
    if (room == 0 || !buffer) return 0;
    std::size_t put = 0;
    for (std::size_t line = 0; line < Count() && put + 1 < room; ++line) {
        std::wstring text = LineText(line, true);
        if (line + 1 < Count()) text += L"\r\n";
        const std::size_t take = std::min(text.size(), room - 1 - put);
        std::copy_n(text.c_str(), take, buffer + put);
        put += take;
    }
    buffer[put] = L'\0';
    return static_cast<LRESULT>(put);
}

LRESULT View::OnGetTextLength() const {
    if (SingleByte(codePage_)) return static_cast<LRESULT>(lines_.Size());
    std::size_t length = 2 * (Count() - 1);
    for (std::size_t line = 0; line < Count(); ++line) length += DecodedLength(lines_.Line(line), codePage_);
    return static_cast<LRESULT>(length);
}

// As a text box answers: the buffer's first word says how many characters it
// holds; the line is not ended with a zero.
LRESULT View::OnGetLine(std::size_t line, wchar_t* buffer) const {
    if (!buffer || line >= Count()) return 0;
    const std::size_t room = *reinterpret_cast<const WORD*>(buffer);
    const std::wstring text = LineText(line, true);
    const std::size_t take = std::min(text.size(), room);
    std::copy_n(text.c_str(), take, buffer);
    return static_cast<LRESULT>(take);
}

LRESULT View::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_CREATE: OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam)); return 0;
        case WM_SETFONT: OnSetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
        case WM_SIZE: UpdateScrollBar(); return 0;
        case WM_ERASEBKGND: return TRUE;
        case WM_PAINT: {
            const PaintScope painting(hwnd_);
            RECT client{};
            GetClientRect(hwnd_, &client);
            const BufferedPaint buffer(painting.Dc(), client);
            OnPaint(buffer.Dc(), client);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(hwnd_, &client);
            OnPaint(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        case WM_VSCROLL: OnVScroll(LOWORD(wParam)); return 0;
        case WM_MOUSEWHEEL: OnWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
        case WM_KEYDOWN: OnKeyDown(wParam); return 0;
        case WM_CHAR: return 0;  // read-only: typing changes nothing
        case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: OnMouse(message, point); return 0;
        case WM_CAPTURECHANGED: selecting_ = false; return 0;
        case WM_CONTEXTMENU: OnContextMenu(point); return 0;
        case WM_COPY: Copy(); return 0;
        case WM_SETTEXT: OnSetText(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L""); return TRUE;
        case WM_GETTEXT: return OnGetText(wParam, reinterpret_cast<wchar_t*>(lParam));
        case WM_GETTEXTLENGTH: return OnGetTextLength();
        case EM_GETLINECOUNT: return static_cast<LRESULT>(Count());
        case EM_GETFIRSTVISIBLELINE: return static_cast<LRESULT>(top_);
        case EM_LINESCROLL: ScrollBy(static_cast<int>(lParam)); return TRUE;
        case EM_GETLINE: return OnGetLine(wParam, reinterpret_cast<wchar_t*>(lParam));
        case kLineViewSetText:
        case kLineViewAppendText:
            OnNewText(*reinterpret_cast<const LineViewText*>(lParam), message == kLineViewAppendText);
            return 0;
        case kLineViewLines: return reinterpret_cast<LRESULT>(&lines_);
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        auto made = std::make_unique<View>(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made.get()));
        view = made.release();  // the window's now: it goes at WM_NCDESTROY
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete view;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (!view) return DefWindowProcW(hwnd, message, wParam, lParam);
    return view->OnMessage(message, wParam, lParam);
}

void RegisterViewClass() {
    RegisterControlClass(kLineViewClass, GuardedWindowProc<ViewProc>, IDC_IBEAM);
}

}  // namespace

void LineView::Create(const ChildArgs& args) {
    RegisterViewClass();
    Window::Create(kLineViewClass, WS_VSCROLL | WS_BORDER, 0, args);
}

}  // namespace carrow::skin
