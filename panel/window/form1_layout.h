// The layout of the main window Form1: every control with its name, kind,
// parent, place at 96 dpi, alignment, keyboard order and initial text.  The
// window is built from this table, so it is the one place to read or change
// where a control sits.
#pragma once

#include <span>
#include <vector>

#include "base/layout.h"

namespace carrow {

enum class ControlKind { TabControl, TabSheet, StatusBar, Panel, Memo, Button, ColourBox, ShellListView };

// Control identifiers; also the ids of the child windows.
enum ControlId : int {
    kForm = 0,
    kPageControl1 = 100,
    kStatusBar1,
    kTabSheet1,
    kTabSheet2,
    kTabSheet4,
    kTabSheet5,
    kMemo1,
    kPanel1,
    kColorBox1,
    kButton1,
    kButton2,
    kButton3,
    kShellListView1,
    kPanel4,
    kButton9,
    kButton11,
    kMemo2,
    kPanel2,
    kButton4,
    kButton5,
    kButton8,
    kMemo3,
    kPanel3,
    kButton6,
    kButton7,
};

// Settings of the text boxes.
enum TextBoxOption : unsigned {
    kVerticalScrollBar = 1u << 0,
    kWordWrap = 1u << 1,
};

struct ControlLayout {
    ControlId id;
    const char* name;
    ControlKind kind;
    ControlId parent;
    Align align;
    Rect design;   // at 96 dpi, relative to the parent's area
    int tabOrder;  // among the parent's children, from 0
    bool tabStop;
    const wchar_t* text;
    unsigned options;
};

constexpr int kFormClientWidth = 489;
constexpr int kFormClientHeight = 268;

// Every control of Form1, in no particular order.
std::span<const ControlLayout> Form1Layout();
const ControlLayout& LayoutOf(ControlId id);

// The order in which the controls are created: every parent before its
// children, and a parent's children in their keyboard order, which makes the
// window stacking order the keyboard order.
std::vector<const ControlLayout*> CreationOrder();

// The children of a parent in their keyboard order.
std::vector<const ControlLayout*> ChildrenOf(ControlId parent);

// The area of the tab control that the pages take, for a tab control of the
// given size at dpi: inside its border and below the tab strip.
Rect PageArea(int width, int height, int dpi);

struct Placement {
    ControlId id;
    Rect rect;  // relative to the parent's client area
};

// The place of every control for a window client area of the given size at
// dpi, in creation order.  Aligned controls follow the size; panels keep
// their width (aligned left) or height (aligned top), the status bar its
// height, and buttons and the colour chooser their place on their panel.
std::vector<Placement> ArrangeForm(int clientWidth, int clientHeight, int dpi);

}  // namespace carrow
