// The live log view: every tick of Timer1 brings server_log1.txt up to date
// with server_log.txt, loads what changed into the view and scrolls its last
// line to the top.  The view's text colour is the operator's choice.
#pragma once

#include <windows.h>

#include <functional>

#include "base/colour.h"
#include "skin/line_view.h"
#include "log/log_refresh.h"
#include "log/log_view_rules.h"

namespace carrow {

class LogView {
public:
    LogView() = default;
    LogView(const LogView&) = delete;
    LogView& operator=(const LogView&) = delete;

    // Takes over a skinned line view (skin/skinned.h), whose skin keeps the
    // text colour.  Failures of the work that ticks leave for later are shown
    // by `report`.
    void Attach(const skin::LineView& view, std::function<void()> report = {});

    HWND Handle() const { return refresh_.View().Handle(); }
    const skin::LineView& Box() const { return refresh_.View(); }
    // Lines of the view, not counting a last line that is empty.
    int LineCount() const { return refresh_.LineCount(); }
    LogRefresh& Refresh() { return refresh_; }
    TickGate& Ticks() { return ticks_; }

    // The colour the text is drawn in now: a system colour as the system has
    // it at this moment.
    COLORREF TextColour() const;
    // Makes the colour the text colour and redraws the view at once.
    void SetTextColour(Colour colour);

private:
    TickGate ticks_;
    LogRefresh refresh_;
};

// The window's own handling of a message before it is dispatched (keyboard
// navigation); true when it took the message.
using MessageFilter = std::function<bool(MSG&)>;

// One tick's work.  A failed copy is not looked at: the previous copy is
// shown.  A failed load raises its failure before any scrolling.  At the end
// every pending message is handled, through the filter first.
void RefreshLogView(LogView& view, const MessageFilter& filter = {});

// Lets the window handle every message that is waiting; a quit request is
// put back for the message loop.
void ProcessPendingMessages(const MessageFilter& filter = {});

}  // namespace carrow
