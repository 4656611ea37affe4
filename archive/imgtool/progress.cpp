#include "progress.h"

namespace imgtool {

Progress::Progress(std::ostream& err, std::string what, int64_t total)
    : err_(err), what_(std::move(what)), total_(total) {}

Progress::~Progress() {
    if (!shown_) return;
    err_ << '\r' << what_ << ' ' << done_ << '/' << total_ << '\n';
    err_.flush();
}

void Progress::Step(int64_t done) {
    done_ = done;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    shown_ = true;
    err_ << '\r' << what_ << ' ' << done << '/' << total_;
    err_.flush();
}

}  // namespace imgtool
