// The ban list and configuration editors, and what all three text boxes of
// the window share: no length limit, and Tab moving the focus on instead of
// typing a tab.
#pragma once

#include <windows.h>

#include "text_files.h"

namespace carrow {

inline constexpr wchar_t kBanListFile[] = L"samp.ban";
inline constexpr wchar_t kConfigFile[] = L"server.cfg";

// Style of the two editors: word wrap, no scroll bars (the view follows the
// caret), Enter breaks the line; the selection hides itself without the focus.
constexpr DWORD kEditorStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;

// What a text box's style cannot say: no length limit, and Tab (Shift+Tab)
// moving the focus to the next (previous) control.
void ApplyTextBoxBehaviour(HWND box);

// The loads when the window is shown: the ban list, then the configuration.
// A failure ends the loads, so a missing ban list leaves both placeholders.
void LoadEditors(TextView& banList, TextView& config);

}  // namespace carrow
