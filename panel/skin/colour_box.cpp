#include "skin/colour_box.h"

#include "failure.h"
#include "system_error.h"

namespace carrow {
namespace {

COLORREF Now(PaletteColour colour) {
    return Resolve(colour, [](int index) { return GetSysColor(index); });
}

void FillWith(HDC dc, const RECT& area, COLORREF colour) {
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// A square of the entry's colour, framed so that white shows on white.
void DrawSwatch(HDC dc, const RECT& item, PaletteColour colour) {
    const int side = item.bottom - item.top - 4;
    RECT frame{item.left + 2, item.top + 2, item.left + 2 + side, item.top + 2 + side};
    FillWith(dc, frame, RGB(0x40, 0x40, 0x40));
    InflateRect(&frame, -1, -1);
    FillWith(dc, frame, Now(colour));
}

}  // namespace

void ColourBox::Create(HWND parent, int id, const RECT& place, HFONT font) {
    const int closedHeight = place.bottom - place.top;
    // The list's own height is what the drop-down may take.
    combo_ = CreateWindowExW(0, L"COMBOBOX", L"", kColourBoxStyle, place.left, place.top,
                             place.right - place.left, closedHeight * 12, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    if (!combo_) Fail(SystemErrorText(GetLastError()));
    SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The field's height leaves room for the combo box's own frame.
    SendMessageW(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), closedHeight - 6);
    SendMessageW(combo_, CB_SETITEMHEIGHT, 0, closedHeight - 6);
    for (const ColourEntry& entry : ColourEntries()) {
        const std::wstring name(entry.name);
        if (SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str())) < 0) {
            Fail(SystemErrorText(GetLastError()));
        }
    }
    Select(0);
}

PaletteColour ColourBox::Selected() const {
    const int index = SelectedIndex();
    const auto entries = ColourEntries();
    return index >= 0 && static_cast<size_t>(index) < entries.size() ? entries[index].colour
                                                                      : entries.front().colour;
}

void ColourBox::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    const auto entries = ColourEntries();
    const bool highlighted = (item.itemState & ODS_SELECTED) != 0;
    FillWith(item.hDC, item.rcItem, GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID >= entries.size()) return;
    const ColourEntry& entry = entries[item.itemID];
    DrawSwatch(item.hDC, item.rcItem, entry.colour);

    RECT text = item.rcItem;
    text.left += text.bottom - text.top + 2;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT) : kPanelTextColour.value);
    DrawTextW(item.hDC, entry.name.data(), static_cast<int>(entry.name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace carrow
