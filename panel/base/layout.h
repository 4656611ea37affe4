// Geometry of the window's layout: scaling design pixels (96 dots per inch)
// to the display, and placing aligned controls inside their parent.
#pragma once

#include <vector>

namespace carrow {

constexpr int kDesignDpi = 96;

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// How a control follows its parent's size.  Top and Bottom keep the height
// and take the full width, Left keeps the width and takes the full height,
// Fill takes what the others leave; None keeps its place and size.
enum class Align { None, Top, Bottom, Left, Fill };

// design pixels at 96 dpi -> pixels at dpi, rounded to nearest.
int ScaleToDpi(int designPixels, int dpi);
Rect ScaleRect(const Rect& design, int dpi);

struct AlignedChild {
    Align align;
    Rect rect;  // current place; Top/Bottom keep height, Left keeps width
};

// The places of a parent's children inside area: the top-aligned children
// first, then bottom, then left, then the fill children in what remains, each
// group in the given order.  Sizes never go below zero.
std::vector<Rect> ArrangeAligned(const Rect& area, const std::vector<AlignedChild>& children);

}  // namespace carrow
