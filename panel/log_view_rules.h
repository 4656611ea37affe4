// Rules of the live log view that do not need a window: how its lines are
// counted and how ticks keep their error reports from piling up.
#pragma once

#include <string_view>

namespace carrow {

// Lines of a box's text (breaks are CR LF), not counting a last line that is
// empty: "a\r\nb" and "a\r\nb\r\n" both count 2, an empty text counts 0.
int CountLogLines(std::wstring_view text);

// The same for a text whose breaks were counted already.
int CountLineBreaks(std::wstring_view text);
int LogLineCount(int lineBreaks, std::wstring_view text);

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
