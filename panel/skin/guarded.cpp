#include "guarded.h"

namespace carrow {
namespace {

void NoteToDebugger() noexcept { OutputDebugStringW(L"carrow: a callback failed\n"); }

CallbackFailurePolicy policy = NoteToDebugger;

}  // namespace

void SetCallbackFailurePolicy(CallbackFailurePolicy newPolicy) noexcept {
    policy = newPolicy ? newPolicy : NoteToDebugger;
}

void HandleCallbackFailure() noexcept { policy(); }

}  // namespace carrow
