// The live log view: every tick of Timer1 copies server_log.txt to
// server_log1.txt, loads the copy into the view and scrolls its last line to
// the top.  The view's text colour is the operator's choice, kept by the
// box's skin.
#pragma once

#include <windows.h>

#include <functional>

#include "base/colour.h"
#include "base/controls.h"
#include "log/log_view_rules.h"
#include "text/text_files.h"

namespace carrow {

inline constexpr char kServerLog[] = "server_log.txt";
inline constexpr char kServerLogCopy[] = "server_log1.txt";
inline constexpr wchar_t kServerLogCopyWide[] = L"server_log1.txt";

class LogView {
public:
    LogView() = default;
    LogView(const LogView&) = delete;
    LogView& operator=(const LogView&) = delete;

    // Takes over a skinned text box (skin/skinned.h).
    void Attach(const Edit& box) { box_.Attach(box); }

    TextView& Box() { return box_; }
    const TextView& Box() const { return box_; }
    TickGate& Ticks() { return ticks_; }

    // The colour the text is drawn in now: a system colour as the system has
    // it at this moment.
    COLORREF TextColour() const;
    // Makes the colour the text colour and redraws the view at once.
    void SetTextColour(Colour colour);

private:
    TextView box_;
    TickGate ticks_;
};

// The window's own handling of a message before it is dispatched (keyboard
// navigation); true when it took the message.
using MessageFilter = std::function<bool(MSG&)>;

// One tick's work.  A failed copy is not looked at: the previous copy is
// shown.  A failed load raises its failure before any scrolling.  At the end
// every pending message is handled, through the filter first.
void RefreshLogView(TextView& box, const MessageFilter& filter = {});

// Lets the window handle every message that is waiting; a quit request is
// put back for the message loop.
void ProcessPendingMessages(const MessageFilter& filter = {});

}  // namespace carrow
