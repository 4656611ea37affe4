#include "error_report.h"

#include <new>
#include <stdexcept>
#include <vector>

#include "error_text.h"
#include "failure.h"

namespace carrow {
namespace {

HWND applicationWindow = nullptr;

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
        auto* me = reinterpret_cast<OtherWindowsDisabled*>(self);
        if (window != me->owner_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            me->disabled_.push_back(window);
        }
        return TRUE;
    }

    HWND owner_;
    std::vector<HWND> disabled_;
};

HWND ReportOwner() {
    HWND active = GetActiveWindow();  // the active window of this thread, if any
    return active ? active : applicationWindow;
}

}  // namespace

std::wstring RunningApplicationTitle() { return ApplicationTitle(ProgramPath(), LowerCaseBySystem); }

void SetApplicationWindow(HWND window) { applicationWindow = window; }

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

void ReportCurrentFailure() noexcept {
    try {
        throw;
    } catch (const Failure& failure) {
        ShowErrorReport(failure.Message());
    } catch (const std::bad_alloc&) {
        ShowErrorReport(L"Out of memory");
    } catch (const std::exception& failure) {
        ShowErrorReport(FromAnsi(failure.what()));
    } catch (...) {
        ShowErrorReport(L"Unexpected failure");
    }
}

}  // namespace carrow
