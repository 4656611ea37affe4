// A skin description: colours and metrics for each part of the window, by
// section name.  The painting code reads only this, so another skin is
// another description, not other code.
#pragma once

#include <array>
#include <string_view>

#include "base/colour.h"

namespace carrow::skin {

using carrow::Colour;
using carrow::Rgb;

enum class State { Normal, Hot, Pressed, Focused, Disabled };
constexpr std::size_t kStateCount = 5;

// How one part looks in one state: a vertical gradient, its border and text.
struct Look {
    Colour top;
    Colour bottom;
    Colour border;
    Colour text;
};

struct Section {
    std::string_view name;
    std::array<Look, kStateCount> looks;  // indexed by State
    Colour background;  // what lies behind the part (tab strip, form, page)
    Colour accent;      // focus rings, the selected tab's top line, grip dots
    Colour light;       // the highlight line along a face's top edge
    int cornerRadius;   // at 96 dpi
    int extent;         // section-specific size at 96 dpi: tab height, arrow width, grip size
    Colour accentText;  // text drawn on the accent: a list's highlighted entry

    const Look& LookOf(State state) const { return looks[static_cast<std::size_t>(state)]; }
};

// Sizes of the window frame at 96 dpi.
struct FrameMetrics {
    int border;        // the sizing border on every side
    int caption;       // height of the caption bar below the top border
    int icon;          // the window icon, square
    int buttonWidth;   // caption buttons
    int buttonHeight;
    int buttonGap;     // between neighbouring caption buttons
    int inset;         // from the border to the icon and the last button, and around the caption text
    int corner;        // how far a corner's sizing zone reaches along each edge
    int glyph;         // the square a caption button's sign is drawn in
};

// The window frame of the "FORM" section: caption bar and border, and the
// caption buttons.
struct Frame {
    FrameMetrics metrics;
    Look active;    // caption gradient, outer line and caption text of the active window
    Look inactive;  // the same while another window is active
    std::array<Look, 3> buttons;      // caption buttons: normal, hot, pressed
    std::array<Look, 3> closeButton;  // the close button: normal, hot, pressed
    Colour light;   // the highlight line under the outer line
};

struct Description {
    std::string_view name;
    std::array<Section, 7> sections;
    Frame frame;
};

// The built-in blue skin with the sections "FORM" (with its frame),
// "PAGECONTROL", "PANEL", "BUTTON", "EDIT", "COMBOBOX" and "STATUSBAR".
const Description& BlueSkin();

// The section of that name; throws std::out_of_range when there is none.
const Section& SectionNamed(const Description& skin, std::string_view name);

}  // namespace carrow::skin
