// The colour chooser on a real owner-drawn combo box: its entries, the
// selected colour, and each entry drawn as a swatch of its colour (system
// colours as the system has them when drawn) beside its name.
#include <windows.h>

#include "skin/colour_box.h"
#include "text_box_fixture.h"

namespace {

using host::Check;

// Draws one entry into a bitmap and reads pixels back.
struct Drawn {
    static constexpr int kWidth = 113, kHeight = 18;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;

    Drawn(HWND combo, int index, UINT state) {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_COMBOBOX;
        item.itemID = static_cast<UINT>(index);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = combo;
        item.hDC = dc;
        item.rcItem = {0, 0, kWidth, kHeight};
        carrow::ColourBox::DrawItem(item, carrow::skin::SectionNamed(carrow::skin::BlueSkin(), "COMBOBOX"));
    }
    ~Drawn() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF Swatch() const { return GetPixel(dc, kHeight / 2, kHeight / 2); }
    bool TextIn(COLORREF colour) const {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = kHeight + 2; x < kWidth; ++x) {
                if (GetPixel(dc, x, y) == colour) return true;
            }
        }
        return false;
    }
};

std::wstring ItemText(HWND combo, int index) {
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

int main() {
    host::TestWindow window;
    const HWND combo = CreateWindowExW(0, L"COMBOBOX", L"",
                                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                                           CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                       0, 0, 113, 220, window.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    carrow::ColourBox box;
    box.Attach(combo, carrow::skin::BlueSkin());
    const auto entries = carrow::ColourEntries();
    bool namesInOrder = SendMessageW(combo, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(entries.size());
    for (size_t i = 0; namesInOrder && i < entries.size(); ++i) namesInOrder = ItemText(combo, static_cast<int>(i)) == entries[i].name;
    Check(namesInOrder, "the chooser lists every colour by name, in order");
    Check(SendMessageW(combo, CB_GETCURSEL, 0, 0) == 0 && box.Selected() == entries[0].colour,
          "clBlack is selected at start");
    SendMessageW(combo, CB_SETCURSEL, 9, 0);
    Check(box.Selected() == carrow::FromHexRgb(0xFF0000), "the selected entry gives its colour (clRed)");

    Check(Drawn(combo, 9, 0).Swatch() == RGB(255, 0, 0) && Drawn(combo, 4, 0).Swatch() == RGB(0, 0, 128),
          "an entry's swatch is filled with its colour");
    Check(Drawn(combo, 9, 0).TextIn(RGB(7, 28, 35)), "an entry's name is drawn in the chooser's text colour");
    Check(Drawn(combo, 9, ODS_SELECTED).TextIn(RGB(255, 255, 255)), "the highlighted entry's name is drawn white");

    const int windowText = static_cast<int>(entries.size()) - 1;
    const INT element = COLOR_WINDOWTEXT;
    const COLORREF before = GetSysColor(element), green = RGB(0, 160, 0);
    SetSysColors(1, &element, &green);
    const COLORREF followed = Drawn(combo, windowText, 0).Swatch();
    SetSysColors(1, &element, &before);
    Check(followed == green && Drawn(combo, windowText, 0).Swatch() == before,
          "a system colour's swatch follows the system colour");
    return host::Finish();
}
