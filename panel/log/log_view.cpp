#include "log_view.h"

#include <commctrl.h>

#include "base/colour_ref.h"
#include "base/failure.h"
#include "base/guarded.h"
#include "skin/reflect.h"
#include "base/system_error.h"

namespace carrow {
namespace {

constexpr UINT_PTR kColourSubclass = 0x4C4F47;

}  // namespace

void RefreshLogView(TextView& box, const MessageFilter& filter) {
    // The result is not looked at: without a fresh copy the last one is shown.
    CopyFileA(kServerLog, kServerLogCopy, FALSE);
    LoadTextFile(box, kServerLogCopyWide);
    // Down by N - 1 lines from where the view stands: after new text that puts
    // the last line at the top; the box never scrolls past its last line.
    box.ScrollLines(box.LineCount() - 1);
    ProcessPendingMessages(filter);
}

void LogView::Attach(HWND box) {
    box_.Attach(box);
    if (!SetWindowSubclass(box, GuardedSubclassProc<BoxProc>, kColourSubclass, reinterpret_cast<DWORD_PTR>(this))) {
        Fail(L"Cannot attach the log view: " + SystemErrorText(GetLastError()));
    }
}

COLORREF LogView::TextColour() const {
    return ToColorRef(colour_);
}

void LogView::SetTextColour(Colour colour) {
    colour_ = colour;
    InvalidateRect(box_.Handle(), nullptr, TRUE);
}

LRESULT CALLBACK LogView::BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
    if (message == skin::Reflected(WM_CTLCOLOREDIT) || message == skin::Reflected(WM_CTLCOLORSTATIC)) {
        // The skin sets the background; the text colour is looked up now.
        SetTextColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<const LogView*>(self)->TextColour());
    }
    return result;
}

void ProcessPendingMessages(const MessageFilter& filter) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (filter && filter(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace carrow
