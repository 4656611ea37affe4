// Carrow with failures acted out on request, for the UI suite: the
// environment variable CARROW_REFUSE_TIMER makes the system refuse the log
// refresh timer, and CARROW_FAIL_CALLBACK=button-click makes the procedure of
// a button fail at its first click (the failure must come back as the error
// report while Carrow goes on).  Otherwise it is Carrow itself: the same
// window library, started the same way.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "base/failure.h"
#include "base/guarded.h"
#include "window/application.h"

namespace {

bool Set(const wchar_t* variable, const wchar_t* value = nullptr) {
    wchar_t text[64] = L"";
    const DWORD length = GetEnvironmentVariableW(variable, text, static_cast<DWORD>(std::size(text)));
    return length > 0 && length < std::size(text) && (!value || lstrcmpW(text, value) == 0);
}

UINT_PTR WINAPI RefusedTimer(HWND, UINT_PTR, UINT, TIMERPROC) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

// Points this program's import of user32's SetTimer at RefusedTimer.
bool RefuseTimers() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name; ++module) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), "user32.dll") != 0) continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(name->Name), "SetTimer") != 0) continue;
            DWORD old = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old)) return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&RefusedTimer);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

bool clickFailed = false;

LRESULT CALLBACK FailingButton(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == BM_CLICK && !clickFailed) {
        clickFailed = true;
        carrow::Fail(L"Test failure at button-click");
    }
    return carrow::PassOn(hwnd, message, wParam, lParam);
}

// Every button made from now on fails at the first click of any of them.
LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        const HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t name[32] = L"";
        if ((create->style & WS_CHILD) && GetClassNameW(window, name, 32) && lstrcmpiW(name, WC_BUTTONW) == 0) {
            SetWindowSubclass(window, carrow::GuardedSubclassProc<FailingButton>, 1, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    if (Set(L"CARROW_REFUSE_TIMER") && !RefuseTimers()) return 3;
    if (Set(L"CARROW_FAIL_CALLBACK", L"button-click") &&
        !SetWindowsHookExW(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId())) {
        return 3;
    }
    return carrow::RunApplication(instance, showCommand);
}
