#include "timer.h"

#include "base/failure.h"

namespace carrow {
namespace {

// Test-only: with CARROW_REFUSE_TIMER set the system's refusal is acted out,
// which a test cannot bring about otherwise.
bool RefusedForTest() {
    static const bool refused = GetEnvironmentVariableW(L"CARROW_REFUSE_TIMER", nullptr, 0) > 0;
    return refused;
}

}  // namespace

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    if (enabled) {
        if (RefusedForTest() || !SetTimer(owner_, id_, period_, nullptr)) Fail(L"Not enough timers available");
    } else {
        KillTimer(owner_, id_);
    }
    enabled_ = enabled;
}

}  // namespace carrow
