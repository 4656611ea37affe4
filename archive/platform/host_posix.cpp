#include <cstdio>

#include "host.h"
#include "tolvane.h"

namespace tolvane::platform {

void RaiseFailure(const char* message) { throw HostFailure{TOLVANE_EXCEPTION_CODE, message}; }

void ShowLibraryMessage(const char* text) { std::fprintf(stderr, "tolvane: %s\n", text); }

}  // namespace tolvane::platform
