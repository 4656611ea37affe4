// How the library reaches its host: the failure signal that ends an export,
// and the progress notes sent to the debugger output.
#pragma once

#include <cstdint>
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

// The most bytes the library takes or moves in one block: what a 32-bit
// process can address in one piece (2 GiB less one byte), on every build.
// So both builds answer alike, and a record of gigabytes in a damaged
// directory cannot make a 64-bit host take them, nor write them out.
constexpr int64_t kLargestBlock = 0x7FFFFFFF;

// The memory budget of one block: kLargestBlock, or less where the native
// build has lowered it.  Below it the real memory decides.
int64_t MemoryBudget();

#if !defined(_WIN32)
// Sets the budget (at most kLargestBlock), so that a fuzzer or a test reaches
// large records without allocating them.
void SetMemoryBudget(int64_t bytes);

struct HostFailure {
    unsigned long code;
    const char* message;
};

// The notes sent since the last call (the latest 4096 of them), for the
// native tests.
std::vector<std::string> TakeNotes();
#endif

}  // namespace tolvane::platform
