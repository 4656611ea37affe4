// The colour chooser: an owner-drawn drop-down list of the named colours,
// each drawn as a swatch of its colour and its name.  System colours are
// looked up whenever an entry is drawn, so they follow the system.
#pragma once

#include <windows.h>

#include "skin/colour_box_entries.h"

namespace carrow {

constexpr DWORD kColourBoxStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;

class ColourBox {
public:
    ColourBox() = default;
    ColourBox(const ColourBox&) = delete;
    ColourBox& operator=(const ColourBox&) = delete;

    // Creates the chooser with every entry and "clBlack" selected; its height
    // (drop-down closed) is the height of `place`.
    void Create(HWND parent, int id, const RECT& place, HFONT font);

    HWND Handle() const { return combo_; }
    PaletteColour Selected() const;
    int SelectedIndex() const { return static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0)); }
    void Select(int index) { SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

    // The parent passes on WM_DRAWITEM for this control.
    void OnDrawItem(const DRAWITEMSTRUCT& item) const;

private:
    HWND combo_ = nullptr;
};

}  // namespace carrow
