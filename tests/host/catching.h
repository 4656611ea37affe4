// Lets a test host survive the library's structured exception and go on, and
// collects the progress notes the library sends to the debugger output.
//
// A vectored handler sees the exception first.  For the library's code it
// records the exception and resumes the thread, outside the dispatcher, in a
// small landing function that jumps back to where the call was made; the
// library has closed its files and destroyed its objects before raising, so
// nothing is skipped by not unwinding.  For DBG_PRINTEXCEPTION_C (what
// OutputDebugStringA raises) it records the note and lets the search go on.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

#include "tolvane.h"

namespace host {

struct Raised {
    bool raised = false;
    DWORD code = 0;
    DWORD flags = 0;
    DWORD parameters = 0;
    std::string message;  // from ExceptionInformation[0]
};

namespace detail {

inline void* jumpBuffer[5];
inline bool armed = false;
inline Raised caught;
inline std::vector<std::string> notes;

[[noreturn]] inline void Land() { __builtin_longjmp(jumpBuffer, 1); }

inline LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        notes.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
        return EXCEPTION_CONTINUE_SEARCH;
    }
    if (record->ExceptionCode != TOLVANE_EXCEPTION_CODE || !armed) return EXCEPTION_CONTINUE_SEARCH;
    armed = false;
    caught.raised = true;
    caught.code = record->ExceptionCode;
    caught.flags = record->ExceptionFlags;
    caught.parameters = record->NumberParameters;
    if (record->NumberParameters >= 1 && record->ExceptionInformation[0]) {
        caught.message = reinterpret_cast<const char*>(record->ExceptionInformation[0]);
    }
    // Continue in Land on fresh stack below the raising frame, as if called.
    CONTEXT* context = info->ContextRecord;
#if defined(_WIN64)
    context->Rsp = ((context->Rsp - 1024) & ~DWORD64{15}) - 8;
    context->Rip = reinterpret_cast<DWORD64>(&Land);
#else
    context->Esp = ((context->Esp - 1024) & ~DWORD{15}) - 4;
    context->Eip = reinterpret_cast<DWORD>(&Land);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

__attribute__((noinline)) inline Raised CallCatching(void (*call)(void*), void* argument) {
    static const PVOID handler = AddVectoredExceptionHandler(1, OnException);
    (void)handler;
    caught = Raised();
#if !defined(_WIN64)
    // 32-bit code keeps a chain of handler frames in fs:[0]; put it back as
    // it was before the call.
    void* frames;
    asm volatile("movl %%fs:0, %0" : "=r"(frames));
#endif
    if (__builtin_setjmp(jumpBuffer) == 0) {
        armed = true;
        call(argument);
        armed = false;
    }
#if !defined(_WIN64)
    asm volatile("movl %0, %%fs:0" : : "r"(frames) : "memory");
#endif
    return caught;
}

}  // namespace detail

// Runs call(); a structured exception of the library ends the call and is
// returned instead of ending the host.
template <class Call>
Raised Catching(Call&& call) {
    using Target = std::remove_reference_t<Call>;
    return detail::CallCatching([](void* c) { (*static_cast<Target*>(c))(); }, &call);
}

// The notes sent since the last call of TakeNotes.
inline std::vector<std::string> TakeNotes() {
    std::vector<std::string> taken;
    taken.swap(detail::notes);
    return taken;
}

}  // namespace host
