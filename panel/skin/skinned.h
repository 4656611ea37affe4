// The skin engine: a subclass procedure per kind of control that draws it
// from its skin section (owner-draw, custom paint and reflected messages).
// A control is made plainly and then given its skin by Attach, which tells
// its kind by its window class.
#pragma once

#include <windows.h>

#include <string_view>

#include "base/colour.h"
#include "base/controls.h"
#include "base/handles.h"
#include "skin.h"

namespace carrow::skin {

// The part of the skin a control is drawn with; each names a skin section.
enum class Part { Form, PageControl, Page, Panel, Button, Edit, List, ComboBox, StatusBar };
std::string_view SectionNameOf(Part part);

// The class names of the panel's own containers.
inline constexpr wchar_t kPanelClass[] = L"TsPanel";
inline constexpr wchar_t kPageClass[] = L"TsTabSheet";

constexpr Colour kWhite = Rgb(255, 255, 255);

// The skin every control is drawn with.
const Description& CurrentSkin();

// What a control's skin needs while it draws; the control's window owns it
// and it goes with the window.
struct SkinState {
    Part part = Part::Form;
    const Section* section = nullptr;
    int dpi = 96;
    HFONT font = nullptr;
    Colour text = kPanelTextColour;
    Colour background = kWhite;
    Brush backgroundBrush;  // made from background
    bool hot = false;
    int hotItem = -1;
};

// Draws the control with the skin of its kind from now on, at dpi, in its
// font; fails for a window class that has no skin.
void Attach(const Window& control, int dpi);

// The text colour of a skinned control, for the text boxes; a system colour
// is looked up whenever the control draws.  Setting it redraws the control.
Colour TextColourOf(HWND control);
// The skin of a control that has one, else null.
const SkinState* SkinIfAny(HWND control);
void SetTextColour(HWND control, Colour colour);

// The look of a control in a given state of its own.
State StateOf(HWND hwnd, const SkinState& skin, bool pressed);

}  // namespace carrow::skin
