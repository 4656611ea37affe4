// Rules of the live log view that do not need a window: how ticks keep their
// error reports from piling up.
#pragma once

namespace carrow {

// Lets one tick run at a time.  A tick that falls due while another runs, be
// it inside the tick's own message processing or while its error report is
// open, is skipped: so at most one report from ticks is ever open, and the
// first tick after the report is closed tries again.
class TickGate {
public:
    // Runs refresh(); when it throws, report() runs inside the catch block,
    // still inside the gate.
    template <class Refresh, class Report>
    void Run(Refresh&& refresh, Report&& report) {
        if (running_) return;
        running_ = true;
        struct Reopen {
            bool& flag;
            ~Reopen() { flag = false; }
        } reopen{running_};
        try {
            refresh();
        } catch (...) {
            report();
        }
    }

    bool Running() const { return running_; }

private:
    bool running_ = false;
};

}  // namespace carrow
