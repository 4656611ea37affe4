// Carrow's start-up: COM and OLE for the GUI thread, the hidden application
// window, Form1 with all its controls, showing it, and the message loop.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <uxtheme.h>

#include "error_report.h"
#include "base/failure.h"
#include "form1.h"
#include "base/guarded.h"
#include "base/system_error.h"

namespace {

// COM and OLE for this thread as a single-threaded apartment, before any
// window exists.
class OleSession {
public:
    OleSession() {
        const HRESULT result = OleInitialize(nullptr);
        if (FAILED(result)) carrow::Fail(L"Cannot initialise OLE: " + carrow::SystemErrorText(result));
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() { OleUninitialize(); }
};

// A hidden window that owns error reports while no window of the program is
// active.  It never has a task-bar button: the main window carries it.
class ApplicationWindow {
public:
    explicit ApplicationWindow(HINSTANCE instance) {
        hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
        if (!hwnd_) carrow::Fail(L"Cannot create the application window: " + carrow::SystemErrorText(GetLastError()));
        carrow::SetApplicationWindow(hwnd_);
    }
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;
    ~ApplicationWindow() {
        carrow::SetApplicationWindow(nullptr);
        DestroyWindow(hwnd_);
    }

private:
    HWND hwnd_;
};

void InitControlClasses() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                          ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    if (!InitCommonControlsEx(&controls)) carrow::Fail(L"Cannot initialise the common controls");
}

int RunMessageLoop(carrow::TForm1& form) {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) carrow::Fail(L"The message loop failed: " + carrow::SystemErrorText(GetLastError()));
        carrow::RunHandler([&] {
            if (!form.PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        });
    }
}

int Run(HINSTANCE instance, int showCommand) {
    OleSession ole;
    BufferedPaintInit();
    InitControlClasses();
    ApplicationWindow application(instance);
    carrow::TForm1 form(instance);
    form.Create();
    form.Show(showCommand);
    const int exitCode = RunMessageLoop(form);
    carrow::ShowWaitingReports();  // failures of the last messages are still shown
    BufferedPaintUnInit();
    return exitCode;
}

}  // namespace

// A failure that ends the program is reported at once: with the application
// window gone there is no message to wait for.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    carrow::SetCallbackFailurePolicy(carrow::ReportAfterCallback);
    return carrow::AtCallback([&] { return Run(instance, showCommand); }, [] { return 1; });
}
