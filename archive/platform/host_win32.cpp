#include <windows.h>

#include "host.h"
#include "tolvane.h"

namespace tolvane::platform {

void RaiseFailure(const char* message) {
    const ULONG_PTR info[1] = {reinterpret_cast<ULONG_PTR>(message)};
    RaiseException(TOLVANE_EXCEPTION_CODE, EXCEPTION_NONCONTINUABLE, 1, info);
    // A host handler may return from a non-continuable exception only by
    // raising again; never fall through into the caller.
    ExitProcess(TOLVANE_EXCEPTION_CODE);
}

int64_t MemoryBudget() { return kLargestBlock; }

void SendNote(const std::string& text) { OutputDebugStringA(text.c_str()); }

void ShowLibraryMessage(const char* text) {
    // The answer is not used: OK is the only button.
    MessageBoxA(nullptr, text, "tolvane", MB_OK);
}

}  // namespace tolvane::platform
