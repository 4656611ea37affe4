#include "log_view.h"

namespace carrow {

void RefreshLogView(TextView& box) {
    // The result is not looked at: without a fresh copy the last one is shown.
    CopyFileA(kServerLog, kServerLogCopy, FALSE);
    LoadTextFile(box, kServerLogCopyWide);
    // Down by N - 1 lines from where the view stands: after new text that puts
    // the last line at the top; the box never scrolls past its last line.
    SendMessageW(box.Handle(), EM_LINESCROLL, 0, box.LineCount() - 1);
    ProcessPendingMessages();
}

COLORREF LogTextColour(const LogView& view) {
    return Resolve(view.textColour, [](int index) { return GetSysColor(index); });
}

void SetLogTextColour(LogView& view, PaletteColour colour) {
    view.textColour = colour;
    InvalidateRect(view.box.Handle(), nullptr, TRUE);
}

void ProcessPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace carrow
