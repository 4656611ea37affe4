// The control panel's failure: a message for the error report.  Raised where
// an operation fails and shown by the window, which runs every handler through
// the one report (error_report.h).
#pragma once

#include <stdexcept>
#include <string>

namespace carrow {

class Failure : public std::runtime_error {
public:
    explicit Failure(std::wstring message) : std::runtime_error("control panel failure"), message_(std::move(message)) {}
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};

[[noreturn]] inline void Fail(std::wstring message) { throw Failure(std::move(message)); }

}  // namespace carrow
