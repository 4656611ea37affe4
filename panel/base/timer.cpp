#include "base/timer.h"

#include "base/failure.h"

namespace carrow {

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    if (enabled) {
        if (!SetTimer(owner_, id_, period_, nullptr)) Fail(L"Not enough timers available");
    } else {
        KillTimer(owner_, id_);
    }
    enabled_ = enabled;
}

}  // namespace carrow
