// The window frame in the skin: the non-client area of a top-level window
// (caption bar with icon and caption, minimise and close buttons, sizing
// border) is measured, drawn and hit-tested from the skin's frame, while the
// system keeps doing what a frame does: the system menu, moving, sizing from
// every edge and corner, minimising and closing.
#pragma once

#include <windows.h>

#include "frame.h"
#include "base/handles.h"

namespace carrow::skin {

class SkinnedFrame {
public:
    SkinnedFrame() = default;
    SkinnedFrame(const SkinnedFrame&) = delete;
    SkinnedFrame& operator=(const SkinnedFrame&) = delete;

    // Takes over hwnd's frame from now on, drawn at dpi with the caption in a
    // bold face of font, and sizes the window so that its client area is
    // client.  The window must have WS_CAPTION and WS_SYSMENU for the system
    // menu and the keyboard's close command to keep working.
    void Attach(HWND hwnd, const Frame& frame, int dpi, HFONT font, Size client);

private:
    enum class Button { None, Minimise, Close };

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Messages the system handles first, drawn over afterwards; false for others.
    bool AfterSystem(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT OnCalcSize(RECT& rect) const;
    void OnMouseMoveInFrame(WPARAM hit);
    bool OnButtonDown(UINT message, WPARAM hit, LPARAM lParam);
    bool OnMouseMove(LPARAM lParam);
    void OnCaptureChanged(HWND gainer);
    FrameLayout Layout(Size* window = nullptr) const;
    FrameHit HitAt(POINT screen) const;
    // The client point of a mouse message's lParam, on the screen.
    POINT ScreenPointOf(LPARAM lParam) const;
    void Paint() const;
    void RedrawFrame() const;
    void SetHot(Button button);
    void Press(Button button);
    LRESULT Release(POINT screen);
    State LookOf(Button button) const;
    void AdjustMaximised(MINMAXINFO& info) const;

    HWND hwnd_ = nullptr;
    const Frame* frame_ = nullptr;
    int dpi_ = 96;
    Font captionFont_;
    bool active_ = false;
    bool tracking_ = false;  // a WM_NCMOUSELEAVE is asked for
    Button hot_ = Button::None;
    Button pressed_ = Button::None;  // held down with the mouse captured
    bool pressedOver_ = false;       // and the mouse is over it
};

}  // namespace carrow::skin
