#include "skin_paint.h"

#include <uxtheme.h>

#include <algorithm>

#include "base/handles.h"
#include "base/layout.h"

namespace carrow::skin {
namespace {

TRIVERTEX Vertex(LONG x, LONG y, Colour colour) {
    const auto channel = [&](int shift) { return static_cast<COLOR16>(((colour >> shift) & 0xFF) << 8); };
    return {x, y, channel(0), channel(8), channel(16), 0};
}

void Line(HDC dc, int x1, int y1, int x2, int y2, Colour colour) {
    Pen pen(CreatePen(PS_SOLID, 1, ToColorRef(colour)));
    Selected selected(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void RoundFrame(HDC dc, const RECT& rect, Colour colour, int radius) {
    Pen pen(CreatePen(PS_SOLID, 1, ToColorRef(colour)));
    Selected selectedPen(dc, pen.Get());
    Selected selectedBrush(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 2 * radius, 2 * radius);
}

void DrawCaption(HDC dc, RECT rect, const std::wstring& caption, HFONT font, Colour colour) {
    Selected selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(colour));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

// A small downward chevron centred in rect.
void DrawArrow(HDC dc, const RECT& rect, Colour colour, int dpi) {
    const int half = std::max(ScaleToDpi(3, dpi), 2);
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2 - half / 2;
    for (int row = 0; row <= half; ++row) {
        Line(dc, cx - half + row, cy + row, cx + half - row + 1, cy + row, colour);
    }
}

RECT ToRECT(const Rect& rect) { return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height}; }

// The window's caption on the caption bar, with a shadow one pixel down and
// right that keeps it legible on the gradient.
void DrawFrameCaption(HDC dc, RECT text, const std::wstring& caption, HFONT font, const Look& look) {
    Selected selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    RECT shadow = text;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, ToColorRef(look.border));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &shadow, format);
    SetTextColor(dc, ToColorRef(look.text));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
}

enum class Sign { Minimise, Close };

// A caption button's sign, drawn pixel row by pixel row so that it stays
// crisp at every size: a bar along the bottom, or a cross.
void DrawSign(HDC dc, const RECT& button, Sign sign, Colour colour, bool pressed, int glyph, int dpi) {
    const int thickness = std::max(ScaleToDpi(2, dpi), 2);
    const int rows = glyph - thickness + 1;
    const int left = (button.left + button.right - glyph) / 2;
    const int top = (button.top + button.bottom - rows) / 2 + (pressed ? 1 : 0);
    if (sign == Sign::Minimise) {
        FillSolid(dc, {left, top + rows - thickness, left + glyph, top + rows}, colour);
        return;
    }
    for (int row = 0; row < rows; ++row) {
        FillSolid(dc, {left + row, top + row, left + row + thickness, top + row + 1}, colour);
        FillSolid(dc, {left + glyph - thickness - row, top + row, left + glyph - row, top + row + 1}, colour);
    }
}

void PaintCaptionButton(HDC dc, const Rect& place, const Look& look, Colour light, Sign sign, bool pressed,
                        int glyph, int dpi) {
    const RECT rect = ToRECT(place);
    PaintFace(dc, rect, light, look, std::max(ScaleToDpi(2, dpi), 1));
    DrawSign(dc, rect, sign, look.text, pressed, glyph, dpi);
}

}  // namespace

void FillSolid(HDC dc, const RECT& rect, Colour colour) {
    Brush brush(CreateSolidBrush(ToColorRef(colour)));
    FillRect(dc, &rect, brush.Get());
}

void FillGradient(HDC dc, const RECT& rect, Colour top, Colour bottom) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    TRIVERTEX vertices[2] = {Vertex(rect.left, rect.top, top), Vertex(rect.right, rect.bottom, bottom)};
    GRADIENT_RECT mesh = {0, 1};
    if (!GradientFill(dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V)) FillSolid(dc, rect, top);
}

void FrameRect1(HDC dc, const RECT& rect, Colour colour) {
    Brush brush(CreateSolidBrush(ToColorRef(colour)));
    FrameRect(dc, &rect, brush.Get());
}

void PaintFace(HDC dc, const RECT& rect, Colour light, const Look& look, int radius) {
    GdiObject<HRGN> clip(CreateRoundRectRgn(rect.left, rect.top, rect.right + 1, rect.bottom + 1, 2 * radius,
                                            2 * radius));
    SelectClipRgn(dc, clip.Get());
    FillGradient(dc, rect, look.top, look.bottom);
    Line(dc, rect.left + radius, rect.top + 1, rect.right - radius, rect.top + 1, light);
    SelectClipRgn(dc, nullptr);
    RoundFrame(dc, rect, look.border, radius);
}

void PaintButton(HDC dc, const RECT& rect, const Section& section, State state, bool focusRing,
                 const std::wstring& caption, HFONT font, int dpi) {
    FillSolid(dc, rect, section.background);
    const Look& look = section.LookOf(state);
    PaintFace(dc, rect, section.light, look, ScaleToDpi(section.cornerRadius, dpi));
    if (focusRing) {
        RECT ring = rect;
        InflateRect(&ring, -1, -1);
        RoundFrame(dc, ring, section.LookOf(State::Focused).border, ScaleToDpi(section.cornerRadius, dpi));
    }
    RECT text = rect;
    if (state == State::Pressed) OffsetRect(&text, 0, 1);
    DrawCaption(dc, text, caption, font, look.text);
}

void PaintTabControl(HDC dc, const RECT& client, int stripBottom, const Section& section,
                     const std::vector<TabItem>& tabs, HFONT font, int dpi) {
    FillGradient(dc, {client.left, client.top, client.right, stripBottom}, section.background,
                 section.LookOf(State::Normal).bottom);
    RECT body = {client.left, stripBottom, client.right, client.bottom};
    FillSolid(dc, body, section.LookOf(State::Pressed).bottom);
    FrameRect1(dc, body, section.LookOf(State::Normal).border);
    const int radius = ScaleToDpi(section.cornerRadius, dpi);
    for (const auto& tab : tabs) {
        RECT face = tab.rect;
        const State state = tab.selected ? State::Pressed : tab.hot ? State::Hot : State::Normal;
        const Look& look = section.LookOf(state);
        if (tab.selected) {
            InflateRect(&face, 2, 0);
            face.top -= 2;
        }
        face.bottom = stripBottom + (tab.selected ? 1 : 0);
        PaintFace(dc, {face.left, face.top, face.right, face.bottom + radius}, section.light, look, radius);
        if (tab.selected) {
            FillSolid(dc, {face.left + 1, face.top + 1, face.right - 1, face.top + 3}, section.accent);
            FillSolid(dc, {face.left + 1, stripBottom - 1, face.right - 1, stripBottom + radius + 1},
                      look.bottom);
        } else {
            Line(dc, face.left, stripBottom, face.right, stripBottom, section.LookOf(State::Normal).border);
        }
        DrawCaption(dc, {face.left, face.top + (tab.selected ? 2 : 0), face.right, stripBottom}, tab.caption,
                    font, look.text);
    }
}

void PaintPanel(HDC dc, const RECT& rect, const Section& section) {
    const Look& look = section.LookOf(State::Normal);
    FillGradient(dc, rect, look.top, look.bottom);
    Line(dc, rect.left, rect.top, rect.right, rect.top, section.light);
    Line(dc, rect.left, rect.top, rect.left, rect.bottom, section.light);
    Line(dc, rect.right - 1, rect.top, rect.right - 1, rect.bottom, look.border);
    Line(dc, rect.left, rect.bottom - 1, rect.right, rect.bottom - 1, look.border);
}

void PaintBoxFrame(HDC dc, const RECT& rect, const Section& section, State state) {
    FrameRect1(dc, rect, section.LookOf(state).border);
}

RECT PaintComboFace(HDC dc, const RECT& rect, const Section& section, State state, Colour background,
                    int dpi) {
    FillSolid(dc, rect, background);
    FrameRect1(dc, rect, section.LookOf(state).border);
    const int arrowWidth = ScaleToDpi(section.extent, dpi);
    RECT button = {rect.right - 1 - arrowWidth, rect.top + 1, rect.right - 1, rect.bottom - 1};
    const Look& look = section.LookOf(state == State::Focused ? State::Normal : state);
    FillGradient(dc, button, look.top, look.bottom);
    Line(dc, button.left, button.top, button.left, button.bottom, section.LookOf(state).border);
    DrawArrow(dc, button, state == State::Disabled ? look.text : section.accent, dpi);
    return {rect.left + 1, rect.top + 1, button.left, rect.bottom - 1};
}

void PaintStatusBar(HDC dc, const RECT& rect, const Section& section, bool sizeGrip, int dpi) {
    const Look& look = section.LookOf(State::Normal);
    FillGradient(dc, rect, look.top, look.bottom);
    Line(dc, rect.left, rect.top, rect.right, rect.top, look.border);
    Line(dc, rect.left, rect.top + 1, rect.right, rect.top + 1, section.light);
    if (!sizeGrip) return;
    // Six dots in a triangle in the bottom right corner.
    const int step = std::max(ScaleToDpi(4, dpi), 3);
    const int dot = std::max(ScaleToDpi(2, dpi), 2);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col <= row; ++col) {
            const int x = rect.right - step * (col + 1) - 1;
            const int y = rect.bottom - step * (3 - row) - 1;
            FillSolid(dc, {x + 1, y + 1, x + 1 + dot, y + 1 + dot}, section.light);
            FillSolid(dc, {x, y, x + dot, y + dot}, section.accent);
        }
    }
}

void PaintFrame(HDC dc, const FrameLayout& layout, Size window, const Frame& frame, const FrameLooks& looks,
                HICON icon, const std::wstring& caption, HFONT font, int dpi) {
    const Look& look = looks.active ? frame.active : frame.inactive;
    const RECT whole = {0, 0, window.width, window.height};
    FillSolid(dc, whole, look.bottom);
    FillGradient(dc, {0, 0, window.width, layout.caption.top + layout.caption.height}, look.top, look.bottom);
    FrameRect1(dc, whole, look.border);
    Line(dc, 1, 1, window.width - 1, 1, looks.active ? frame.light : look.top);
    // A dark line sets the client area off from the border.
    RECT client = ToRECT(layout.client);
    InflateRect(&client, 1, 1);
    FrameRect1(dc, client, look.border);

    if (icon) {
        DrawIconEx(dc, layout.icon.left, layout.icon.top, icon, layout.icon.width, layout.icon.height, 0, nullptr,
                   DI_NORMAL);
    }
    DrawFrameCaption(dc, ToRECT(layout.text), caption, font, look);

    const auto index = [](State state) {
        return state == State::Pressed ? 2u : state == State::Hot ? 1u : 0u;
    };
    const int glyph = std::max(ScaleToDpi(frame.metrics.glyph, dpi), 5);
    PaintCaptionButton(dc, layout.minimise, frame.buttons[index(looks.minimise)], frame.light, Sign::Minimise,
                       looks.minimise == State::Pressed, glyph, dpi);
    PaintCaptionButton(dc, layout.close, frame.closeButton[index(looks.close)], frame.light, Sign::Close,
                       looks.close == State::Pressed, glyph, dpi);
}

BufferedPaint::BufferedPaint(HDC target, const RECT& rect) : dc_(target) {
    HDC buffered = nullptr;
    buffer_ = BeginBufferedPaint(target, &rect, BPBF_COMPATIBLEBITMAP, nullptr, &buffered);
    if (buffer_) dc_ = buffered;
}

BufferedPaint::~BufferedPaint() {
    if (buffer_) EndBufferedPaint(buffer_, TRUE);
}

}  // namespace carrow::skin
