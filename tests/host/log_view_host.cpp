// RefreshLogView on a real line view with real files in the current folder:
// the copy, the view position after changed and quiet ticks, a long log that
// goes in slices, logs cut short or replaced, the failures, and the view's
// text colour on screen.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "log/log_view.h"
#include "text/code_page_text.h"
#include "skin/colour_box_entries.h"
#include "skin/skinned.h"
#include "text_box_fixture.h"
#include "text/text_files_rules.h"

namespace {

using carrow::LogView;
using host::Check;
using host::FailureOf;

std::string Log(int first, int last) {
    std::string out;
    for (int i = first; i <= last; ++i) {
        out += "[12:00:00] Incoming connection: 127.0.0.1:" + std::to_string(7000 + i) + " id: " + std::to_string(i) +
               "\r\n";
    }
    return out;
}

std::wstring LineAt(HWND box, int line) {
    wchar_t buffer[256] = {};
    buffer[0] = static_cast<wchar_t>(std::size(buffer) - 1);
    const LRESULT n = SendMessageW(box, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer));
    return std::wstring(buffer, static_cast<size_t>(n));
}

// How far down the box lets its view go: where a long scroll ends.  The view
// is put back afterwards.
int ScrollLimit(HWND box) {
    const int from = host::FirstVisibleLine(box);
    SendMessageW(box, EM_LINESCROLL, 0, 1 << 20);
    const int limit = host::FirstVisibleLine(box);
    SendMessageW(box, EM_LINESCROLL, 0, from - limit);
    return limit;
}

// Whether the marker is on one of the first lines in view.
bool LastLogLineShown(HWND box, const wchar_t* marker) {
    const int first = host::FirstVisibleLine(box);
    for (int line = first; line <= first + 3; ++line) {
        if (LineAt(box, line).find(marker) != std::wstring::npos) return true;
    }
    return false;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// Keys as the keyboard gives them, with Ctrl held or not.
void Keys(HWND box, std::initializer_list<WPARAM> keys, bool control = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(state);
    for (const WPARAM key : keys) SendMessageW(box, WM_KEYDOWN, key, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
}

void SelectAllAndCopy(HWND box) { Keys(box, {'A', 'C'}, true); }

// Page keys, the wheel, Ctrl+Home and Ctrl+End on a view of 101 lines.
void ScrollKeys(HWND box) {
    SendMessageW(box, EM_LINESCROLL, 0, -1000);
    Keys(box, {VK_NEXT});
    const int page = host::FirstVisibleLine(box);
    Keys(box, {VK_NEXT, VK_PRIOR, VK_DOWN, VK_DOWN, VK_UP});
    Check(page > 3 && host::FirstVisibleLine(box) == page + 1, "PgDn, PgUp and the arrows scroll by pages and lines");
    SendMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    Check(host::FirstVisibleLine(box) == page - 2, "a turn of the wheel away from the operator scrolls up 3 lines");
    Keys(box, {VK_END}, true);
    Check(host::FirstVisibleLine(box) == 101 - page, "Ctrl+End shows the last page");
    Keys(box, {VK_HOME}, true);
    Check(host::FirstVisibleLine(box) == 0, "Ctrl+Home goes to the first line");
}

// A tick as the window runs it: inside the gate, so that the work it leaves
// for later waits while the tick handles the pending messages.
void Refresh(LogView& view) {
    view.Ticks().Run([&] { carrow::RefreshLogView(view); }, [] { throw; });
}

// Lets the window run until the work a tick left for later is done.
void Settle(LogView& view) {
    for (int i = 0; i < 60000 && view.Refresh().Busy(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        host::Pump();
    }
}

bool ShowsTheLog(LogView& view, const std::string& log) {
    return view.Box().Text() == carrow::AnsiToViewText(carrow::NormaliseLineBreaks(log)) &&
           host::ReadBytes("server_log1.txt") == log;
}

// What reaches the box: the line counts of its EM_LINESCROLL messages (the
// view alone cannot tell N - 1 from N, as the box stops at its last line) and
// whether a message posted to it before a tick was handled by the tick.
struct BoxMessages {
    static constexpr UINT kPosted = WM_APP + 7;
    std::vector<LPARAM> lineScrolls;
    bool postedHandled = false;

    void Watch(HWND box) { SetWindowSubclass(box, Proc, 1, reinterpret_cast<DWORD_PTR>(this)); }
    void Clear() {
        lineScrolls.clear();
        postedHandled = false;
    }
    static LRESULT CALLBACK Proc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
        auto& seen = *reinterpret_cast<BoxMessages*>(self);
        if (message == EM_LINESCROLL && wParam == 0) seen.lineScrolls.push_back(lParam);
        if (message == kPosted) seen.postedHandled = true;
        return DefSubclassProc(box, message, wParam, lParam);
    }
};

BoxMessages seen;

// One tick, with a message waiting for the window when it starts.
std::wstring TickWithAPendingMessage(LogView& view) {
    seen.Clear();
    PostMessageW(view.Box().Handle(), BoxMessages::kPosted, 0, 0);
    return FailureOf([&] { Refresh(view); });
}

bool Scrolled(std::initializer_list<LPARAM> lines) { return seen.lineScrolls == std::vector<LPARAM>(lines); }

void WithoutAnyLog(LogView& view) {
    host::Remove("server_log.txt");
    host::Remove("server_log1.txt");
    const std::wstring failure = TickWithAPendingMessage(view);
    Check(seen.lineScrolls.empty() && !seen.postedHandled,
          "a failed tick neither scrolls nor lets pending messages run");
    host::Pump();
    Check(failure.rfind(L"Cannot open file \"" + host::CurrentFolder() + L"server_log1.txt\". ", 0) == 0,
          "without a log the tick names the copy's full path: " + host::Narrow(failure));
    Check(view.Box().Text() == L"Нет данных для просмотра", "a failed tick keeps the placeholder");

    host::WriteText("server_log1.txt", "an old copy\r\n");
    Check(FailureOf([&] { Refresh(view); }).empty() && view.Box().Text() == L"an old copy\r\n",
          "an old copy without a log is shown without a message");
}

void ChangedAndQuietTicks(LogView& view) {
    const HWND box = view.Box().Handle();
    host::WriteText("server_log.txt", Log(1, 100));
    Check(TickWithAPendingMessage(view).empty() && seen.postedHandled,
          "a tick lets the messages that were pending run before it returns");
    Check(host::ReadBytes("server_log1.txt") == Log(1, 100), "the tick copies the log");
    Check(view.LineCount() == 100 && Scrolled({99}), "after new text the tick scrolls down by N - 1 = 99 lines");
    Check(LastLogLineShown(box, L"id: 100"), "after new text the log's last line is in view");
    const int afterNewText = host::FirstVisibleLine(box);
    ScrollKeys(box);
    SendMessageW(box, EM_LINESCROLL, 0, afterNewText);
    const int limit = ScrollLimit(box);
    SendMessageW(box, EM_LINESCROLL, 0, afterNewText - limit);
    seen.Clear();
    Refresh(view);
    Check(Scrolled({99}) && host::FirstVisibleLine(box) == limit,
          "a quiet tick scrolls by N - 1 again, which takes the view to the box's limit");
    Refresh(view);
    Check(host::FirstVisibleLine(box) == limit, "further quiet ticks stay at the limit");

    host::WriteText("server_log.txt", Log(1, 105));
    seen.Clear();
    Refresh(view);
    Check(Scrolled({104}) && LastLogLineShown(box, L"id: 105"),
          "a grown log shows from its start, scrolled down by 104 lines to its new last line");

    SendMessageW(box, WM_CHAR, L'x', 0);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed by the operator "));
    Check(view.Box().Text() == carrow::AnsiToViewText(Log(1, 105)), "the view takes no typing");
    SelectAllAndCopy(box);
    Check(ClipboardText() == view.Box().Text(), "Ctrl+A and Ctrl+C copy the whole text");

    host::WriteText("server_log.txt", "first\nsecond\rthird");
    Refresh(view);
    Check(SendMessageW(box, EM_GETLINECOUNT, 0, 0) == 3 && LineAt(box, 2) == L"third",
          "lone LF and lone CR line ends show line by line");

    host::WriteText("server_log.txt", "");
    seen.Clear();
    Check(FailureOf([&] { Refresh(view); }).empty() && view.Box().Text().empty() && host::FirstVisibleLine(box) == 0,
          "an empty log empties the view without a message");
    Check(Scrolled({-1}), "an empty view is scrolled by N - 1 = -1 lines");
}

void LogHeldOpenByTheServer(LogView& view) {
    host::WriteText("server_log.txt", Log(1, 3));
    HANDLE server = CreateFileA("server_log.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    Refresh(view);
    CloseHandle(server);
    Check(view.LineCount() == 3, "a log that the server holds open (sharing it) is copied and shown");
}

void LongLogsCutShortAndReplaced(LogView& view) {
    const HWND box = view.Box().Handle();
    host::Remove("server_log1.txt");
    host::WriteText("server_log.txt", Log(1, 6000));
    Refresh(view);
    Check(view.Refresh().Busy() && LastLogLineShown(box, L"id: 6000"),
          "a long log shows its last line at the first tick, with its earlier lines still to come");
    SendMessageW(box, EM_LINESCROLL, 0, -3);
    Settle(view);
    Check(ShowsTheLog(view, Log(1, 6000)) && LastLogLineShown(box, L"id: 5998"),
          "the earlier lines go in above the view, which stays on the lines it showed");

    host::WriteText("server_log.txt", Log(1, 6010) + "half a line\r");
    Refresh(view);
    host::WriteText("server_log.txt", Log(1, 6010) + "half a line\r\nid: 6012");
    Refresh(view);
    Check(ShowsTheLog(view, Log(1, 6010) + "half a line\r\nid: 6012") && !view.Refresh().Busy() &&
              LastLogLineShown(box, L"id: 6012"),
          "new lines go at the end in the tick, a CR and its LF split between two ticks are one break");

    host::WriteText("server_log.txt", Log(1, 6000));
    Refresh(view);
    Settle(view);
    Check(ShowsTheLog(view, Log(1, 6000)), "a log cut short shows anew");

    host::WriteText("server_log.txt", Log(7001, 14000));
    Refresh(view);
    Settle(view);
    Check(ShowsTheLog(view, Log(7001, 14000)) && LastLogLineShown(box, L"id: 14000"),
          "a new log longer than the old one replaces it");
}

bool AnyPixel(HWND box, bool (*wanted)(COLORREF)) {
    RECT area;
    GetClientRect(box, &area);
    HDC dc = GetDC(box);
    bool found = false;
    for (int y = 0; y < area.bottom && !found; ++y) {
        for (int x = 0; x < area.right && !found; ++x) found = wanted(GetPixel(dc, x, y));
    }
    ReleaseDC(box, dc);
    return found;
}

bool Reddish(COLORREF c) { return GetRValue(c) > 180 && GetGValue(c) < 80 && GetBValue(c) < 80; }
bool Dark(COLORREF c) { return GetRValue(c) < 60 && GetGValue(c) < 80 && GetBValue(c) < 90; }

void TextColour(host::TestWindow& window, LogView& view) {
    const HWND editor = window.AddEdit(host::kEditorStyle, 320, 0, 150, 150);
    SetWindowTextW(editor, L"maxplayers 50\r\nport 7777");
    host::WriteText("server_log.txt", Log(1, 20));
    Refresh(view);
    SendMessageW(view.Box().Handle(), EM_LINESCROLL, 0, -100);
    Check(view.TextColour() == RGB(7, 28, 35), "the log text starts in colour 2300935");

    view.SetTextColour(carrow::ColourEntries()[9].colour);  // clRed
    UpdateWindow(view.Box().Handle());
    UpdateWindow(editor);
    Check(AnyPixel(view.Box().Handle(), Reddish), "choosing clRed draws the log text red at once");
    Check(!AnyPixel(editor, Reddish) && AnyPixel(editor, Dark), "the editor keeps its own colour");

    const auto windowText = carrow::ColourEntries().back();  // clWindowText
    view.SetTextColour(windowText.colour);
    const INT element = COLOR_WINDOWTEXT;
    const COLORREF before = GetSysColor(element), green = RGB(0, 160, 0);
    SetSysColors(1, &element, &green);
    Check(view.TextColour() == green, "a system colour entry follows the system colour");
    SetSysColors(1, &element, &before);
    DestroyWindow(editor);
}

}  // namespace

int main() {
    host::TestWindow window;
    LogView view;
    carrow::skin::LineView box;
    box.Create({window.Handle(), 0, {0, 0, 300, 150}, L"Нет данных для просмотра",
                static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), true});
    carrow::skin::Attach(box, 96);  // the view's colour is its skin's
    view.Attach(box);
    seen.Watch(view.Box().Handle());
    auto run = [&](const char* group, auto&& body) {
        const std::wstring failure = FailureOf(body);
        Check(failure.empty(), std::string(group) + " ran without an unexpected failure " + host::Narrow(failure));
    };
    run("no log", [&] { WithoutAnyLog(view); });
    run("ticks", [&] { ChangedAndQuietTicks(view); });
    run("held log", [&] { LogHeldOpenByTheServer(view); });
    run("long logs", [&] { LongLogsCutShortAndReplaced(view); });
    run("colour", [&] { TextColour(window, view); });
    return host::Finish();
}
