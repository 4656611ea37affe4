// Starting, restarting and stopping the server: the program samp-server.exe
// in the current folder, run as a separate process that the panel neither
// watches nor talks to.  The panel keeps no record of what it launched: the
// server is whatever process runs under the image name, whoever started it.
#pragma once

#include <windows.h>

#include <string>

#include "base/timer.h"

namespace carrow {

inline constexpr char kServerImageName[] = "samp-server.exe";

// "Старт": enables the log refresh timer, then launches the server.
void StartServer(Timer& logTimer, HWND mainWindow);
// "Рестарт": terminates every server, enables the timer, launches anew.
void RestartServer(Timer& logTimer, HWND mainWindow);
// "Стоп": terminates every server, then disables the timer.
void StopServer(Timer& logTimer);

// Asks the shell to run samp-server.exe hidden, owned by mainWindow; whether
// it started is not examined.
void LaunchServer(HWND mainWindow);

// Terminates (exit code 0, without waiting) every process whose image name
// matches name; processes that cannot be opened or ended are skipped and
// nothing is ever reported.
void TerminateProcessesByName(const std::string& name);

}  // namespace carrow
