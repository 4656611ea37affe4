#include "skinned.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include <vector>

#include "base/control_handles.h"
#include "base/failure.h"
#include "base/guarded.h"
#include "reflect.h"
#include "skin_paint.h"
#include "base/handles.h"
#include "base/window_text.h"

namespace carrow::skin {
namespace {

constexpr UINT_PTR kSkinSubclassId = 0x534B;

SkinState& SkinOf(DWORD_PTR data) { return *reinterpret_cast<SkinState*>(data); }

// Paints the whole client area for WM_PAINT (through a buffer) and for
// WM_PRINTCLIENT (into the given context).
template <class Painter>
LRESULT PaintClient(HWND hwnd, UINT message, WPARAM wParam, Painter&& paint) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (message == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    {
        BufferedPaint buffer(dc, client);
        paint(buffer.Dc(), client);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

bool IsPaint(UINT message) { return message == WM_PAINT || message == WM_PRINTCLIENT; }

// Keeps skin.hot in step with the mouse; true when it changed.
bool TrackHot(HWND hwnd, UINT message, SkinState& skin) {
    if (message == WM_MOUSEMOVE && !skin.hot) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        skin.hot = true;
        return true;
    }
    if (message == WM_MOUSELEAVE && skin.hot) {
        skin.hot = false;
        return true;
    }
    return false;
}

void RedrawFrame(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

LRESULT ColoursOf(const SkinState& skin, WPARAM dc) {
    SetTextColor(reinterpret_cast<HDC>(dc), ToColorRef(skin.text));
    SetBkColor(reinterpret_cast<HDC>(dc), ToColorRef(skin.background));
    return reinterpret_cast<LRESULT>(skin.backgroundBrush);
}

void PaintButtonItem(const DRAWITEMSTRUCT& item, const SkinState& skin) {
    const bool pressed = item.itemState & ODS_SELECTED;
    State state = StateOf(item.hwndItem, skin, pressed);
    if (state == State::Focused) state = State::Normal;  // focus shows as a ring
    const bool ring = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
    const std::wstring caption = WindowText(item.hwndItem);
    BufferedPaint buffer(item.hDC, item.rcItem);
    PaintButton(buffer.Dc(), item.rcItem, *skin.section, state, ring, caption.c_str(), skin.font, skin.dpi);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    SkinState& skin = SkinOf(data);
    if (TrackHot(hwnd, message, skin)) InvalidateRect(hwnd, nullptr, FALSE);
    switch (message) {
        case Reflected(WM_DRAWITEM):
            PaintButtonItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), skin);
            return TRUE;
        case BM_CLICK: FailOnceForTest(L"button-click"); break;
        case WM_LBUTTONDBLCLK:
            // An owner-drawn button would report a quick second click as a
            // double click; a push button takes it as another click.
            return DefSubclassProc(hwnd, WM_LBUTTONDOWN, wParam, lParam);
        case WM_ERASEBKGND: return TRUE;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Multi-line text boxes: Enter makes a line break, Tab moves the focus on.
LRESULT DialogCodeOfMemo(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    LRESULT code = DefSubclassProc(hwnd, WM_GETDLGCODE, wParam, lParam);
    code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    const MSG* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
    return code;
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    SkinState& skin = SkinOf(data);
    if (TrackHot(hwnd, message, skin)) RedrawFrame(hwnd);
    switch (message) {
        case WM_NCPAINT: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            HDC dc = GetWindowDC(hwnd);
            RECT frame;
            GetWindowRect(hwnd, &frame);
            OffsetRect(&frame, -frame.left, -frame.top);
            PaintBoxFrame(dc, frame, *skin.section, StateOf(hwnd, skin, false));
            ReleaseDC(hwnd, dc);
            return result;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            RedrawFrame(hwnd);
            return result;
        }
        case WM_GETDLGCODE:
            if (GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE) return DialogCodeOfMemo(hwnd, wParam, lParam);
            break;
        case Reflected(WM_CTLCOLOREDIT):
        case Reflected(WM_CTLCOLORSTATIC): return ColoursOf(skin, wParam);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::vector<TabItem> TabsOf(HWND hwnd, const SkinState& skin) {
    const TabHandle strip(hwnd);
    const int count = strip.Count();
    const int selected = strip.Selected();
    std::vector<TabItem> tabs;
    for (int i = 0; i < count; ++i) {
        TabItem tab = {{}, {}, i == selected, i == skin.hotItem};
        tab.rect = strip.ItemRect(i);
        tab.caption = strip.Caption(i);
        tabs.push_back(std::move(tab));
    }
    // The selected tab is drawn last, over its neighbours.
    std::stable_partition(tabs.begin(), tabs.end(), [](const TabItem& tab) { return !tab.selected; });
    return tabs;
}

int HotTab(HWND hwnd, LPARAM lParam) {
    return TabHandle(hwnd).HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    SkinState& skin = SkinOf(data);
    TrackHot(hwnd, message, skin);
    if (message == WM_MOUSEMOVE || message == WM_MOUSELEAVE) {
        const int hot = message == WM_MOUSEMOVE ? HotTab(hwnd, lParam) : -1;
        if (hot != skin.hotItem) {
            skin.hotItem = hot;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
    }
    if (IsPaint(message)) {
        return PaintClient(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
            const auto tabs = TabsOf(hwnd, skin);
            const int stripBottom = tabs.empty() ? client.top : static_cast<int>(tabs.front().rect.bottom);
            PaintTabControl(dc, client, stripBottom, *skin.section, tabs, skin.font, skin.dpi);
        });
    }
    if (message == WM_ERASEBKGND) return TRUE;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Items of a combo box whose owner does not draw them: their text.
void DrawComboItem(const DRAWITEMSTRUCT& item, const SkinState& skin) {
    const bool selected = (item.itemState & ODS_SELECTED) && !(item.itemState & ODS_COMBOBOXEDIT);
    FillSolid(item.hDC, item.rcItem, selected ? skin.section->accent : skin.background);
    if (static_cast<int>(item.itemID) < 0) return;
    std::wstring text;
    if (!ComboHandle(item.hwndItem).ItemText(static_cast<int>(item.itemID), text)) return;
    RECT area = item.rcItem;
    area.left += ScaleToDpi(3, skin.dpi);
    carrow::Selected font(item.hDC, skin.font);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, selected ? ToColorRef(skin.section->accentText) : ToColorRef(skin.text));
    DrawTextW(item.hDC, text.data(), -1, &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void PaintCombo(HWND hwnd, HDC dc, const RECT& client, const SkinState& skin) {
    const ComboHandle combo(hwnd);
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
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            InvalidateRect(hwnd, nullptr, FALSE);
            return result;
        }
        case Reflected(WM_DRAWITEM):
            DrawComboItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), skin);
            return TRUE;
        case Reflected(WM_CTLCOLORLISTBOX):
        case Reflected(WM_CTLCOLOREDIT): return ColoursOf(skin, wParam);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const SkinState& skin = SkinOf(data);
    if (IsPaint(message)) {
        return PaintClient(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
            const bool grip = (GetWindowLongW(hwnd, GWL_STYLE) & SBARS_SIZEGRIP) &&
                              !IsZoomed(GetAncestor(hwnd, GA_ROOT));
            PaintStatusBar(dc, client, *skin.section, grip, skin.dpi);
        });
    }
    if (message == WM_ERASEBKGND) return TRUE;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const SkinState& skin = SkinOf(data);
    if (IsPaint(message)) {
        return PaintClient(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
            if (skin.part == Part::Panel) {
                PaintPanel(dc, client, *skin.section);
            } else {
                FillSolid(dc, client, skin.section->LookOf(State::Pressed).bottom);
            }
        });
    }
    if (message == WM_ERASEBKGND) return TRUE;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

SUBCLASSPROC ProcedureOf(Part part) {
    switch (part) {
        case Part::Button: return GuardedSubclassProc<ButtonProc>;
        case Part::Edit: return GuardedSubclassProc<BoxProc>;
        case Part::PageControl: return GuardedSubclassProc<TabProc>;
        case Part::ComboBox: return GuardedSubclassProc<ComboProc>;
        case Part::StatusBar: return GuardedSubclassProc<StatusProc>;
        case Part::Page:
        case Part::Panel: return GuardedSubclassProc<ContainerProc>;
        case Part::Form: break;
    }
    return nullptr;
}

}  // namespace

State StateOf(HWND hwnd, const SkinState& skin, bool pressed) {
    if (!IsWindowEnabled(hwnd)) return State::Disabled;
    if (pressed) return State::Pressed;
    if (GetFocus() == hwnd) return State::Focused;
    if (skin.hot) return State::Hot;
    return State::Normal;
}

void AttachSkin(HWND hwnd, SkinState* state) {
    const SUBCLASSPROC procedure = ProcedureOf(state->part);
    if (!procedure) return;
    if (!SetWindowSubclass(hwnd, procedure, kSkinSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
        Fail(L"Cannot attach the skin to a control");
    }
}

}  // namespace carrow::skin
