#include "host.h"
#include "tolvane.h"

namespace tolvane::platform {

void RaiseFailure(const char* message) { throw HostFailure{TOLVANE_EXCEPTION_CODE, message}; }

}  // namespace tolvane::platform
