// The ban list and configuration editors: the files they edit and their
// loads when the window is shown.
#pragma once

#include "text/text_files.h"

namespace carrow {

inline constexpr wchar_t kBanListFile[] = L"samp.ban";
inline constexpr wchar_t kConfigFile[] = L"server.cfg";

// The ban list, then the configuration.  A failure ends the loads, so a
// missing ban list leaves both editors as they were and server.cfg unread.
void LoadEditors(TextView& banList, TextView& config);

}  // namespace carrow
