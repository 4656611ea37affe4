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

// A subclass procedure hands a message on to the control's own handling
// through PassOn, never DefSubclassProc itself: the guard then knows that the
// message was handled, and after a failure returns what that gave instead of
// handling the message a second time.
LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The record of one guarded subclass call: whether its procedure passed the
// message on, and the answer.  Calls nest (a message handled inside another),
// so each call keeps its own and PassOn marks the innermost.
class PassRecord {
public:
    PassRecord();
    PassRecord(const PassRecord&) = delete;
    PassRecord& operator=(const PassRecord&) = delete;
    ~PassRecord();

    bool passed = false;
    LRESULT result = 0;

private:
    PassRecord* outer_;
};

// Procedure as a subclass procedure, removed when its window goes; a failure
// leaves the message to the control's own handling unless the procedure had
// handed it on already.
template <SUBCLASSPROC Procedure>
LRESULT CALLBACK GuardedSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data) {
    PassRecord record;
    return AtCallback(
        [&] {
            if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, GuardedSubclassProc<Procedure>, id);
            return Procedure(hwnd, message, wParam, lParam, id, data);
        },
        [&] { return record.passed ? record.result : DefSubclassProc(hwnd, message, wParam, lParam); });
}

}  // namespace carrow
