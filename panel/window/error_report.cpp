#include "window/error_report.h"

#include <deque>
#include <new>
#include <stdexcept>
#include <vector>

#include "window/error_text.h"
#include "base/failure.h"
#include "base/guarded.h"
#include "base/system_error.h"

namespace carrow {
namespace {

constexpr UINT kShowWaitingReports = WM_APP + 1;
constexpr UINT_PTR kReportsSubclass = 0x524550;

HWND applicationWindow = nullptr;
std::deque<std::wstring> waitingReports;
bool reportLost = false;  // a failure whose message could not be kept

std::wstring LowerCaseBySystem(const std::wstring& text) {
    std::wstring lower = text;
    CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}

std::wstring ProgramPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"";
        if (length < path.size()) return {path.data(), length};
        path.resize(path.size() * 2);
    }
}

std::wstring FromAnsi(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return L"";
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

// While a report is open the other windows of the thread are disabled, as
// the owner is; they are enabled again afterwards.
class OtherWindowsDisabled {
public:
    explicit OtherWindowsDisabled(HWND owner) : owner_(owner) {
        EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
    }
    OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
    OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;
    ~OtherWindowsDisabled() {
        for (HWND window : disabled_) EnableWindow(window, TRUE);
    }

private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self) {
        return AtCallback([&] { return reinterpret_cast<OtherWindowsDisabled*>(self)->DisableOne(window); },
                          [] { return FALSE; });
    }

    BOOL DisableOne(HWND window) {
        if (window == owner_ || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
        disabled_.push_back(window);  // kept first: no window may stay disabled for want of memory
        EnableWindow(window, FALSE);
        return TRUE;
    }

    HWND owner_;
    std::vector<HWND> disabled_;
};

// Gives the Yes and No buttons of the message boxes this thread opens while it
// lives their Russian captions, whatever the system's language.
class RussianYesNo {
public:
    RussianYesNo() : hook_(SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId())) {
        if (!hook_) Fail(L"Cannot ask the question: " + SystemErrorText(GetLastError()));
    }
    RussianYesNo(const RussianYesNo&) = delete;
    RussianYesNo& operator=(const RussianYesNo&) = delete;
    ~RussianYesNo() { UnhookWindowsHookEx(hook_); }

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
        AtCallback([&] { if (code == HCBT_ACTIVATE) Translate(reinterpret_cast<HWND>(wParam)); }, [] {});
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static void Translate(HWND box) {
        if (!GetDlgItem(box, IDYES) || !GetDlgItem(box, IDNO)) return;
        SetDlgItemTextW(box, IDYES, L"&Да");
        SetDlgItemTextW(box, IDNO, L"&Нет");
    }

    HHOOK hook_;
};

HWND ReportOwner() {
    HWND active = GetActiveWindow();  // the active window of this thread, if any
    return active ? active : applicationWindow;
}

// The message of the failure being handled; call only inside a catch block.
std::wstring CurrentFailureMessage() {
    try {
        throw;
    } catch (const Failure& failure) {
        return failure.Message();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& failure) {
        return FromAnsi(failure.what());
    } catch (...) {
        return L"Unexpected failure";
    }
}

LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != kShowWaitingReports) return PassOn(hwnd, message, wParam, lParam);
    ShowWaitingReports();
    return 0;
}

}  // namespace

std::wstring RunningApplicationTitle() { return ApplicationTitle(ProgramPath(), LowerCaseBySystem); }

void SetApplicationWindow(HWND window) {
    if (applicationWindow) RemoveWindowSubclass(applicationWindow, GuardedSubclassProc<ApplicationProc>, kReportsSubclass);
    applicationWindow = nullptr;
    if (!window) return;
    if (!SetWindowSubclass(window, GuardedSubclassProc<ApplicationProc>, kReportsSubclass, 0)) {
        Fail(L"Cannot attach the application window");
    }
    applicationWindow = window;
}

void ShowErrorReport(std::wstring_view message) noexcept {
    try {
        const HWND owner = ReportOwner();
        OtherWindowsDisabled others(owner);
        MessageBoxW(owner, ReportText(std::wstring(message)).c_str(), RunningApplicationTitle().c_str(),
                    MB_OK | MB_ICONERROR | MB_APPLMODAL);
    } catch (...) {
        // Not even the report could be made: there is no memory left.
        MessageBoxW(applicationWindow, L"Out of memory.", nullptr, MB_OK | MB_ICONERROR);
    }
}

bool AskYesNo(std::wstring_view question) {
    const std::wstring text(question);
    const std::wstring title = RunningApplicationTitle();
    const HWND owner = ReportOwner();
    OtherWindowsDisabled others(owner);
    RussianYesNo captions;
    const int answer = MessageBoxW(owner, text.c_str(), title.c_str(),
                                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_APPLMODAL);
    if (answer == 0) Fail(L"Cannot ask the question: " + SystemErrorText(GetLastError()));
    return answer == IDYES;
}

void ReportCurrentFailure() noexcept {
    try {
        ShowErrorReport(CurrentFailureMessage());
    } catch (...) {
        ShowErrorReport(L"Out of memory");
    }
}

void ReportAfterCallback() noexcept {
    try {
        waitingReports.push_back(CurrentFailureMessage());
    } catch (...) {
        reportLost = true;
    }
    if (!applicationWindow || !PostMessageW(applicationWindow, kShowWaitingReports, 0, 0)) ShowWaitingReports();
}

void ShowWaitingReports() noexcept {
    static bool showing = false;  // the open report's own loop shows no second one on top
    if (showing) return;
    showing = true;
    while (!waitingReports.empty() || reportLost) {
        if (waitingReports.empty()) {
            reportLost = false;
            ShowErrorReport(L"Out of memory");
            continue;
        }
        const std::wstring message = std::move(waitingReports.front());
        waitingReports.pop_front();
        ShowErrorReport(message);
    }
    showing = false;
}

}  // namespace carrow
