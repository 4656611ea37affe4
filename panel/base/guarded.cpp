#include "base/guarded.h"

namespace carrow {
namespace {

void NoteToDebugger() noexcept { OutputDebugStringW(L"carrow: a callback failed\n"); }

CallbackFailurePolicy policy = NoteToDebugger;

// The record of the innermost guarded subclass call on this thread.
thread_local PassRecord* innermost = nullptr;

}  // namespace

void SetCallbackFailurePolicy(CallbackFailurePolicy newPolicy) noexcept {
    policy = newPolicy ? newPolicy : NoteToDebugger;
}

void HandleCallbackFailure() noexcept { policy(); }

PassRecord::PassRecord() : outer_(innermost) { innermost = this; }

PassRecord::~PassRecord() { innermost = outer_; }

LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PassRecord* const record = innermost;  // calls nested inside DefSubclassProc restore it before it returns
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (record) {
        record->passed = true;
        record->result = result;
    }
    return result;
}

}  // namespace carrow
