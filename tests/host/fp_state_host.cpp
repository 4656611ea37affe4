// The library leaves the host's floating-point state alone: at load, in every
// call, and when threads attach while it is loaded.
#include <cstdio>

#include "fp_state.h"
#include "host_check.h"
#include "tolvane.h"

namespace {

using host::Check;
using host::FpState;

DWORD WINAPI DoNothing(LPVOID) { return 0; }

void StartAThread() {
    HANDLE t = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
}

std::string Hex(FpState s) {
    char text[48];
    std::snprintf(text, sizeof text, " (x87 %04x, mxcsr %08lx)", s.x87, static_cast<unsigned long>(s.mxcsr));
    return text;
}

template <class Fn>
Fn Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

}  // namespace

int main() {
    Check(LoadLibraryA("fp_marker.dll") != nullptr, "the marker DLL loads");
    host::WriteFpState(host::kMarker);
    HMODULE dll = LoadLibraryA("tolvane.dll");
    Check(dll != nullptr, "tolvane.dll loads by name");
    HMODULE probe = LoadLibraryA("fp_probe.dll");
    Check(probe != nullptr, "the probe DLL loads");
    if (!dll || !probe) return host::Finish();
    const FpState afterLoad = host::ReadFpState();
    Check(afterLoad == host::kMarker, "loading the library keeps the loading thread's state" + Hex(afterLoad));

    StartAThread();
    const FpState attached = *Export<FpState* (*)()>(probe, "ProbeLastThreadState")();
    Check(attached == host::kMarker, "a thread attaching to the library keeps its state" + Hex(attached));

    host::WriteBytes("fp.dir", host::Bytes(64));
    host::WriteBytes("fp.img", host::Bytes(8192));
    Export<decltype(&IMGLoadImg)>(dll, "IMGLoadImg")("fp");
    Export<decltype(&IMGFileCount)>(dll, "IMGFileCount")();
    Export<decltype(&IMGHowMuchFragmented)>(dll, "IMGHowMuchFragmented")();
    Export<decltype(&IMGRemoveFile)>(dll, "IMGRemoveFile")(0);
    const FpState afterCalls = host::ReadFpState();
    Check(afterCalls == host::kMarker, "calls keep the calling thread's state" + Hex(afterCalls));
    return host::Finish();
}
