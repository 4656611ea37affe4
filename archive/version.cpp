// The library's version, for hosts that load whichever tolvane.dll they find.
#include "tolvane.h"

// Like IMGGetLastError it starts no call: asking the version must not clear
// the message a host is about to read.
extern "C" const char* TOLVANE_CALL IMGGetVersion(void) { return TOLVANE_VERSION; }
