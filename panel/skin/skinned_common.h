// What the subclass procedures of the skinned controls share, and the
// procedures themselves; each control kind has its file skinned_KIND.cpp.
// They hand messages on with PassOn (base/guarded.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/guarded.h"
#include "base/handles.h"
#include "skin_paint.h"
#include "skinned.h"

namespace carrow::skin::skinned {

inline SkinState& SkinOf(DWORD_PTR data) { return *reinterpret_cast<SkinState*>(data); }

// Paints the whole client area for WM_PAINT (through a buffer) and for
// WM_PRINTCLIENT (into the given context).
template <class Painter>
inline LRESULT PaintClient(HWND hwnd, UINT message, WPARAM wParam, Painter&& paint) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (message == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    const PaintScope painting(hwnd);
    const BufferedPaint buffer(painting.Dc(), client);
    paint(buffer.Dc(), client);
    return 0;
}

inline bool IsPaint(UINT message) { return message == WM_PAINT || message == WM_PRINTCLIENT; }

// Keeps skin.hot in step with the mouse; true when it changed.
bool TrackHot(HWND hwnd, UINT message, SkinState& skin);

void RedrawFrame(HWND hwnd);

// The frame of a box (text box, list): its one-pixel border in the box's
// state, drawn over the control's own and again when the state changes.  True
// when message was one of the frame's; result is then the answer.
bool BoxFrameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, SkinState& skin, LRESULT& result);

// The answer to a reflected WM_CTLCOLOR...: the skin's text and background.
LRESULT ColoursOf(const SkinState& skin, WPARAM dc);

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
LRESULT CALLBACK TabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
LRESULT CALLBACK ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
// Pages and panels: a plain face behind their children.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

}  // namespace carrow::skin::skinned
