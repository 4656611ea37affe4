#include "widgets.h"

#include <commctrl.h>

#include <algorithm>

#include "base/guarded.h"
#include "base/reflect.h"
#include "skinned.h"

namespace carrow::skin {
namespace {

// A drop-down list's window is as high as its open list.
constexpr int kListHeights = 10;

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectToChild(hwnd, message, wParam, lParam, result)) return result;
    if (message == WM_COMMAND && lParam) {
        // Commands of the controls are the window's events.
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterContainerClass(const wchar_t* name) {
    RegisterControlClass(name, GuardedWindowProc<ContainerProc>, IDC_ARROW);
}

// How the field height turns into the closed box's height is the
// platform's, so measure and correct.
void FitClosedHeight(const ComboBox& list, int height) {
    int field = list.ItemHeight(-1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        if (!GetWindowRect(list.Handle(), &closed)) break;
        const int excess = (closed.bottom - closed.top) - height;
        if (excess == 0) break;
        field = std::max(field - excess, 1);
        list.SetItemHeight(-1, field);
    }
}

}  // namespace

Window CreateButton(const ChildArgs& args) {
    // Owner-drawn so that the skin draws every state; BM_CLICK and the
    // caption as window text work as for any push button.
    Window button;
    button.Create(WC_BUTTONW, BS_OWNERDRAW, 0, args);
    return button;
}

Edit CreateMemo(const ChildArgs& args, MemoOptions options) {
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_BORDER;
    if (options.verticalScrollBar) style |= WS_VSCROLL;
    if (!options.wordWrap) style |= ES_AUTOHSCROLL;
    Edit memo;
    memo.Create(WC_EDITW, style, 0, args);
    memo.SetLimit(0);  // no length limit beyond what memory holds
    return memo;
}

TabStrip CreateTabStrip(const ChildArgs& args, int dpi) {
    TabStrip strip;
    strip.Create(WC_TABCONTROLW, TCS_FOCUSNEVER | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, args);
    const int height = ScaleToDpi(SectionNamed(CurrentSkin(), SectionNameOf(Part::PageControl)).extent, dpi);
    strip.Send(TCM_SETPADDING, 0, MAKELPARAM(ScaleToDpi(8, dpi), ScaleToDpi(3, dpi)));
    strip.Send(TCM_SETITEMSIZE, 0, MAKELPARAM(0, height));
    return strip;
}

ComboBox CreateDropDownList(const ChildArgs& args, int dpi) {
    ChildArgs withList = args;
    withList.place.height = args.place.height * kListHeights;
    ComboBox list;
    list.Create(WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 0, withList);
    FitClosedHeight(list, args.place.height);
    list.SetItemHeight(0, ScaleToDpi(18, dpi));
    return list;
}

void PlaceDropDownList(const ComboBox& list, const Rect& place) {
    // The closed box keeps its height: only where it stands and its width count.
    const Rect now = list.PlaceInParent();
    if (now.left == place.left && now.top == place.top && now.width == place.width) return;
    list.Place({place.left, place.top, place.width, place.height * kListHeights});
}

Window CreateStatusBar(const ChildArgs& args) {
    // Placed by the window like any aligned control, so it keeps the height
    // of the layout; the skin draws it and its size grip.
    Window bar;
    bar.Create(STATUSCLASSNAMEW, SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, args);
    bar.Send(SB_SIMPLE, TRUE);
    return bar;
}

Window CreateContainer(const ChildArgs& args, ContainerKind kind) {
    const wchar_t* windowClass = kind == ContainerKind::Page ? kPageClass : kPanelClass;
    RegisterContainerClass(windowClass);
    Window container;
    container.Create(windowClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, args);
    return container;
}

}  // namespace carrow::skin
