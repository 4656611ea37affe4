#include "window/form1_layout.h"

#include <algorithm>
#include <stdexcept>

namespace carrow {
namespace {

constexpr const wchar_t* kNoData = L"Нет данных для просмотра";
using enum ControlKind;

constexpr ControlLayout kLayout[] = {
    // id, name, kind, parent, align, design, tab order, tab stop, text, options
    {kPageControl1, "sPageControl1", TabControl, kForm, Align::Fill, {0, 0, 489, 249}, 0, false, L"", 0},
    {kStatusBar1, "sStatusBar1", StatusBar, kForm, Align::Bottom, {0, 249, 489, 19}, 1, false, L"", 0},

    {kTabSheet1, "sTabSheet1", TabSheet, kPageControl1, Align::Fill, {4, 24, 481, 221}, 0, false,
     L"Статистика сервера", 0},
    {kTabSheet2, "sTabSheet2", TabSheet, kPageControl1, Align::Fill, {4, 24, 481, 221}, 1, false,
     L"Проводник", 0},
    {kTabSheet4, "sTabSheet4", TabSheet, kPageControl1, Align::Fill, {4, 24, 481, 221}, 2, false,
     L"Банлист", 0},
    {kTabSheet5, "sTabSheet5", TabSheet, kPageControl1, Align::Fill, {4, 24, 481, 221}, 3, false,
     L"Настройки сервера", 0},

    // Page 1: server control and the log view.
    {kMemo1, "sMemo1", Memo, kTabSheet1, Align::Fill, {113, 0, 368, 221}, 0, true, kNoData, kVerticalScrollBar},
    {kPanel1, "sPanel1", Panel, kTabSheet1, Align::Left, {0, 0, 113, 221}, 1, false, L"", 0},
    {kColorBox1, "sColorBox1", ColourBox, kPanel1, Align::None, {0, 0, 113, 22}, 3, true, L"", 0},
    {kButton1, "sButton1", Button, kPanel1, Align::None, {16, 37, 75, 25}, 0, true, L"Старт", 0},
    {kButton2, "sButton2", Button, kPanel1, Align::None, {16, 68, 75, 25}, 1, true, L"Рестарт", 0},
    {kButton3, "sButton3", Button, kPanel1, Align::None, {16, 99, 75, 25}, 2, true, L"Стоп", 0},

    // Page 2: the file browser.
    {kShellListView1, "sShellListView1", ShellListView, kTabSheet2, Align::Fill, {0, 35, 481, 186}, 0, true,
     L"", 0},
    {kPanel4, "sPanel4", Panel, kTabSheet2, Align::Top, {0, 0, 481, 35}, 1, false, L"", 0},
    {kButton9, "sButton9", Button, kPanel4, Align::None, {16, 4, 75, 25}, 0, true, L"Назад", 0},
    {kButton11, "sButton11", Button, kPanel4, Align::None, {97, 4, 75, 25}, 1, true, L"Обновить", 0},

    // Page 3: the ban list.
    {kMemo2, "sMemo2", Memo, kTabSheet4, Align::Fill, {113, 0, 368, 221}, 0, true, kNoData, kWordWrap},
    {kPanel2, "sPanel2", Panel, kTabSheet4, Align::Left, {0, 0, 113, 221}, 1, false, L"", 0},
    {kButton4, "sButton4", Button, kPanel2, Align::None, {16, 16, 75, 25}, 0, true, L"Сохранить", 0},
    {kButton5, "sButton5", Button, kPanel2, Align::None, {16, 47, 75, 25}, 1, true, L"Рестарт", 0},
    {kButton8, "sButton8", Button, kPanel2, Align::None, {16, 78, 75, 25}, 2, true, L"Обновить", 0},

    // Page 4: the server configuration.
    {kMemo3, "sMemo3", Memo, kTabSheet5, Align::Fill, {113, 0, 368, 221}, 0, true, kNoData, kWordWrap},
    {kPanel3, "sPanel3", Panel, kTabSheet5, Align::Left, {0, 0, 113, 221}, 1, false, L"", 0},
    {kButton6, "sButton6", Button, kPanel3, Align::None, {16, 16, 75, 25}, 0, true, L"Сохранить", 0},
    {kButton7, "sButton7", Button, kPanel3, Align::None, {16, 47, 75, 25}, 1, true, L"Рестарт", 0},
};

// The tab control's border and tab strip around the pages, at 96 dpi.
constexpr Rect kPageInset = {4, 24, 8, 28};

}  // namespace

std::span<const ControlLayout> Form1Layout() { return kLayout; }

const ControlLayout& LayoutOf(ControlId id) {
    const auto* found = std::ranges::find(kLayout, id, &ControlLayout::id);
    if (found == std::end(kLayout)) throw std::out_of_range("no such control");
    return *found;
}

std::vector<const ControlLayout*> ChildrenOf(ControlId parent) {
    std::vector<const ControlLayout*> children;
    for (const auto& control : kLayout) {
        if (control.parent == parent) children.push_back(&control);
    }
    std::ranges::stable_sort(children, {}, &ControlLayout::tabOrder);
    return children;
}

std::vector<const ControlLayout*> CreationOrder() {
    std::vector<const ControlLayout*> order;
    // Breadth first from the form: each level is created after its parents.
    std::vector<ControlId> parents = {kForm};
    while (!parents.empty()) {
        std::vector<ControlId> next;
        for (ControlId parent : parents) {
            for (const auto* child : ChildrenOf(parent)) {
                order.push_back(child);
                next.push_back(child->id);
            }
        }
        parents = std::move(next);
    }
    return order;
}

Rect PageArea(int width, int height, int dpi) {
    const Rect inset = ScaleRect(kPageInset, dpi);
    return {inset.left, inset.top, std::max(width - inset.width, 0), std::max(height - inset.height, 0)};
}

std::vector<Placement> ArrangeForm(int clientWidth, int clientHeight, int dpi) {
    std::vector<Placement> placements;
    const auto sizeOf = [&](ControlId id) {
        const auto found = std::ranges::find(placements, id, &Placement::id);
        return found->rect;
    };
    std::vector<ControlId> parents = {kForm};
    while (!parents.empty()) {
        std::vector<ControlId> next;
        for (ControlId parent : parents) {
            Rect area = {0, 0, clientWidth, clientHeight};
            if (parent != kForm) {
                const Rect own = sizeOf(parent);
                area = LayoutOf(parent).kind == ControlKind::TabControl ? PageArea(own.width, own.height, dpi)
                                                                         : Rect{0, 0, own.width, own.height};
            }
            const auto children = ChildrenOf(parent);
            std::vector<AlignedChild> aligned;
            for (const auto* child : children) aligned.push_back({child->align, ScaleRect(child->design, dpi)});
            const auto rects = ArrangeAligned(area, aligned);
            for (std::size_t i = 0; i < children.size(); ++i) {
                placements.push_back({children[i]->id, rects[i]});
                next.push_back(children[i]->id);
            }
        }
        parents = std::move(next);
    }
    return placements;
}

}  // namespace carrow
