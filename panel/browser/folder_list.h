// The shell folder list: a SysListView32 in large-icon view over the system
// image list, whose items its owner supplies on demand (a virtual list),
// drawn with the "EDIT" skin.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "controls.h"

namespace carrow::skin {

class ShellListView : public Control {
public:
    // White background and the panel's dark blue text; throws Failure when
    // the list cannot be made.
    void Create(const CreateArgs& args);

    int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    // Sets the number of items without scrolling; selection and focus go.
    void SetItemCount(int count) const { Send(LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL); }
    std::optional<int> Selected() const;
    void Select(int index) const;
    void ClearSelection() const;
    void EditLabel(int index) const { Send(LVM_EDITLABELW, index); }
    bool IsEditing() const { return Send(LVM_GETEDITCONTROL) != 0; }
    void RedrawItem(int index) const { Send(LVM_REDRAWITEMS, index, index); }
    void SetRedraw(bool on) const;
    // The item at a point of the list's client area, if any.
    std::optional<int> ItemAt(POINT client) const;
    // The centre of an item's icon in screen coordinates.
    std::optional<POINT> IconCentreOnScreen(int index) const;
};

}  // namespace carrow::skin
