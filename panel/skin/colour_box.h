// The colour chooser: a drop-down list of the named colours, each drawn as a
// swatch of its colour and its name.  System colours are looked up whenever
// an entry is drawn, so they follow the system.
#pragma once

#include <windows.h>

#include "base/controls.h"
#include "colour_box_entries.h"
#include "skin.h"

namespace carrow {

class ColourBox {
public:
    ColourBox() = default;
    ColourBox(const ColourBox&) = delete;
    ColourBox& operator=(const ColourBox&) = delete;

    // Takes over an owner-drawn drop-down list (CBS_OWNERDRAWFIXED with
    // CBS_HASSTRINGS) whose container reflects WM_DRAWITEM: fills it with
    // every entry, "clBlack" selected, and draws its items from now on in the
    // colours of the skin's "COMBOBOX" section; the skin outlives the box.
    void Attach(HWND combo, const skin::Description& skin);

    const ComboBox& Control() const { return combo_; }
    Colour Selected() const;

    // Draws one entry: the swatch, then the name; the list's highlighted entry
    // on the section's accent, the rest on its background.
    static void DrawItem(const DRAWITEMSTRUCT& item, const skin::Section& section);

private:
    static LRESULT CALLBACK ComboProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR section);

    ComboBox combo_;
};

}  // namespace carrow
