#include "progress.h"

namespace imgtool {
namespace {

bool progressOnConsole = false;

}  // namespace

void SetProgressOnConsole(bool console) { progressOnConsole = console; }

Progress::Progress(std::ostream& err, std::string what, int64_t total)
    : err_(err), what_(std::move(what)), total_(total), console_(progressOnConsole) {}

void Progress::Finish() {
    if (finished_ || shownDone_ < 0) return;  // nothing was done: no line to end
    finished_ = true;
    if (shownDone_ != done_) Show();
    if (console_) err_ << '\n';
    err_.flush();
}

void Progress::Step(int64_t done) {
    done_ = done;
    const auto now = std::chrono::steady_clock::now();
    // A log gets fewer lines than a console gets redraws.
    const auto pause = std::chrono::milliseconds(console_ ? 250 : 1000);
    if (shownDone_ >= 0 && now - last_ < pause) return;
    last_ = now;
    Show();
    err_.flush();
}

void Progress::Show() {
    shownDone_ = done_;
    if (console_) {
        err_ << '\r' << what_ << ' ' << done_ << '/' << total_;
    } else {
        err_ << what_ << ' ' << done_ << '/' << total_ << '\n';
    }
}

}  // namespace imgtool
