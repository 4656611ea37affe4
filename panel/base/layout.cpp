#include "base/layout.h"

#include <algorithm>

namespace carrow {

int ScaleToDpi(int designPixels, int dpi) {
    const long long scaled = static_cast<long long>(designPixels) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kDesignDpi : -((-scaled + half) / kDesignDpi));
}

Rect ScaleRect(const Rect& design, int dpi) {
    return {ScaleToDpi(design.left, dpi), ScaleToDpi(design.top, dpi), ScaleToDpi(design.width, dpi),
            ScaleToDpi(design.height, dpi)};
}

namespace {

// Takes one aligned child out of the free area.
Rect Take(Rect& free, Align align, const Rect& current) {
    Rect placed = free;
    switch (align) {
        case Align::Top:
            placed.height = std::min(current.height, free.height);
            free.top += placed.height;
            free.height -= placed.height;
            break;
        case Align::Bottom:
            placed.height = std::min(current.height, free.height);
            placed.top = free.top + free.height - placed.height;
            free.height -= placed.height;
            break;
        case Align::Left:
            placed.width = std::min(current.width, free.width);
            free.left += placed.width;
            free.width -= placed.width;
            break;
        case Align::Fill:
        case Align::None:
            break;
    }
    return placed;
}

}  // namespace

std::vector<Rect> ArrangeAligned(const Rect& area, const std::vector<AlignedChild>& children) {
    std::vector<Rect> placed(children.size());
    Rect free = area;
    free.width = std::max(free.width, 0);
    free.height = std::max(free.height, 0);
    for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Fill}) {
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (children[i].align == pass) placed[i] = Take(free, pass, children[i].rect);
        }
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].align == Align::None) placed[i] = children[i].rect;
    }
    return placed;
}

}  // namespace carrow
