// How the library reaches its host: the failure signal that ends an export,
// and the progress notes sent to the debugger output.
#pragma once

#include <string>
#include <vector>

namespace tolvane::platform {

// Ends the current export call with the library's failure signal carrying
// message, which must stay valid until the next call.  On Windows this is a
// non-continuable structured exception with code TOLVANE_EXCEPTION_CODE and
// the message pointer as its only parameter; on POSIX (native tests) a C++
// exception of type HostFailure.
[[noreturn]] void RaiseFailure(const char* message);

// One line of text to the debugger output (OutputDebugStringA on Windows).
void SendNote(const std::string& text);

// Modal message box with no owner, caption "tolvane", one OK button and no
// icon; returns when it is dismissed.
void ShowLibraryMessage(const char* text);

#if !defined(_WIN32)
struct HostFailure {
    unsigned long code;
    const char* message;
};

// The notes sent since the last call, for the native tests.
std::vector<std::string> TakeNotes();
#endif

}  // namespace tolvane::platform
