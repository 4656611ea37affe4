// Two DLLs in one source.  Built as fp_marker.dll it gives every new thread a
// distinctive floating-point state when the thread attaches, as a host's
// runtime would; built as fp_probe.dll (FP_PROBE defined) it records the
// state it finds when a thread attaches.  Loaded in the order marker,
// tolvane, probe, the probe sees what tolvane.dll's thread-attach work left.
#include <windows.h>

#include "fp_state.h"

#ifdef FP_PROBE
static host::FpState seen;
extern "C" __declspec(dllexport) host::FpState* ProbeLastThreadState() { return &seen; }
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_THREAD_ATTACH) {
#ifdef FP_PROBE
        seen = host::ReadFpState();
#else
        host::WriteFpState(host::kMarker);
#endif
    }
    return TRUE;
}
