// The library's failure model: one exception type inside, one signal outside.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace tolvane {

// A failure with the message the host will see.  Thrown inside the library
// and turned into the host signal by the export boundary.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The messages a host sees; hosts may match on them.
inline constexpr const char* kCannotOpenFile = "Cannot open file %s";
inline constexpr const char* kCannotCreateFile = "Cannot create file %s";
inline constexpr const char* kStreamWriteError = "Stream write error";
inline constexpr const char* kEntryIndexOutOfRange = "Entry index %d out of range";
inline constexpr const char* kDirectoryIsFull = "Directory is full";
inline constexpr const char* kDirectoryNotReadWhole = "Directory of %s was not read whole";
inline constexpr const char* kDirectoryChanged = "Directory of %s was changed by another program";
inline constexpr const char* kOutOfMemory = "Out of memory";
inline constexpr const char* kNullPointer = "Null pointer";

// Message text with %s replaced by argument ("Cannot open file %s").
std::string MessageWith(const std::string& pattern, const std::string& argument);
// Message text with %d replaced by number ("Entry index %d out of range").
std::string MessageWith(const std::string& pattern, int64_t number);

[[noreturn]] void Fail(const std::string& message);

// Refuses a null destination, source or buffer before anything changes.
inline void RequirePointer(const void* pointer) {
    if (!pointer) Fail(kNullPointer);
}

// Leaves message for the host to ask without ending the call.
void Warn(const std::string& message);

// Message of the most recent export call; empty when it succeeded.
const char* LastErrorMessage();

// Whether a failed call raises the host signal (the default) or returns
// normally with its message left for the host to ask.  Returns the previous
// setting.
bool SetRaiseOnError(bool raise);

namespace boundary {
void BeginCall();
// Keeps a copy of the failed call's message for the host (no allocation).
void RecordFailure(const char* message);
// Signals the recorded failure to the host when failures raise.
void RaiseRecordedFailure();
}  // namespace boundary

// Runs an export body: C++ exceptions never leave it.  The failure is signalled
// only after the catch block ends, so every object of the body, the exception
// object included, is destroyed first.  When failures do not raise, a failed
// call returns a zero result.
template <class Result, class Body>
Result AtExportBoundary(Body&& body) {
    boundary::BeginCall();
    try {
        return body();
    } catch (const ArchiveError& e) {
        boundary::RecordFailure(e.what());
    } catch (const std::bad_alloc&) {
        boundary::RecordFailure(kOutOfMemory);
    } catch (...) {
        boundary::RecordFailure("Internal error");
    }
    boundary::RaiseRecordedFailure();
    if constexpr (!std::is_void_v<Result>) return Result{};
}

}  // namespace tolvane
