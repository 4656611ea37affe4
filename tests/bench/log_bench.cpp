// The log refresh's cost on a real multi-line EDIT control: for logs of 1, 10
// and 50 MB, a tick whose log changed and a quiet tick, each beside its floor
// (CopyFileA plus one read of the same file).  Prints times and ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "log/log_view.h"
#include "text_box_fixture.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median time in milliseconds of `runs` calls, each after prepare().
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = Now();
        body();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string LogLine(int n) {
    char line[128];
    std::snprintf(line, sizeof line,
                  "[2026-12-09 12:%02d:%02d] [connection] incoming connection: 127.0.0.1:%05d id: %d name: Player%d\r\n",
                  n / 60 % 60, n % 60, 1024 + n % 60000, n % 1000, n);
    std::string padded = line;
    padded.insert(padded.size() - 2, std::string(std::max<int>(0, 100 - static_cast<int>(padded.size())), '.'));
    return padded;
}

int lineNumber = 0;

void AppendLines(int count) {
    HANDLE h = CreateFileA(carrow::kServerLog, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    std::string text;
    for (int i = 0; i < count; ++i) text += LogLine(++lineNumber);
    DWORD put = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(h);
}

void WriteLog(size_t bytes) {
    DeleteFileA(carrow::kServerLog);
    lineNumber = 0;
    HANDLE h = CreateFileA(carrow::kServerLog, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string text;
    while (text.size() < bytes) text += LogLine(++lineNumber);
    DWORD put = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(h);
}

void Floor() {
    CopyFileA(carrow::kServerLog, carrow::kServerLogCopy, FALSE);
    HANDLE h = CreateFileA(carrow::kServerLogCopy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
}

struct Row {
    int megabytes;
    double floor, first, changed, quiet;
};

Row Measure(HWND parent, int megabytes) {
    const HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"Нет данных для просмотра", host::kLogViewStyle,
                                     0, 0, 368, 221, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
    carrow::TextView view(box);
    auto tick = [&] { carrow::RefreshLogView(view); };
    auto nothing = [] {};

    Row row{megabytes, 0, 0, 0, 0};
    WriteLog(static_cast<size_t>(megabytes) << 20);
    row.floor = Median(5, nothing, Floor);
    row.first = Median(1, nothing, tick);
    row.quiet = Median(5, nothing, tick);
    row.changed = Median(5, [] { AppendLines(10); }, tick);
    DestroyWindow(box);
    return row;
}

}  // namespace

int main() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LogBench";
    RegisterClassW(&wc);
    const HWND window = CreateWindowExW(0, wc.lpszClassName, L"log bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                        500, 300, nullptr, nullptr, wc.hInstance, nullptr);
    // The first tick puts the whole log into the box, as a log rewritten from
    // its start would; a changed tick follows a log that grew by 10 lines.
    std::printf("log     floor   first tick (x floor)   changed tick (x floor)   quiet tick (x floor)\n");
    bool met = true;
    for (int megabytes : {1, 10, 50}) {
        const Row r = Measure(window, megabytes);
        std::printf("%2d MB %7.1f ms %9.1f ms (%6.0fx) %11.1f ms (%5.1fx) %13.1f ms (%4.1fx)\n", r.megabytes, r.floor,
                    r.first, r.first / r.floor, r.changed, r.changed / r.floor, r.quiet, r.quiet / r.floor);
        std::fflush(stdout);
        met = met && r.quiet <= 3 * r.floor && (megabytes != 10 || r.changed <= 10 * r.floor);
    }
    std::printf("targets (quiet tick within 3x its floor, changed 10 MB tick within 10x): %s\n",
                met ? "met" : "MISSED");
    DeleteFileA(carrow::kServerLog);
    DeleteFileA(carrow::kServerLogCopy);
    DestroyWindow(window);
    return 0;
}
