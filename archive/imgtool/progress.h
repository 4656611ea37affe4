// A progress line on stderr for long work: rewritten in place, at most a few
// times a second, ended with a newline.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace imgtool {

class Progress {
public:
    Progress(std::ostream& err, std::string what, int64_t total);
    ~Progress();
    void Step(int64_t done);

private:
    std::ostream& err_;
    std::string what_;
    int64_t total_;
    int64_t done_ = 0;
    std::chrono::steady_clock::time_point last_{};
    bool shown_ = false;
};

}  // namespace imgtool
