#include "colour_box.h"

#include <commctrl.h>

#include <string>

#include "base/colour_ref.h"
#include "base/failure.h"
#include "base/handles.h"
#include "base/guarded.h"
#include "base/reflect.h"
#include "base/system_error.h"

namespace carrow {
namespace {

constexpr UINT_PTR kColourBoxSubclass = 0x434F4C;

void FillWith(HDC dc, const RECT& area, COLORREF colour) {
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// A square of the entry's colour, framed so that white shows on white.
RECT DrawSwatch(HDC dc, const RECT& item, Colour colour) {
    const int side = item.bottom - item.top - 4;
    RECT frame{item.left + 2, item.top + 2, item.left + 2 + side, item.top + 2 + side};
    FillWith(dc, frame, RGB(0x40, 0x40, 0x40));
    RECT inside = frame;
    InflateRect(&inside, -1, -1);
    FillWith(dc, inside, ToColorRef(colour));
    return frame;
}

}  // namespace

void ColourBox::Attach(HWND combo, const skin::Description& skin) {
    combo_.Attach(combo);
    combo_.Clear();
    for (const ColourEntry& entry : ColourEntries()) {
        const std::wstring name(entry.name);
        if (!combo_.Add(name.c_str())) {
            Fail(L"Cannot fill the colour chooser: " + SystemErrorText(GetLastError()));
        }
    }
    combo_.Select(0);
    const skin::Section& section = skin::SectionNamed(skin, "COMBOBOX");
    if (!SetWindowSubclass(combo, GuardedSubclassProc<ComboProc>, kColourBoxSubclass,
                           reinterpret_cast<DWORD_PTR>(&section))) {
        Fail(L"Cannot attach the colour chooser: " + SystemErrorText(GetLastError()));
    }
}

Colour ColourBox::Selected() const {
    const int index = combo_.Selected();
    const auto entries = ColourEntries();
    return index >= 0 && static_cast<size_t>(index) < entries.size() ? entries[index].colour
                                                                      : entries.front().colour;
}

void ColourBox::DrawItem(const DRAWITEMSTRUCT& item, const skin::Section& section) {
    // The closed field and the other entries on the section's background,
    // names in the chooser's own text colour.
    const bool highlighted = (item.itemState & ODS_SELECTED) && !(item.itemState & ODS_COMBOBOXEDIT);
    FillWith(item.hDC, item.rcItem, ToColorRef(highlighted ? section.accent : section.background));
    const auto entries = ColourEntries();
    if (item.itemID >= entries.size()) return;
    const ColourEntry& entry = entries[item.itemID];
    const RECT swatch = DrawSwatch(item.hDC, item.rcItem, entry.colour);

    RECT text = item.rcItem;
    text.left = swatch.right + 4;
    carrow::Selected font(item.hDC, ComboBox(item.hwndItem).Font());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, ToColorRef(highlighted ? section.accentText : kPanelTextColour));
    DrawTextW(item.hDC, entry.name.data(), static_cast<int>(entry.name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT CALLBACK ColourBox::ComboProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR section) {
    if (message == Reflected(WM_DRAWITEM)) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), *reinterpret_cast<const skin::Section*>(section));
        return TRUE;
    }
    return PassOn(combo, message, wParam, lParam);
}

}  // namespace carrow
