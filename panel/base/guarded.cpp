#include "base/guarded.h"

#include <string>

#include "base/failure.h"

namespace carrow {
namespace {

void NoteToDebugger() noexcept { OutputDebugStringW(L"carrow: a callback failed\n"); }

CallbackFailurePolicy policy = NoteToDebugger;

// The point named by CARROW_FAIL_CALLBACK, read once; empty when unset.
std::wstring TestFailurePoint() {
    wchar_t name[64] = L"";
    const DWORD length = GetEnvironmentVariableW(L"CARROW_FAIL_CALLBACK", name, static_cast<DWORD>(std::size(name)));
    return length > 0 && length < std::size(name) ? std::wstring(name, length) : std::wstring();
}

}  // namespace

void SetCallbackFailurePolicy(CallbackFailurePolicy newPolicy) noexcept {
    policy = newPolicy ? newPolicy : NoteToDebugger;
}

void HandleCallbackFailure() noexcept { policy(); }

void FailOnceForTest(const wchar_t* point) {
    static std::wstring pending = TestFailurePoint();
    if (pending.empty() || pending != point) return;
    pending.clear();
    Fail(L"Test failure at " + std::wstring(point));
}

}  // namespace carrow
