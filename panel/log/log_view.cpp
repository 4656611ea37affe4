#include "log/log_view.h"

#include "base/colour_ref.h"
#include "skin/skinned.h"

namespace carrow {

void RefreshLogView(LogView& view, const MessageFilter& filter) {
    view.Refresh().Tick();
    ProcessPendingMessages(filter);
}

void LogView::Attach(const skin::LineView& view, std::function<void()> report) {
    refresh_.Attach(view, ticks_, std::move(report));
}

COLORREF LogView::TextColour() const { return ToColorRef(skin::TextColourOf(Handle())); }

void LogView::SetTextColour(Colour colour) { skin::SetTextColour(Handle(), colour); }

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
