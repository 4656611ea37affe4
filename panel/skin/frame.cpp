#include "frame.h"

#include <algorithm>

namespace carrow::skin {
namespace {

// Scaled, but never thinner than a pixel where the skin asks for one.
int Scaled(int design, int dpi) { return design > 0 ? std::max(ScaleToDpi(design, dpi), 1) : 0; }

bool Contains(const Rect& rect, int x, int y) {
    return x >= rect.left && x < rect.left + rect.width && y >= rect.top && y < rect.top + rect.height;
}

}  // namespace

FrameInsets InsetsAt(const FrameMetrics& metrics, int dpi) {
    return {Scaled(metrics.border, dpi), Scaled(metrics.caption, dpi)};
}

Size WindowSizeFor(const FrameMetrics& metrics, int dpi, Size client) {
    const FrameInsets insets = InsetsAt(metrics, dpi);
    return {client.width + 2 * insets.border, client.height + 2 * insets.border + insets.caption};
}

Size LeastWindowSize(const FrameMetrics& metrics, int dpi) {
    const FrameInsets insets = InsetsAt(metrics, dpi);
    return {2 * insets.border + 4 * Scaled(metrics.inset, dpi) + Scaled(metrics.icon, dpi) +
                2 * Scaled(metrics.buttonWidth, dpi) + Scaled(metrics.buttonGap, dpi),
            2 * insets.border + insets.caption};
}

FrameLayout LayOutFrame(const FrameMetrics& metrics, int dpi, Size window) {
    const FrameInsets insets = InsetsAt(metrics, dpi);
    const int b = insets.border;
    const int inner = std::max(window.width - 2 * b, 0);
    const int inset = Scaled(metrics.inset, dpi);
    const int icon = Scaled(metrics.icon, dpi);
    const int buttonWidth = Scaled(metrics.buttonWidth, dpi);
    const int buttonHeight = std::min(Scaled(metrics.buttonHeight, dpi), insets.caption);
    const int buttonTop = b + (insets.caption - buttonHeight) / 2;

    FrameLayout layout;
    layout.border = b;
    layout.caption = {b, b, inner, insets.caption};
    layout.icon = {b + inset, b + (insets.caption - icon) / 2, icon, icon};
    layout.close = {window.width - b - inset - buttonWidth, buttonTop, buttonWidth, buttonHeight};
    layout.minimise = {layout.close.left - Scaled(metrics.buttonGap, dpi) - buttonWidth, buttonTop, buttonWidth,
                       buttonHeight};
    const int textLeft = layout.icon.left + icon + inset;
    layout.menu = {b, b, textLeft - b - inset / 2, insets.caption};
    layout.text = {textLeft, b, std::max(layout.minimise.left - inset - textLeft, 0), insets.caption};
    layout.client = {b, b + insets.caption, inner, std::max(window.height - 2 * b - insets.caption, 0)};
    return layout;
}

FrameHit HitTestFrame(const FrameMetrics& metrics, int dpi, const FrameLayout& layout, Size window, int x, int y,
                      bool sizeable) {
    if (x < 0 || y < 0 || x >= window.width || y >= window.height) return FrameHit::Outside;
    if (Contains(layout.client, x, y)) return FrameHit::Client;
    const int b = layout.border;
    const bool left = x < b, right = x >= window.width - b, top = y < b, bottom = y >= window.height - b;
    if (left || right || top || bottom) {
        if (!sizeable) return FrameHit::Border;
        // Corners reach a little along both of their edges, so that they are
        // easy to catch with the mouse.
        const int corner = std::max(Scaled(metrics.corner, dpi), b);
        const bool nearLeft = x < corner, nearRight = x >= window.width - corner;
        const bool nearTop = y < corner, nearBottom = y >= window.height - corner;
        if (top || bottom) {
            if (nearLeft) return top ? FrameHit::TopLeft : FrameHit::BottomLeft;
            if (nearRight) return top ? FrameHit::TopRight : FrameHit::BottomRight;
            return top ? FrameHit::Top : FrameHit::Bottom;
        }
        if (nearTop) return left ? FrameHit::TopLeft : FrameHit::TopRight;
        if (nearBottom) return left ? FrameHit::BottomLeft : FrameHit::BottomRight;
        return left ? FrameHit::Left : FrameHit::Right;
    }
    if (Contains(layout.close, x, y)) return FrameHit::Close;
    if (Contains(layout.minimise, x, y)) return FrameHit::Minimise;
    if (Contains(layout.menu, x, y)) return FrameHit::Icon;
    return FrameHit::Caption;
}

}  // namespace carrow::skin
