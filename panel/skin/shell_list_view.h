// The shell folder list: a SysListView32 in large-icon view over the system
// image list, whose items the owner supplies on demand (a virtual list).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>

namespace carrow::skin {

class ShellListView {
public:
    // White background and the panel's dark blue text.
    static constexpr COLORREF kBackground = RGB(255, 255, 255);
    static constexpr COLORREF kText = RGB(7, 28, 35);

    ShellListView() = default;
    ~ShellListView();
    ShellListView(const ShellListView&) = delete;
    ShellListView& operator=(const ShellListView&) = delete;

    // Creates the list as a child of `parent`; throws std::system_error on failure.
    void Create(HWND parent, const RECT& bounds, int id);
    HWND Handle() const { return window_; }

    int ItemCount() const { return ListView_GetItemCount(window_); }
    // Sets the number of items without scrolling; selection and focus go.
    void SetItemCount(int count) { ListView_SetItemCountEx(window_, count, LVSICF_NOSCROLL); }
    std::optional<int> Selected() const;
    void Select(int index);
    void ClearSelection() { ListView_SetItemState(window_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED); }
    void EditLabel(int index) { ListView_EditLabel(window_, index); }
    bool IsEditing() const { return ListView_GetEditControl(window_) != nullptr; }
    void RedrawItem(int index) { ListView_RedrawItems(window_, index, index); }
    void SetRedraw(bool on);
    void SetFont(HFONT font) { SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    // The item at a point of the list's client area, if any.
    std::optional<int> ItemAt(POINT client) const;
    // The centre of an item's icon in screen coordinates.
    std::optional<POINT> IconCentreOnScreen(int index) const;

private:
    HWND window_ = nullptr;
};

}  // namespace carrow::skin
