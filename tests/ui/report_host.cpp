// A Windows program that shows one error report through the panel's own
// report code, for the UI driver to inspect: with "active" two windows of its
// own are open and the first is active; with "none" no window is active, as
// during start-up.  Exits 0 when every window that the report disabled is
// enabled again afterwards.
#include <windows.h>

#include <string>

#include "window/error_report.h"
#include "base/failure.h"

namespace {

HWND MakeWindow(HINSTANCE instance, const wchar_t* title, int x) {
    HWND window = CreateWindowExW(0, L"ReportHost", title, WS_OVERLAPPEDWINDOW, x, 0, 240, 160, nullptr, nullptr,
                                  instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"ReportHost";
    RegisterClassW(&wc);
    HWND hidden = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                  nullptr);
    carrow::SetApplicationWindow(hidden);

    HWND first = nullptr;
    HWND second = nullptr;
    if (std::wstring(commandLine).find(L"active") != std::wstring::npos) {
        second = MakeWindow(instance, L"second", 300);
        first = MakeWindow(instance, L"first", 0);
        SetActiveWindow(first);
    }
    carrow::RunHandler([] { carrow::Fail(L"Cannot open file \"C:\\srv\\samp.ban\". File not found"); });
    const bool enabledAgain = (!first || IsWindowEnabled(first)) && (!second || IsWindowEnabled(second));
    return enabledAgain ? 0 : 2;
}
