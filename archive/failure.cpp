#include "failure.h"

#include <cstring>

#include "platform/host.h"

namespace tolvane {
namespace {

// Fixed storage so that recording a failure never needs memory.
char lastError[1024];
bool raiseOnError = true;

std::string Substitute(const std::string& pattern, const char* placeholder, const std::string& text) {
    const auto at = pattern.find(placeholder);
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + text + pattern.substr(at + 2);
}

}  // namespace

std::string MessageWith(const std::string& pattern, const std::string& argument) {
    return Substitute(pattern, "%s", argument);
}

std::string MessageWith(const std::string& pattern, int64_t number) {
    return Substitute(pattern, "%d", std::to_string(number));
}

void Fail(const std::string& message) { throw ArchiveError(message); }

void Warn(const std::string& message) { boundary::RecordFailure(message.c_str()); }

const char* LastErrorMessage() { return lastError; }

bool SetRaiseOnError(bool raise) {
    const bool previous = raiseOnError;
    raiseOnError = raise;
    return previous;
}

namespace boundary {

void BeginCall() { lastError[0] = '\0'; }

void RecordFailure(const char* message) {
    std::strncpy(lastError, message, sizeof lastError - 1);
    lastError[sizeof lastError - 1] = '\0';
}

void RaiseRecordedFailure() {
    if (raiseOnError) platform::RaiseFailure(lastError);
}

}  // namespace boundary
}  // namespace tolvane
