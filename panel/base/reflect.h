// Messages that a container sends back to the child they came from, so that
// each control draws and answers for itself: a container (the window, a page,
// a panel) turns WM_DRAWITEM, WM_MEASUREITEM, WM_NOTIFY and the WM_CTLCOLOR*
// messages of a child into Reflected(message) sent to that child, with the
// same parameters.  A control handles them in its subclass procedure.
#pragma once

#include <windows.h>

namespace carrow {

constexpr UINT kReflectBase = WM_APP + 0x1000;
constexpr UINT Reflected(UINT message) { return kReflectBase + message; }

// Sends message back to the child it came from.  True when message is one
// that is reflected; result is then the child's answer.
bool ReflectToChild(HWND container, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace carrow
