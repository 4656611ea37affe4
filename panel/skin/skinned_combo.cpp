// Drop-down lists: the face is the skin's; items are drawn by the owner, or here as text.
#include "skinned_common.h"

#include <string>

#include "base/controls.h"
#include "base/handles.h"
#include "base/reflect.h"

namespace carrow::skin::skinned {
namespace {

// Items of a combo box whose owner does not draw them: their text.
void DrawComboItem(const DRAWITEMSTRUCT& item, const SkinState& skin) {
    const bool selected = (item.itemState & ODS_SELECTED) && !(item.itemState & ODS_COMBOBOXEDIT);
    FillSolid(item.hDC, item.rcItem, selected ? skin.section->accent : skin.background);
    if (static_cast<int>(item.itemID) < 0) return;
    std::wstring text;
    if (!ComboBox(item.hwndItem).ItemText(static_cast<int>(item.itemID), text)) return;
    RECT area = item.rcItem;
    area.left += ScaleToDpi(3, skin.dpi);
    carrow::Selected font(item.hDC, skin.font);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, selected ? ToColorRef(skin.section->accentText) : ToColorRef(skin.text));
    DrawTextW(item.hDC, text.data(), -1, &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void PaintCombo(HWND hwnd, HDC dc, const RECT& client, const SkinState& skin) {
    const ComboBox combo(hwnd);
    const bool dropped = combo.Dropped();
    const RECT content = PaintComboFace(dc, client, *skin.section, StateOf(hwnd, skin, dropped), skin.background,
                                        skin.dpi);
    const int selected = combo.Selected();
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_COMBOBOX;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    item.itemID = static_cast<UINT>(selected);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = ODS_COMBOBOXEDIT | (GetFocus() == hwnd && !dropped ? ODS_FOCUS : 0);
    item.hwndItem = hwnd;
    item.hDC = dc;
    item.rcItem = content;
    InflateRect(&item.rcItem, -1, -1);
    item.itemData = selected >= 0 ? combo.ItemData(selected) : 0;
    combo.Send(Reflected(WM_DRAWITEM), item.CtlID, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

LRESULT CALLBACK ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    SkinState& skin = SkinOf(data);
    if (TrackHot(hwnd, message, skin)) InvalidateRect(hwnd, nullptr, FALSE);
    if (IsPaint(message)) {
        return PaintClient(hwnd, message, wParam,
                           [&](HDC dc, const RECT& client) { PaintCombo(hwnd, dc, client, skin); });
    }
    switch (message) {
        case WM_ERASEBKGND: return TRUE;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case CB_SETCURSEL: {
            const LRESULT result = PassOn(hwnd, message, wParam, lParam);
            InvalidateRect(hwnd, nullptr, FALSE);
            return result;
        }
        case Reflected(WM_DRAWITEM):
            // An item drawer attached to the box draws its items; the rest show their text.
            if (PassOn(hwnd, message, wParam, lParam)) return TRUE;
            DrawComboItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), skin);
            return TRUE;
        case Reflected(WM_CTLCOLORLISTBOX):
        case Reflected(WM_CTLCOLOREDIT): return ColoursOf(skin, wParam);
    }
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace carrow::skin::skinned
