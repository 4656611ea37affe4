// A stand-in for the game server in tests and demos: a Windows program named
// samp-server.exe that appends timestamped lines to server_log.txt in its
// current folder twice a second, keeps the log open so that others can read
// and copy it, and runs until it is terminated.  Its one window is shown as
// it was asked to be, so a test can tell a hidden start from a visible one.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 500;

HANDLE logFile = INVALID_HANDLE_VALUE;
int ticks = 0;

void WriteLogLine(const std::string& text) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%02u:%02u:%02u] ", now.wHour, now.wMinute, now.wSecond);
    const std::string line = stamp + text + "\r\n";
    DWORD written = 0;
    WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int RequestedShowCommand() {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            ++ticks;
            WriteLogLine("Server tick " + std::to_string(ticks) + ": 0 of 50 players online");
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Shared for reading, writing and deleting: the panel copies the log while
    // it is open here.
    logFile = CreateFileW(L"server_log.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logFile == INVALID_HANDLE_VALUE) return 1;
    const int show = RequestedShowCommand();
    WriteLogLine("Stand-in server started: process " + std::to_string(GetCurrentProcessId()) + ", show command " +
                 std::to_string(show));
    WriteLogLine("Listening on port 7777, 50 slots");

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"StandInServer";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"samp-server", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                320, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    SetTimer(window, kTickTimer, kTickMs, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    CloseHandle(logFile);
    return 0;
}
