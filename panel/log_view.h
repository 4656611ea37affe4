// The live log view: every tick of Timer1 copies server_log.txt to
// server_log1.txt, loads the copy into the view and scrolls its last line to
// the top.  The view's text colour is the operator's choice.
#pragma once

#include <windows.h>

#include "log_view_rules.h"
#include "skin/colour_box_entries.h"
#include "text_files.h"

namespace carrow {

inline constexpr char kServerLog[] = "server_log.txt";
inline constexpr char kServerLogCopy[] = "server_log1.txt";
inline constexpr wchar_t kServerLogCopyWide[] = L"server_log1.txt";

// Style of the log view: vertical scroll bar, no word wrap, editable.
constexpr DWORD kLogViewStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                                ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

struct LogView {
    TextView box;
    PaletteColour textColour = kPanelTextColour;
    TickGate ticks;
};

// One tick's work.  A failed copy is not looked at: the previous copy is
// shown.  A failed load raises its failure before any scrolling.
void RefreshLogView(TextView& box);

// The colour the view's text is drawn in now (a system colour as the system
// has it at this moment).
COLORREF LogTextColour(const LogView& view);

// Makes the colour the view's text colour and redraws the view at once.
void SetLogTextColour(LogView& view, PaletteColour colour);

// Lets the window handle every message that is waiting; a quit request is
// put back for the message loop.
void ProcessPendingMessages();

}  // namespace carrow
