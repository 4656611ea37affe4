// A progress line on stderr for long work.  On a console one line is rewritten
// in place; into a file or a pipe each report is a whole line, so that a log
// reads line by line.  At most a few reports a second; the last count always
// shows.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace imgtool {

// Whether progress goes to a console (set once by main; off by default).
void SetProgressOnConsole(bool console);

class Progress {
public:
    Progress(std::ostream& err, std::string what, int64_t total);
    ~Progress() { Finish(); }
    void Step(int64_t done);
    // Shows the last count and ends the line, so that what follows starts on
    // a line of its own; the destructor does it when nobody did.
    void Finish();

private:
    void Show();

    std::ostream& err_;
    std::string what_;
    int64_t total_;
    bool console_;
    int64_t done_ = 0;
    int64_t shownDone_ = -1;
    bool finished_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace imgtool
