// Real windows for the text box hosts: a visible top-level window holding
// multi-line EDIT controls, files in the current folder, and a way to catch
// the panel's failures.
#pragma once

#include <windows.h>

#include <string>

#include "base/failure.h"
#include "host_check.h"
#include "base/reflect.h"

namespace host {

inline std::string Narrow(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

inline std::string ReadBytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
    CloseHandle(h);
    out.resize(got);
    return out;
}

inline bool WriteText(const std::string& path, const std::string& bytes) {
    return WriteBytes(path, Bytes(bytes.begin(), bytes.end()));
}

inline void Remove(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

inline std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, buffer);
    std::wstring folder = buffer;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

// The failure message of body(), or "" when it did not fail.
template <class Body>
std::wstring FailureOf(Body&& body) {
    try {
        body();
    } catch (const carrow::Failure& f) {
        return f.Message().empty() ? L"<empty failure>" : f.Message();
    }
    return L"";
}

// The text boxes as the window creates them: the log view with a vertical
// scroll bar and no word wrap, the editors wrapping without scroll bars.
constexpr DWORD kBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
constexpr DWORD kLogViewStyle = kBoxStyle | WS_VSCROLL | ES_AUTOHSCROLL;
constexpr DWORD kEditorStyle = kBoxStyle;

// A visible top-level window for child controls.  Like the panel's
// containers it reflects colour and drawing requests to the child.
class TestWindow {
public:
    TestWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TextBoxTestWindow";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"text boxes",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 300, nullptr, nullptr,
                                wc.hInstance, nullptr);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow() { DestroyWindow(hwnd_); }

    HWND Handle() const { return hwnd_; }

    HWND AddEdit(DWORD style, int x, int y, int width, int height) {
        HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"Нет данных для просмотра", style, x, y,
                                    width, height, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
        return edit;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        using carrow::Reflected;
        if (message == WM_CTLCOLOREDIT) {
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(7, 28, 35));
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            const LRESULT brush = SendMessageW(reinterpret_cast<HWND>(lParam), Reflected(message), wParam, lParam);
            return brush ? brush : reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        if (message == WM_DRAWITEM) {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            return SendMessageW(item->hwndItem, Reflected(message), wParam, lParam);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline int FirstVisibleLine(HWND edit) {
    return static_cast<int>(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
}

inline std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

}  // namespace host
