// The page control's tab strip, painted whole by the skin.
#include "skinned_common.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "base/controls.h"

namespace carrow::skin::skinned {
namespace {

std::vector<TabItem> TabsOf(HWND hwnd, const SkinState& skin) {
    const TabStrip strip(hwnd);
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
    return TabStrip(hwnd).HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

}  // namespace

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
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace carrow::skin::skinned
