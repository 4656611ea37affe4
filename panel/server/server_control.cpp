#include "server/server_control.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include "base/handles.h"
#include "server/process_name.h"
#include "server/server_control_rules.h"

namespace carrow {
namespace {

// The 8-bit process record.
using ProcessRecord = tagPROCESSENTRY32;
#ifndef _WIN64
static_assert(sizeof(ProcessRecord) == 296);
#endif

using CreateSnapshotFunction = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using WalkFunction = BOOL(WINAPI*)(HANDLE snapshot, ProcessRecord* record);

template <class Function>
Function EntryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The snapshot service, looked up by name in kernel32.dll on first use and
// kept for the rest of the run.
struct SnapshotService {
    CreateSnapshotFunction createSnapshot = nullptr;
    WalkFunction first = nullptr;
    WalkFunction next = nullptr;

    static const SnapshotService& Get() {
        static const SnapshotService service = Lookup();
        return service;
    }

    static SnapshotService Lookup() {
        SnapshotService service;
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (!kernel) return service;
        service.createSnapshot = EntryPoint<CreateSnapshotFunction>(kernel, "CreateToolhelp32Snapshot");
        service.first = EntryPoint<WalkFunction>(kernel, "Process32First");
        service.next = EntryPoint<WalkFunction>(kernel, "Process32Next");
        return service;
    }

    UniqueHandle Snapshot() const {
        return UniqueHandle(createSnapshot ? createSnapshot(TH32CS_SNAPPROCESS, 0) : nullptr);
    }
    bool First(const UniqueHandle& snapshot, ProcessRecord& record) const {
        return snapshot && first && first(snapshot.Get(), &record);
    }
    bool Next(const UniqueHandle& snapshot, ProcessRecord& record) const {
        return snapshot && next && next(snapshot.Get(), &record);
    }
};

void Terminate(DWORD processId) {
    const UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (process) TerminateProcess(process.Get(), 0);  // a refusal is not reported
}

ServerSteps StepsOn(Timer& logTimer, HWND mainWindow) {
    return {[] { TerminateProcessesByName(kServerImageName); },
            [&logTimer](bool enabled) { logTimer.SetEnabled(enabled); },
            [mainWindow] { LaunchServer(mainWindow); }};
}

}  // namespace

void StartServer(Timer& logTimer, HWND mainWindow) {
    RunServerCommand(ServerCommand::Start, StepsOn(logTimer, mainWindow));
}

void RestartServer(Timer& logTimer, HWND mainWindow) {
    RunServerCommand(ServerCommand::Restart, StepsOn(logTimer, mainWindow));
}

void StopServer(Timer& logTimer) { RunServerCommand(ServerCommand::Stop, StepsOn(logTimer, nullptr)); }

void LaunchServer(HWND mainWindow) {
    // Any message about a missing or broken file comes from the shell itself.
    ShellExecuteA(mainWindow, nullptr, kServerImageName, nullptr, nullptr, SW_HIDE);
}

void TerminateProcessesByName(const std::string& name) {
    const SnapshotService& service = SnapshotService::Get();
    const UniqueHandle snapshot = service.Snapshot();
    ProcessRecord record = {};
    record.dwSize = sizeof record;
    for (bool fetched = service.First(snapshot, record); fetched; fetched = service.Next(snapshot, record)) {
        if (ImageNameMatches(ImageNameField(record.szExeFile, sizeof record.szExeFile), name)) {
            Terminate(record.th32ProcessID);
        }
    }
}

}  // namespace carrow
