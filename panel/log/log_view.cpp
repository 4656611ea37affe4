#include "log/log_view.h"

#include "base/colour_ref.h"
#include "skin/skinned.h"

namespace carrow {

void RefreshLogView(TextView& box, const MessageFilter& filter) {
    // The result is not looked at: without a fresh copy the last one is shown.
    CopyFileA(kServerLog, kServerLogCopy, FALSE);
    LoadTextFile(box, kServerLogCopyWide);
    // Down by N - 1 lines from where the view stands: after new text that puts
    // the last line at the top; the box never scrolls past its last line.
    box.ScrollLines(box.LineCount() - 1);
    ProcessPendingMessages(filter);
}

COLORREF LogView::TextColour() const { return ToColorRef(skin::TextColourOf(box_.Handle())); }

void LogView::SetTextColour(Colour colour) { skin::SetTextColour(box_.Handle(), colour); }

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
