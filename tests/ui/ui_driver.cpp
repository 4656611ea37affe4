#include "ui_driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <utility>

namespace ui {

Process::Process(Process&& other) noexcept : info_(std::exchange(other.info_, {})) {}

Process& Process::operator=(Process&& other) noexcept {
    std::swap(info_, other.info_);
    return *this;
}

Process::~Process() {
    if (!info_.hProcess) return;
    if (Running()) Kill();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Process::Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

bool Process::WaitForExit(DWORD timeoutMs) const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

void Process::Kill() const {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(stepMs);
    }
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length && length < MAX_PATH ? std::wstring(full, length) : path;
}

bool MakeFolder(const std::wstring& folder) {
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyInto(const std::wstring& file, const std::wstring& folder, const std::wstring& newName) {
    const auto slash = file.find_last_of(L"\\/");
    const std::wstring name = newName.empty() ? (slash == std::wstring::npos ? file : file.substr(slash + 1)) : newName;
    return CopyFileW(file.c_str(), (folder + L"\\" + name).c_str(), FALSE);
}

bool WriteTextFile(const std::wstring& path, const std::string& bytes, DWORD attributes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadTextFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

Process Start(const std::wstring& program, const std::wstring& folder, int showCommand,
              const std::wstring& arguments) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        return Process();
    }
    return Process(info);
}

DWORD ExitCodeOf(const Process& process) {
    DWORD code = STILL_ACTIVE;
    if (!process.Handle() || !GetExitCodeProcess(process.Handle(), &code)) return STILL_ACTIVE;
    return code;
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOf(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopWindowsOf(DWORD processId) {
    WindowSearch search = {processId, {}};
    EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(DWORD processId, const wchar_t* windowClass, bool visible, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindowsOf(processId)) {
                if ((!windowClass || ClassOf(window) == windowClass) && (!visible || IsWindowVisible(window))) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"<hung>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        5000, &copied);
    text.resize(copied);
    return text;
}

LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

namespace {

HWND FindIn(HWND parent, const wchar_t* windowClass, const wchar_t* text, int& index) {
    for (HWND child : ChildrenOf(parent)) {
        if (ClassOf(child) == windowClass && (!text || TextOf(child) == text) && index-- == 0) return child;
        if (HWND deeper = FindIn(child, windowClass, text, index)) return deeper;
    }
    return nullptr;
}

}  // namespace

HWND FindDescendant(HWND root, const wchar_t* windowClass, const wchar_t* text, int index) {
    return FindIn(root, windowClass, text, index);
}

RECT PlaceOf(HWND window) {
    RECT place;
    GetWindowRect(window, &place);
    HWND parent = GetAncestor(window, GA_PARENT);
    if (parent && parent != GetDesktopWindow()) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

SIZE ClientSizeOf(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void PostKey(HWND window, WORD key) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(window, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void ClickAt(HWND window, POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) { return WaitForTopWindow(processId, L"#32770", true, timeoutMs); }

std::wstring MessageBoxText(HWND box) {
    constexpr int kTextId = 0xFFFF;  // the message text's static control
    HWND text = GetDlgItem(box, kTextId);
    return text ? TextOf(text) : L"";
}

std::vector<std::wstring> MessageBoxButtons(HWND box) {
    std::vector<std::wstring> captions;
    for (HWND child : ChildrenOf(box)) {
        if (ClassOf(child) == L"Button" && IsWindowVisible(child)) captions.push_back(TextOf(child));
    }
    return captions;
}

namespace {

// The screen's pixels of a window, row by row.
std::vector<COLORREF> ScreenPixels(HWND window, int& width, int& height) {
    RECT rect;
    GetWindowRect(window, &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(screen, rect.left + x, rect.top + y));
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

// How many pixels differ between `shown` and `icon` drawn on the colour of
// the shown corner.
int Difference(const std::vector<COLORREF>& shown, int width, int height, HICON icon) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH background = CreateSolidBrush(shown.front());
    const RECT all = {0, 0, width, height};
    FillRect(dc, &all, background);
    DeleteObject(background);
    DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    int differ = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) differ += GetPixel(dc, x, y) != shown[static_cast<size_t>(y * width + x)];
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return differ;
}

}  // namespace

const wchar_t* MessageBoxIcon(HWND box) {
    HWND shown = nullptr;
    for (HWND child : ChildrenOf(box)) {
        if (ClassOf(child) == L"Static" && (StyleOf(child) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
            shown = child;
        }
    }
    if (!shown) return nullptr;
    int width = 0, height = 0;
    const std::vector<COLORREF> pixels = ScreenPixels(shown, width, height);
    if (pixels.empty()) return nullptr;
    const wchar_t* best = nullptr;
    int bestDifference = width * height / 10;  // more than this: none of them
    for (const wchar_t* icon : {IDI_HAND, IDI_EXCLAMATION, IDI_ASTERISK, IDI_QUESTION}) {
        const int difference = Difference(pixels, width, height, LoadIconW(nullptr, icon));
        if (difference < bestDifference) {
            best = icon;
            bestDifference = difference;
        }
    }
    return best;
}

void PressOk(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

LRESULT SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* buffer, SIZE_T size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return 0;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    LRESULT result = 0;
    if (remote && WriteProcessMemory(process, remote, buffer, size, nullptr)) {
        result = SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, buffer, size, nullptr);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return result;
}

RECT TabRect(HWND tabs, int index) {
    RECT rect = {};
    SendWithBuffer(tabs, TCM_GETITEMRECT, index, &rect, sizeof rect);
    return rect;
}

std::wstring TabCaption(HWND tabs, int index) {
    // The item and its text buffer travel together: the text right after it.
    struct Remote {
        TCITEMW item;
        wchar_t text[128];
    };
    DWORD processId = 0;
    GetWindowThreadProcessId(tabs, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return L"";
    auto* remote = static_cast<Remote*>(
        VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    Remote local = {};
    local.item.mask = TCIF_TEXT;
    local.item.pszText = remote ? remote->text : nullptr;
    local.item.cchTextMax = 128;
    if (remote && WriteProcessMemory(process, remote, &local, sizeof local, nullptr) &&
        SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(remote))) {
        ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return local.text;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* name) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const wchar_t* file = entry.szExeFile;
        for (const wchar_t* p = entry.szExeFile; *p; ++p) {
            if (*p == L'\\') file = p + 1;
        }
        if (lstrcmpiW(file, name) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

void EndProcessesNamed(const wchar_t* name) {
    for (DWORD id : ProcessesNamed(name)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process) continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

bool SaveWindowPicture(HWND window, const std::wstring& path) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
                             0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return WriteTextFile(path, bytes);
}

}  // namespace ui
