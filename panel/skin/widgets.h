// The window's controls as the skin needs them made: push buttons drawn by
// their owner, the tab strip sized from the skin, drop-down lists drawn by
// their owner, the status bar placed like any aligned control, and the
// panel's own containers.  Each returns the control's one object; the skin is
// attached to it apart from this (skinned.h).
#pragma once

#include <windows.h>

#include "base/controls.h"

namespace carrow::skin {

Window CreateButton(const ChildArgs& args);

// A multi-line text box without a length limit.
struct MemoOptions {
    bool verticalScrollBar;
    bool wordWrap;
};
Edit CreateMemo(const ChildArgs& args, MemoOptions options);

// Its tabs as high as the skin's "PAGECONTROL" section says, at dpi.
TabStrip CreateTabStrip(const ChildArgs& args, int dpi);

// A drop-down list whose items are drawn by their owner (CBS_OWNERDRAWFIXED
// with CBS_HASSTRINGS), closed exactly as high as args.place and with room
// for its open list below; items 18 pixels high at dpi.
ComboBox CreateDropDownList(const ChildArgs& args, int dpi);
// Places it closed at place, keeping the room for its open list.
void PlaceDropDownList(const ComboBox& list, const Rect& place);

Window CreateStatusBar(const ChildArgs& args);

// A panel or a tab page: a plain window that holds other controls, sends
// their drawing messages back to them and their commands on to the window.
enum class ContainerKind { Panel, Page };
Window CreateContainer(const ChildArgs& args, ContainerKind kind);

}  // namespace carrow::skin
