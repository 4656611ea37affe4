// How hosts learn about failures: the last message, and whether failures raise.
#include "failure.h"
#include "tolvane.h"

extern "C" const char* TOLVANE_CALL IMGGetLastError(void) {
    // Reads the previous call's outcome, so it must not start a call of its own.
    return tolvane::LastErrorMessage();
}

extern "C" int32_t TOLVANE_CALL IMGSetRaiseOnError(int32_t raise) {
    return tolvane::AtExportBoundary<int32_t>([&] { return tolvane::SetRaiseOnError(raise != 0) ? 1 : 0; });
}
