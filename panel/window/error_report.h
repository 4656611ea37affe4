// The error report: the one way a failure that escapes an event handler is
// shown.  Every handler of the window runs through RunHandler.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace carrow {

// The title of the running program, from its file name: "Carrow" for
// Carrow.exe.
std::wstring RunningApplicationTitle();

// The hidden window that owns a report while none of the program's windows
// is active (as during start-up); reports made inside callbacks are shown
// from its messages.  Null detaches the current one.
void SetApplicationWindow(HWND window);

// Shows message as a modal message box with the error icon and one OK
// button, captioned with the application title and owned by the active
// window; no window of the program takes input until OK is pressed.
void ShowErrorReport(std::wstring_view message) noexcept;

// Puts a question to the operator in a modal message box like the report's,
// with the warning icon and the buttons "Да" and "Нет", "Нет" the default.
// True only for "Да".
bool AskYesNo(std::wstring_view question);

// Shows the failure being handled; call only inside a catch block.
void ReportCurrentFailure() noexcept;

// The policy for a failure caught where Windows called the program: a modal
// box inside a paint or an enumeration is not safe, so the report is shown
// once the callback has returned, one report at a time.  Without an
// application window it is shown at once.
void ReportAfterCallback() noexcept;
// Shows the reports still waiting, as when the message loop has ended.
void ShowWaitingReports() noexcept;

// Runs handler; a failure that escapes it ends it and is shown as the error
// report, after which the program carries on.
template <class Handler>
void RunHandler(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ReportCurrentFailure();
    }
}

}  // namespace carrow
