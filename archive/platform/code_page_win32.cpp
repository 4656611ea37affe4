#include <windows.h>

#include "code_page.h"

namespace tolvane::platform {

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

}  // namespace tolvane::platform
