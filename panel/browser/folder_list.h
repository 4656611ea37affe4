// The folder list control: a SysListView32 in large-icon view over the
// system image list, whose items its owner supplies on demand (a virtual
// list), white with the panel's dark blue text.
#pragma once

#include "base/controls.h"

namespace carrow {

// Fails when the list cannot be made; without the system's icons the names
// still show.
ListView CreateFolderList(const ChildArgs& args);

}  // namespace carrow
