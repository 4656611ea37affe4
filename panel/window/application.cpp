#include "window/application.h"

#include <commctrl.h>
#include <ole2.h>
#include <uxtheme.h>

#include "window/error_report.h"
#include "base/failure.h"
#include "window/form1.h"
#include "base/guarded.h"
#include "base/system_error.h"

namespace carrow {
namespace {

// COM and OLE for this thread as a single-threaded apartment, before any
// window exists.
class OleSession {
public:
    OleSession() {
        const HRESULT result = OleInitialize(nullptr);
        if (FAILED(result)) Fail(L"Cannot initialise OLE: " + SystemErrorText(result));
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() { OleUninitialize(); }
};

// Painting through off-screen buffers for this thread, for the skin.
class BufferedPaintSession {
public:
    BufferedPaintSession() {
        const HRESULT result = BufferedPaintInit();
        if (FAILED(result)) Fail(L"Cannot initialise buffered painting: " + SystemErrorText(result));
    }
    BufferedPaintSession(const BufferedPaintSession&) = delete;
    BufferedPaintSession& operator=(const BufferedPaintSession&) = delete;
    ~BufferedPaintSession() { BufferedPaintUnInit(); }
};

// A hidden window that owns error reports while no window of the program is
// active.  It never has a task-bar button: the main window carries it.
class ApplicationWindow {
public:
    explicit ApplicationWindow(HINSTANCE instance) {
        hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
        if (!hwnd_) Fail(L"Cannot create the application window: " + SystemErrorText(GetLastError()));
        SetApplicationWindow(hwnd_);
    }
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;
    ~ApplicationWindow() {
        SetApplicationWindow(nullptr);
        DestroyWindow(hwnd_);
    }

private:
    HWND hwnd_;
};

void InitControlClasses() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                          ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    if (!InitCommonControlsEx(&controls)) Fail(L"Cannot initialise the common controls");
}

int RunMessageLoop(TForm1& form) {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) Fail(L"The message loop failed: " + SystemErrorText(GetLastError()));
        RunHandler([&] {
            if (!form.PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        });
    }
}

}  // namespace

int RunApplication(HINSTANCE instance, int showCommand) {
    SetCallbackFailurePolicy(ReportAfterCallback);
    // A failure that ends the program is reported at once: with the
    // application window gone there is no message to wait for.
    return AtCallback(
        [&] {
            OleSession ole;
            BufferedPaintSession buffers;
            InitControlClasses();
            ApplicationWindow application(instance);
            TForm1 form(instance);
            form.Create();
            form.Show(showCommand);
            const int exitCode = RunMessageLoop(form);
            ShowWaitingReports();  // failures of the last messages are still shown
            return exitCode;
        },
        [] { return 1; });
}

}  // namespace carrow
