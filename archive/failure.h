// The library's failure model: one exception type inside, one signal outside.
#pragma once

#include <stdexcept>
#include <string>

namespace tolvane {

// A failure with the message the host will see.  Thrown inside the library
// and turned into the host signal by the export boundary.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Message text with %s replaced by argument ("Cannot open file %s").
std::string MessageWith(const std::string& pattern, const std::string& argument);

[[noreturn]] void Fail(const std::string& message);

// Message of the most recent export call; empty when it succeeded.
const char* LastErrorMessage();

namespace boundary {
void BeginCall();
// Keeps a copy of the failed call's message for the host (no allocation).
void RecordFailure(const char* message);
// Signals the recorded failure to the host.
[[noreturn]] void RaiseRecordedFailure();
}  // namespace boundary

// Runs an export body: C++ exceptions never leave it.  The failure is signalled
// only after the catch block ends, so every object of the body, the exception
// object included, is destroyed first.
template <class Result, class Body>
Result AtExportBoundary(Body&& body) {
    boundary::BeginCall();
    try {
        return body();
    } catch (const ArchiveError& e) {
        boundary::RecordFailure(e.what());
    } catch (const std::bad_alloc&) {
        boundary::RecordFailure("Out of memory");
    } catch (...) {
        boundary::RecordFailure("Internal error");
    }
    boundary::RaiseRecordedFailure();
}

}  // namespace tolvane
