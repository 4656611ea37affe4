// A window timer with an enabled flag, as the log refresh uses it.
#pragma once

#include <windows.h>

namespace carrow {

class Timer {
public:
    Timer(UINT_PTR id, UINT periodMs) : id_(id), period_(periodMs) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // The window that receives the ticks as WM_TIMER with Id().
    void Attach(HWND owner) { owner_ = owner; }
    UINT_PTR Id() const { return id_; }
    UINT Period() const { return period_; }
    bool Enabled() const { return enabled_; }

    // Enabling a running timer, or disabling a stopped one, changes nothing:
    // a running timer keeps its schedule.  Enabling fails with "Not enough
    // timers available" when the system refuses the timer.
    void SetEnabled(bool enabled);

private:
    HWND owner_ = nullptr;
    UINT_PTR id_;
    UINT period_;
    bool enabled_ = false;
};

}  // namespace carrow
