// The built-in blue skin: cool blue faces with a light top edge, darker blue
// borders and navy text.
#include <stdexcept>

#include "skin.h"

namespace carrow::skin {
namespace {

constexpr Colour kNavy = Rgb(20, 48, 84);
constexpr Colour kGreyText = Rgb(138, 151, 168);
constexpr Colour kFocus = Rgb(38, 110, 200);
constexpr Colour kWhite = Rgb(255, 255, 255);

// normal, hot, pressed, focused, disabled
constexpr Description kBlue = {
    "blue",
    {{
        {"FORM",
         {{{Rgb(214, 228, 245), Rgb(214, 228, 245), Rgb(106, 140, 184), kNavy},
           {Rgb(214, 228, 245), Rgb(214, 228, 245), Rgb(106, 140, 184), kNavy},
           {Rgb(214, 228, 245), Rgb(214, 228, 245), Rgb(106, 140, 184), kNavy},
           {Rgb(214, 228, 245), Rgb(214, 228, 245), kFocus, kNavy},
           {Rgb(226, 232, 240), Rgb(226, 232, 240), Rgb(170, 184, 204), kGreyText}}},
         Rgb(214, 228, 245), kFocus, kWhite, 0, 0, kWhite},
        {"PAGECONTROL",
         {{{Rgb(226, 237, 251), Rgb(184, 208, 240), Rgb(110, 146, 194), Rgb(30, 58, 98)},
           {Rgb(248, 251, 255), Rgb(214, 231, 250), Rgb(74, 128, 196), kNavy},
           {Rgb(255, 255, 255), Rgb(240, 246, 253), Rgb(106, 140, 184), kNavy},
           {Rgb(255, 255, 255), Rgb(240, 246, 253), Rgb(106, 140, 184), kNavy},
           {Rgb(232, 236, 242), Rgb(220, 226, 234), Rgb(176, 188, 206), kGreyText}}},
         Rgb(160, 192, 232), Rgb(40, 110, 206), kWhite, 3, 21, kWhite},
        {"PANEL",
         {{{Rgb(222, 235, 251), Rgb(176, 203, 239), Rgb(136, 168, 210), kNavy},
           {Rgb(228, 238, 250), Rgb(200, 219, 242), Rgb(157, 183, 217), kNavy},
           {Rgb(228, 238, 250), Rgb(200, 219, 242), Rgb(157, 183, 217), kNavy},
           {Rgb(228, 238, 250), Rgb(200, 219, 242), Rgb(157, 183, 217), kNavy},
           {Rgb(230, 234, 240), Rgb(218, 224, 232), Rgb(176, 188, 206), kGreyText}}},
         Rgb(240, 246, 253), kFocus, Rgb(246, 250, 255), 0, 0, kWhite},
        {"BUTTON",
         {{{Rgb(250, 252, 255), Rgb(198, 218, 243), Rgb(95, 132, 180), kNavy},
           {Rgb(255, 255, 255), Rgb(214, 233, 253), Rgb(52, 120, 204), kNavy},
           {Rgb(176, 204, 238), Rgb(210, 226, 246), Rgb(36, 90, 160), kNavy},
           {Rgb(250, 252, 255), Rgb(198, 218, 243), kFocus, kNavy},
           {Rgb(238, 241, 245), Rgb(226, 231, 238), Rgb(184, 196, 211), kGreyText}}},
         Rgb(214, 228, 245), kFocus, kWhite, 3, 0, kWhite},
        {"EDIT",
         {{{kWhite, kWhite, Rgb(127, 157, 196), kNavy},
           {kWhite, kWhite, Rgb(74, 128, 196), kNavy},
           {kWhite, kWhite, kFocus, kNavy},
           {kWhite, kWhite, kFocus, kNavy},
           {Rgb(244, 246, 249), Rgb(244, 246, 249), Rgb(184, 196, 211), kGreyText}}},
         kWhite, kFocus, kWhite, 0, 0, kWhite},
        {"COMBOBOX",
         {{{Rgb(250, 252, 255), Rgb(198, 218, 243), Rgb(127, 157, 196), kNavy},
           {Rgb(255, 255, 255), Rgb(214, 233, 253), Rgb(74, 128, 196), kNavy},
           {Rgb(176, 204, 238), Rgb(210, 226, 246), Rgb(36, 90, 160), kNavy},
           {Rgb(250, 252, 255), Rgb(198, 218, 243), kFocus, kNavy},
           {Rgb(238, 241, 245), Rgb(226, 231, 238), Rgb(184, 196, 211), kGreyText}}},
         kWhite, Rgb(56, 86, 128), kWhite, 0, 17, kWhite},
        {"STATUSBAR",
         {{{Rgb(206, 224, 248), Rgb(160, 190, 232), Rgb(110, 146, 194), kNavy},
           {Rgb(218, 231, 247), Rgb(186, 207, 235), Rgb(141, 170, 209), kNavy},
           {Rgb(218, 231, 247), Rgb(186, 207, 235), Rgb(141, 170, 209), kNavy},
           {Rgb(218, 231, 247), Rgb(186, 207, 235), Rgb(141, 170, 209), kNavy},
           {Rgb(226, 232, 240), Rgb(214, 222, 232), Rgb(176, 188, 206), kGreyText}}},
         Rgb(214, 228, 245), Rgb(98, 128, 170), kWhite, 0, 12, kWhite},
    }},
    // The frame: a deep blue caption that pales while the window is inactive,
    // glassy blue buttons, a close button that turns red under the mouse.
    {{4, 22, 16, 25, 17, 2, 4, 16, 8},
     {Rgb(86, 138, 206), Rgb(44, 92, 162), Rgb(24, 56, 104), kWhite},
     {Rgb(166, 190, 222), Rgb(138, 164, 202), Rgb(104, 128, 164), Rgb(236, 242, 250)},
     {{{Rgb(128, 172, 228), Rgb(70, 118, 188), Rgb(30, 66, 120), kWhite},
       {Rgb(170, 206, 248), Rgb(96, 150, 220), Rgb(36, 80, 146), kWhite},
       {Rgb(40, 80, 144), Rgb(66, 110, 176), Rgb(20, 46, 92), Rgb(220, 232, 248)}}},
     {{{Rgb(128, 172, 228), Rgb(70, 118, 188), Rgb(30, 66, 120), kWhite},
       {Rgb(236, 128, 112), Rgb(196, 60, 44), Rgb(120, 30, 24), kWhite},
       {Rgb(150, 36, 26), Rgb(186, 64, 50), Rgb(96, 20, 14), Rgb(248, 226, 222)}}},
     Rgb(150, 188, 236)},
};

}  // namespace

const Description& BlueSkin() { return kBlue; }

const Section& SectionNamed(const Description& skin, std::string_view name) {
    for (const auto& section : skin.sections) {
        if (section.name == name) return section;
    }
    throw std::out_of_range("skin has no section " + std::string(name));
}

}  // namespace carrow::skin
