// Keeps a control from drawing while it changes; it redraws once when the
// pause ends.  A hidden control is left alone.
#pragma once

#include <windows.h>

#include "base/controls.h"

namespace carrow {

class RedrawPause {
public:
    explicit RedrawPause(HWND control)
        : control_(control), visible_((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) {
        if (visible_) control_.SetRedraw(false);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause() {
        if (!visible_) return;
        control_.SetRedraw(true);
        RedrawWindow(control_.Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }

private:
    Window control_;
    bool visible_;
};

}  // namespace carrow
