#include "code_page.h"

namespace tolvane::platform {

// The native build stands for a single-byte code page.
bool IsLeadByte(unsigned char) { return false; }

}  // namespace tolvane::platform
