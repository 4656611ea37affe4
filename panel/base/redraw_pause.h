// Keeps a control from drawing while it changes; it redraws once when the
// pause ends.  A hidden control is left alone.
#pragma once

#include <windows.h>

#include "base/control_handles.h"

namespace carrow {

class RedrawPause {
public:
    explicit RedrawPause(HWND box)
        : box_(box), visible_((GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE) != 0) {
        if (visible_) ControlHandle(box_).SetRedraw(false);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause() {
        if (!visible_) return;
        ControlHandle(box_).SetRedraw(true);
        RedrawWindow(box_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }

private:
    HWND box_;
    bool visible_;
};

}  // namespace carrow
