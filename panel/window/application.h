// Carrow's start-up: COM and OLE for the GUI thread, the hidden application
// window, Form1 with all its controls, showing it, and the message loop until
// the window is closed.
#pragma once

#include <windows.h>

namespace carrow {

// The program's exit code; every failure is shown as the error report.
int RunApplication(HINSTANCE instance, int showCommand);

}  // namespace carrow
