// Every function that Windows calls (window and subclass procedures,
// enumeration callbacks, the entry point) runs its body through AtCallback.
// No C++ exception may unwind into a system frame: on 32-bit builds that ends
// the program.  A failure is caught at the boundary, handed to the program's
// one policy, and Windows gets a safe answer instead.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace carrow {

// What becomes of a failure caught at a callback.  Called inside the catch
// block; it must not throw.  Until a program sets one, failures are noted to
// the debugger only.
using CallbackFailurePolicy = void (*)() noexcept;
void SetCallbackFailurePolicy(CallbackFailurePolicy policy) noexcept;
void HandleCallbackFailure() noexcept;

// Test-only: when the environment variable CARROW_FAIL_CALLBACK names point,
// the first call fails, so a test can watch a callback fail.
void FailOnceForTest(const wchar_t* point);

// Runs body; on failure hands it to the policy and returns fallback(), called
// after the failure is destroyed.
template <class Body, class Fallback>
auto AtCallback(Body&& body, Fallback&& fallback) noexcept -> decltype(fallback()) {
    try {
        return body();
    } catch (...) {
        HandleCallbackFailure();
    }
    return fallback();
}

// Procedure as a window procedure; a failure leaves the message to
// DefWindowProc.
template <WNDPROC Procedure>
LRESULT CALLBACK GuardedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return AtCallback([&] { return Procedure(hwnd, message, wParam, lParam); },
                      [&] { return DefWindowProcW(hwnd, message, wParam, lParam); });
}

// Procedure as a subclass procedure, removed when its window goes; a failure
// leaves the message to the control's own handling.
template <SUBCLASSPROC Procedure>
LRESULT CALLBACK GuardedSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data) {
    return AtCallback(
        [&] {
            if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, GuardedSubclassProc<Procedure>, id);
            return Procedure(hwnd, message, wParam, lParam, id, data);
        },
        [&] { return DefSubclassProc(hwnd, message, wParam, lParam); });
}

}  // namespace carrow
