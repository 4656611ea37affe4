// Drives Carrow.exe through its window tree under Wine: layout, captions,
// keyboard order, resizing, start states, server control against the
// stand-in server, the error report and a failure inside a callback.  Run in
// a folder that holds Carrow.exe, samp-server.exe and report_host.exe;
// pictures of the pages go to the folder named by the first argument.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host_check.h"
#include "ui_driver.h"

namespace {

using host::Check;

constexpr wchar_t kServer[] = L"samp-server.exe";
constexpr wchar_t kNoData[] = L"Нет данных для просмотра";
std::wstring pictures;

std::string Narrow(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), length, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top) + ")";
}

bool SameClass(HWND window, const wchar_t* name) { return lstrcmpiW(ui::ClassOf(window).c_str(), name) == 0; }

std::size_t Count(const wchar_t* name) { return ui::ProcessesNamed(name).size(); }

// Waits until the count of processes named name settles at want.
bool CountBecomes(const wchar_t* name, std::size_t want) {
    return ui::WaitUntil([&] { return Count(name) == want; }, 8000) && (Sleep(700), Count(name) == want);
}

// A server folder with Carrow, and as asked the stand-in server and the files.
std::wstring ServerFolder(const std::wstring& name, bool withServer = true) {
    ui::MakeFolder(name);
    ui::CopyInto(L"Carrow.exe", name);
    if (withServer) ui::CopyInto(kServer, name);
    ui::WriteTextFile(name + L"\\samp.ban", "10.0.0.7 [01/02/24 | 10:00:00] griefer - BAN\r\n");
    ui::WriteTextFile(name + L"\\server.cfg", "hostname Test server\r\nport 7777\r\nmaxplayers 50\r\n");
    return ui::FullPath(name);
}

struct Carrow {
    ui::Process process;
    HWND form = nullptr;

    HWND Find(const wchar_t* windowClass, const wchar_t* text = nullptr, int index = 0) const {
        return ui::FindDescendant(form, windowClass, text, index);
    }
    HWND Tabs() const { return Find(L"SysTabControl32"); }
    void ShowPage(int index) const {
        const RECT tab = ui::TabRect(Tabs(), index);
        ui::ClickAt(Tabs(), {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
        ui::WaitUntil([&] { return IsWindowVisible(ui::ChildrenOf(Tabs())[static_cast<std::size_t>(index)]); }, 3000);
        Sleep(200);
    }
    void Press(const wchar_t* caption, int index = 0) const { ui::Click(Find(L"Button", caption, index)); }
    bool Close() const {
        PostMessageW(form, WM_CLOSE, 0, 0);
        return process.WaitForExit(8000);
    }
};

Carrow StartCarrow(const std::wstring& folder, int show = SW_SHOWNORMAL) {
    Carrow carrow;
    carrow.process = ui::Start(folder + L"\\Carrow.exe", folder, show);
    carrow.form = ui::WaitForTopWindow(carrow.process.Id(), L"TForm1", true, 20000);
    Check(carrow.form != nullptr, "Carrow's window TForm1 appears");
    if (carrow.form) Sleep(300);
    return carrow;
}

// Carrow's test build (carrow_faults.exe, as Carrow.exe) started with the
// environment variable that asks it for a failure set for it alone.
Carrow StartCarrowWith(const std::wstring& folder, const wchar_t* variable, const wchar_t* value) {
    ui::CopyInto(L"carrow_faults.exe", folder, L"Carrow.exe");
    SetEnvironmentVariableW(variable, value);
    Carrow carrow = StartCarrow(folder);
    SetEnvironmentVariableW(variable, nullptr);
    return carrow;
}

struct Expected {
    const wchar_t* windowClass;
    const wchar_t* text;  // null: not compared
    RECT place;           // left, top, right, bottom
    bool tabStop;
};

// Compares a container's children, in stacking (keyboard) order, with want.
void CheckChildren(HWND parent, const char* name, const std::vector<Expected>& want) {
    const auto children = ui::ChildrenOf(parent);
    Check(children.size() == want.size(), std::string(name) + " holds " + std::to_string(want.size()) + " controls");
    for (std::size_t i = 0; i < want.size() && i < children.size(); ++i) {
        HWND child = children[i];
        const std::string what = std::string(name) + " control " + std::to_string(i) + " (" +
                                 Narrow(want[i].text ? want[i].text : want[i].windowClass) + ")";
        Check(SameClass(child, want[i].windowClass),
              what + " is a " + Narrow(want[i].windowClass) + " (" + Narrow(ui::ClassOf(child)) + ")");
        if (want[i].text) Check(ui::TextOf(child) == want[i].text, what + " text is \"" + Narrow(want[i].text) + "\"");
        const RECT place = ui::PlaceOf(child);
        Check(EqualRect(&place, &want[i].place), what + " at " + Describe(want[i].place) + ", is " + Describe(place));
        Check(((ui::StyleOf(child) & WS_TABSTOP) != 0) == want[i].tabStop,
              what + (want[i].tabStop ? " is" : " is not") + " a tab stop");
    }
}

void WindowFrameAndLayout() {
    Carrow carrow = StartCarrow(ServerFolder(L"layout"));
    if (!carrow.form) return;
    const HWND form = carrow.form;
    Check(ui::TextOf(form) == L"Управление сервером SA-MP ", "caption with its trailing blank");
    const LONG style = ui::StyleOf(form);
    Check((style & WS_THICKFRAME) && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) && (style & WS_CAPTION),
          "sizeable frame, system menu and minimise box");
    Check(!(style & WS_MAXIMIZEBOX), "no maximise box");
    Check(GetWindow(form, GW_OWNER) == nullptr && (GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_APPWINDOW),
          "the main window carries the task-bar button");
    const SIZE client = ui::ClientSizeOf(form);
    Check(client.cx == 489 && client.cy == 268,
          "client area 489 x 268, is " + std::to_string(client.cx) + " x " + std::to_string(client.cy));

    CheckChildren(form, "window", {{L"SysTabControl32", nullptr, {0, 0, 489, 249}, false},
                                   {L"msctls_statusbar32", nullptr, {0, 249, 489, 268}, false}});
    Check(ui::StyleOf(carrow.Find(L"msctls_statusbar32")) & SBARS_SIZEGRIP, "status bar with a size grip");
    const HWND tabs = carrow.Tabs();
    const wchar_t* captions[] = {L"Статистика сервера", L"Проводник", L"Банлист", L"Настройки сервера"};
    Check(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0) == 4, "four tabs");
    for (int i = 0; i < 4; ++i) {
        Check(ui::TabCaption(tabs, i) == captions[i], "tab " + std::to_string(i + 1) + " is " + Narrow(captions[i]));
    }
    Check(SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 0, "the first page is active at start");
    CheckChildren(tabs, "tab control", {{L"TsTabSheet", captions[0], {4, 24, 485, 245}, false},
                                        {L"TsTabSheet", captions[1], {4, 24, 485, 245}, false},
                                        {L"TsTabSheet", captions[2], {4, 24, 485, 245}, false},
                                        {L"TsTabSheet", captions[3], {4, 24, 485, 245}, false}});
    const auto pages = ui::ChildrenOf(tabs);
    if (pages.size() != 4) return;
    Check(IsWindowVisible(pages[0]) && !IsWindowVisible(pages[1]) && !IsWindowVisible(pages[2]) &&
              !IsWindowVisible(pages[3]),
          "only the first page is shown");

    CheckChildren(pages[0], "page 1", {{L"LineView", kNoData, {113, 0, 481, 221}, true},
                                       {L"TsPanel", L"", {0, 0, 113, 221}, false}});
    CheckChildren(ui::ChildrenOf(pages[0])[1], "sPanel1",
                  {{L"Button", L"Старт", {16, 37, 91, 62}, true},
                   {L"Button", L"Рестарт", {16, 68, 91, 93}, true},
                   {L"Button", L"Стоп", {16, 99, 91, 124}, true},
                   {L"ComboBox", nullptr, {0, 0, 113, 22}, true}});
    CheckChildren(pages[1], "page 2", {{L"SysListView32", nullptr, {0, 35, 481, 221}, true},
                                       {L"TsPanel", L"", {0, 0, 481, 35}, false}});
    CheckChildren(ui::ChildrenOf(pages[1])[1], "sPanel4",
                  {{L"Button", L"Назад", {16, 4, 91, 29}, true}, {L"Button", L"Обновить", {97, 4, 172, 29}, true}});
    // The editors show the files loaded at start (checked in carrow_text_ui_test).
    for (int page : {2, 3}) {
        CheckChildren(pages[page], ("page " + std::to_string(page + 1)).c_str(),
                      {{L"Edit", nullptr, {113, 0, 481, 221}, true}, {L"TsPanel", L"", {0, 0, 113, 221}, false}});
    }
    CheckChildren(ui::ChildrenOf(pages[2])[1], "sPanel2",
                  {{L"Button", L"Сохранить", {16, 16, 91, 41}, true},
                   {L"Button", L"Рестарт", {16, 47, 91, 72}, true},
                   {L"Button", L"Обновить", {16, 78, 91, 103}, true}});
    CheckChildren(ui::ChildrenOf(pages[3])[1], "sPanel3",
                  {{L"Button", L"Сохранить", {16, 16, 91, 41}, true}, {L"Button", L"Рестарт", {16, 47, 91, 72}, true}});

    const HWND log = ui::ChildrenOf(pages[0])[0];
    const HWND banList = ui::ChildrenOf(pages[2])[0];
    Check((ui::StyleOf(log) & WS_VSCROLL) && !(ui::StyleOf(log) & WS_HSCROLL),
          "the log view has a vertical scroll bar and no horizontal one");
    Check(!(ui::StyleOf(banList) & (WS_VSCROLL | WS_HSCROLL)) && !(ui::StyleOf(banList) & ES_AUTOHSCROLL),
          "the editors wrap words and have no scroll bars");
    Check(SendMessageW(log, EM_GETLINECOUNT, 0, 0) == 1 && SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0) == 0,
          "the log view answers EM_GETLINECOUNT and EM_GETFIRSTVISIBLELINE");
    Check(!(ui::StyleOf(banList) & ES_READONLY), "the editors are editable");

    for (int page = 0; page < 4; ++page) {
        carrow.ShowPage(page);
        Check(IsWindowVisible(pages[static_cast<std::size_t>(page)]), "a click on tab " + std::to_string(page + 1) +
                                                                           " shows its page");
        if (!pictures.empty()) {
            ui::SaveWindowPicture(form, pictures + L"\\page" + std::to_wstring(page + 1) + L".bmp");
        }
    }
    Check(carrow.Close(), "closing the window ends Carrow");
}

void KeyboardOrderOfPageOne() {
    Carrow carrow = StartCarrow(ServerFolder(L"keys"));
    if (!carrow.form) return;
    SetForegroundWindow(carrow.form);
    const HWND order[] = {carrow.Find(L"LineView"), carrow.Find(L"Button", L"Старт"), carrow.Find(L"Button", L"Рестарт"),
                          carrow.Find(L"Button", L"Стоп"), carrow.Find(L"ComboBox"), carrow.Find(L"LineView")};
    Check(ui::WaitUntil([&] { return ui::FocusOf(carrow.form) == order[0]; }, 3000),
          "the log view has the focus at start");
    const char* names[] = {"log view", "Старт", "Рестарт", "Стоп", "colour chooser", "log view again"};
    for (int i = 1; i < 6; ++i) {
        ui::PostKey(ui::FocusOf(carrow.form), VK_TAB);
        Check(ui::WaitUntil([&] { return ui::FocusOf(carrow.form) == order[i]; }, 2000),
              std::string("Tab moves on to the ") + names[i]);
    }
    Check(carrow.Close(), "closing the window ends Carrow");
}

void ResizingAndStartStates() {
    const std::wstring folder = ServerFolder(L"resize");
    {
        Carrow carrow = StartCarrow(folder);
        if (!carrow.form) return;
        RECT frame;
        GetWindowRect(carrow.form, &frame);
        SetWindowPos(carrow.form, nullptr, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top + 100,
                     SWP_NOMOVE | SWP_NOZORDER);
        Sleep(400);
        const SIZE client = ui::ClientSizeOf(carrow.form);
        Check(client.cx == 689 && client.cy == 368, "the window grows by 200 x 100");
        const RECT memo = ui::PlaceOf(carrow.Find(L"LineView"));
        const RECT panel = ui::PlaceOf(carrow.Find(L"TsPanel"));
        const RECT start = ui::PlaceOf(carrow.Find(L"Button", L"Старт"));
        const RECT status = ui::PlaceOf(carrow.Find(L"msctls_statusbar32"));
        const RECT list = ui::PlaceOf(carrow.Find(L"SysListView32"));
        const RECT top = ui::PlaceOf(carrow.Find(L"TsPanel", nullptr, 1));
        Check(memo.right - memo.left == 568 && memo.bottom - memo.top == 321, "the log view grows with the window");
        Check(list.right - list.left == 681 && list.bottom - list.top == 286, "the folder list grows with the window");
        Check(panel.right - panel.left == 113 && panel.bottom - panel.top == 321, "a left panel keeps its width");
        Check(top.bottom - top.top == 35 && top.right - top.left == 681, "the top panel keeps its height");
        Check(start.left == 16 && start.top == 37 && start.right - start.left == 75, "the buttons keep their place");
        Check(status.top == 349 && status.bottom - status.top == 19, "the status bar keeps its height at the bottom");
        if (!pictures.empty()) ui::SaveWindowPicture(carrow.form, pictures + L"\\resized.bmp");
        carrow.Close();
    }
    {
        Carrow carrow = StartCarrow(folder, SW_SHOWMAXIMIZED);
        Check(carrow.form && IsZoomed(carrow.form), "a maximised start opens the window maximised");
        carrow.Close();
    }
    {
        Carrow carrow;
        carrow.process = ui::Start(folder + L"\\Carrow.exe", folder, SW_SHOWMINIMIZED);
        carrow.form = ui::WaitForTopWindow(carrow.process.Id(), L"TForm1", true, 20000);
        Check(carrow.form && IsIconic(carrow.form), "a minimised start opens the window minimised");
        if (carrow.form) carrow.Close();
    }
}

// The frame drawn by the skin: what it answers the system's hit tests, its
// minimise and close buttons under a real mouse (hot, pressed, let go
// elsewhere), moving and sizing by it, the system menu and Alt+F4.
LRESULT HitAt(HWND form, int x, int y) { return SendMessageW(form, WM_NCHITTEST, 0, MAKELPARAM(x, y)); }

// The hit-test codes met going from one point to another, each run once.
std::vector<LRESULT> HitsAlong(HWND form, POINT from, POINT to) {
    std::vector<LRESULT> runs;
    const int steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    for (int i = 0; i <= steps; ++i) {
        const LRESULT hit = HitAt(form, from.x + (to.x - from.x) * i / std::max(steps, 1),
                                  from.y + (to.y - from.y) * i / std::max(steps, 1));
        if (runs.empty() || runs.back() != hit) runs.push_back(hit);
    }
    return runs;
}

// Where along the caption's middle row the hit test gives code; {-1, -1} if nowhere.
POINT CentreOfHit(HWND form, LRESULT code) {
    RECT window;
    GetWindowRect(form, &window);
    POINT client = {0, 0};
    ClientToScreen(form, &client);
    const int row = (window.top + client.y) / 2;
    int first = -1, last = -1;
    for (int x = window.left; x < window.right; ++x) {
        if (HitAt(form, x, row) != code) continue;
        if (first < 0) first = x;
        last = x;
    }
    return first < 0 ? POINT{-1, -1} : POINT{(first + last) / 2, row};
}

void MouseTo(POINT point) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    Sleep(250);
}

void MouseButton(bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    Sleep(250);
}

void DragBy(POINT from, int dx, int dy) {
    MouseTo(from);
    MouseButton(true);
    for (int step = 1; step <= 4; ++step) MouseTo({from.x + dx * step / 4, from.y + dy * step / 4});
    MouseButton(false);
    Sleep(300);
}

// Whether the screen is reddish at point: the close button's hot and pressed faces are.
bool RedAt(POINT point) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour != CLR_INVALID && GetRValue(colour) > GetBValue(colour) + 40;
}

void SkinnedFrame() {
    const std::wstring folder = ServerFolder(L"frame");
    Carrow carrow = StartCarrow(folder);
    if (!carrow.form) return;
    const HWND form = carrow.form;
    RECT w;
    GetWindowRect(form, &w);
    POINT client = {0, 0};
    ClientToScreen(form, &client);
    const int captionRow = (w.top + client.y) / 2;
    const auto row = HitsAlong(form, {w.left, captionRow}, {w.right - 1, captionRow});
    Check(row.size() == 8 && (row.front() == HTLEFT || row.front() == HTTOPLEFT) &&
              std::vector<LRESULT>(row.begin() + 1, row.end() - 1) ==
                  std::vector<LRESULT>{HTSYSMENU, HTCAPTION, HTMINBUTTON, HTCAPTION, HTCLOSE, HTCAPTION} &&
              (row.back() == HTRIGHT || row.back() == HTTOPRIGHT),
          "the caption row: sizing edge, system menu icon, caption, minimise, caption, close, sizing edge (" +
              std::to_string(row.size()) + " runs)");
    const int middleX = (w.left + w.right) / 2, middleY = client.y + 134;
    Check(HitsAlong(form, {middleX, w.top}, {middleX, w.bottom - 1}) ==
              std::vector<LRESULT>{HTTOP, HTCAPTION, HTCLIENT, HTBOTTOM},
          "down the middle: top edge, caption, client area, bottom edge");
    Check(HitsAlong(form, {w.left, middleY}, {w.right - 1, middleY}) == std::vector<LRESULT>{HTLEFT, HTCLIENT, HTRIGHT},
          "across the middle: left edge, client area, right edge");
    Check(HitAt(form, w.left, w.top) == HTTOPLEFT && HitAt(form, w.right - 1, w.top) == HTTOPRIGHT &&
              HitAt(form, w.left, w.bottom - 1) == HTBOTTOMLEFT && HitAt(form, w.right - 1, w.bottom - 1) == HTBOTTOMRIGHT,
          "the four corners size the window");
    // The system menu opens from the icon and from Alt+Space, and Escape closes it.
    const auto menuOpens = [&](const char* how, const std::function<void()>& open) {
        open();
        const HWND popup = ui::WaitForTopWindow(carrow.process.Id(), L"#32768", true, 3000);
        Check(popup != nullptr, std::string("the system menu opens ") + how);
        if (popup && !pictures.empty()) ui::SaveWindowPicture(form, pictures + L"\\frame-menu.bmp");
        ui::PostKey(form, VK_ESCAPE);
        Check(ui::WaitUntil([&] { return !popup || !IsWindowVisible(popup); }, 3000), "Escape closes it");
        // Opened from the keyboard, the menu mode lasts until a second Escape.
        ui::PostKey(form, VK_ESCAPE);
        Sleep(300);
    };
    menuOpens("by a click on the icon", [&] {
        MouseTo(CentreOfHit(form, HTSYSMENU));
        MouseButton(true);
        MouseButton(false);
    });
    menuOpens("by Alt+Space", [&] { PostMessageW(form, WM_SYSCHAR, L' ', 1 | (1 << 29)); });
    Check(IsWindow(form), "the window stays open");

    const POINT close = CentreOfHit(form, HTCLOSE);
    const POINT face = {close.x - 8, close.y};  // beside the sign, on the button's face
    MouseTo({middleX, middleY});
    Check(!RedAt(face), "the close button is blue while the mouse is elsewhere");
    MouseTo(close);
    Check(RedAt(face), "the close button turns red under the mouse");
    MouseButton(true);
    Check(RedAt(face), "and stays red while pressed");
    MouseTo({middleX, captionRow});
    Check(!RedAt(face), "a press dragged off the close button shows it normal");
    MouseButton(false);
    Check(IsWindow(form) && carrow.process.Running(), "letting go elsewhere does not close the window");
    if (!pictures.empty()) {
        MouseTo(close);
        ui::SaveWindowPicture(form, pictures + L"\\frame-close-hot.bmp");
    }

    DragBy({middleX, captionRow}, 40, 30);
    RECT moved;
    GetWindowRect(form, &moved);
    Check(moved.left == w.left + 40 && moved.top == w.top + 30 && moved.right - moved.left == w.right - w.left,
          "dragging the caption moves the window");
    DragBy({moved.right - 1, moved.bottom - 1}, 30, 20);
    SIZE grown = ui::ClientSizeOf(form);
    Check(grown.cx == 519 && grown.cy == 288, "dragging the bottom right corner sizes the window, client " +
                                                  std::to_string(grown.cx) + " x " + std::to_string(grown.cy));
    DragBy({moved.left, (moved.top + moved.bottom) / 2}, 20, 0);
    grown = ui::ClientSizeOf(form);
    Check(grown.cx == 499 && grown.cy == 288, "dragging the left edge sizes the window");

    MouseTo(CentreOfHit(form, HTMINBUTTON));
    MouseButton(true);
    MouseButton(false);
    Check(ui::WaitUntil([&] { return IsIconic(form) != FALSE; }, 3000), "a click on the minimise button minimises");
    ShowWindow(form, SW_RESTORE);
    Check(ui::WaitUntil([&] { return !IsIconic(form); }, 3000) && ui::ClientSizeOf(form).cx == 499,
          "restored, the window has its size again");
    MouseTo(CentreOfHit(form, HTCLOSE));
    MouseButton(true);
    MouseButton(false);
    Check(carrow.process.WaitForExit(8000), "a click on the close button closes the window and ends Carrow");

    Carrow keys = StartCarrow(folder);
    if (keys.form) {
        PostMessageW(keys.form, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
        Check(keys.process.WaitForExit(8000), "Alt+F4 closes the window");
    }
    Carrow zoomed = StartCarrow(folder, SW_SHOWMAXIMIZED);
    if (zoomed.form) {
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        POINT origin = {0, 0};
        ClientToScreen(zoomed.form, &origin);
        const SIZE size = ui::ClientSizeOf(zoomed.form);
        RECT frame;
        GetWindowRect(zoomed.form, &frame);
        Check(origin.x == work.left && size.cx == work.right - work.left && origin.y + size.cy == work.bottom,
              "maximised, the client area fills the work area below the caption: client at " +
                  std::to_string(origin.x) + ", " + std::to_string(origin.y) + ", " + std::to_string(size.cx) + " x " +
                  std::to_string(size.cy) + "; work area " + Describe(work));
        Check(HitAt(zoomed.form, frame.left, (frame.top + frame.bottom) / 2) == HTBORDER,
              "maximised, the border does not size the window");
        zoomed.Close();
    }
}

bool AnyVisibleWindow(DWORD processId) {
    for (HWND window : ui::TopWindowsOf(processId)) {
        if (IsWindowVisible(window)) return true;
    }
    return false;
}

void StartLaunchesHiddenServers() {
    ui::EndProcessesNamed(kServer);
    const std::wstring folder = ServerFolder(L"start");
    Carrow carrow = StartCarrow(folder);
    if (!carrow.form) return;
    carrow.Press(L"Старт");
    Check(CountBecomes(kServer, 1), "Старт launches one server");
    const auto servers = ui::ProcessesNamed(kServer);
    Sleep(500);
    Check(!servers.empty() && !AnyVisibleWindow(servers[0]), "the server's window is hidden");
    Check(ui::ReadTextFile(folder + L"\\server_log.txt").find("show command 0") != std::string::npos,
          "the server was asked to start hidden, in the server folder");
    carrow.Press(L"Старт");
    Check(CountBecomes(kServer, 2), "Старт pressed twice launches two servers");
    Check(ui::WaitForMessageBox(carrow.process.Id(), 300) == nullptr, "Старт shows no message");
    carrow.Press(L"Стоп");
    Check(CountBecomes(kServer, 0), "Стоп ends both");
    carrow.Press(L"Стоп");
    Sleep(300);
    Check(ui::WaitForMessageBox(carrow.process.Id(), 300) == nullptr, "Стоп with no server shows nothing");
    Check(carrow.Close(), "closing the window ends Carrow");
}

// Servers that Carrow did not start, under names that match and names that
// do not, each from a folder of its own.
struct Outsiders {
    std::vector<ui::Process> processes;
    void Start(const std::wstring& folder, const std::wstring& name) {
        ui::MakeFolder(folder);
        ui::CopyInto(kServer, folder, name);
        const std::wstring full = ui::FullPath(folder);
        processes.push_back(ui::Start(full + L"\\" + name, full, SW_HIDE));
    }
};

void StopAndRestartEndEveryMatch() {
    ui::EndProcessesNamed(kServer);
    const std::wstring folder = ServerFolder(L"restart");
    Carrow carrow = StartCarrow(folder);
    if (!carrow.form) return;
    Outsiders outsiders;
    outsiders.Start(L"upper", L"SAMP-SERVER.EXE");
    outsiders.Start(L"mixed", L"Samp-Server.exe");
    outsiders.Start(L"old", L"samp-server.exe.old");
    outsiders.Start(L"mine", L"my-samp-server.exe");
    Check(CountBecomes(kServer, 2), "two outside servers under matching names run");
    carrow.Press(L"Стоп");
    Check(CountBecomes(kServer, 0), "Стоп ends servers that Carrow did not start");
    Check(outsiders.processes[2].Running() && outsiders.processes[3].Running(),
          "samp-server.exe.old and my-samp-server.exe keep running");

    outsiders.Start(L"again1", kServer);
    outsiders.Start(L"again2", kServer);
    Check(CountBecomes(kServer, 2), "two more outside servers run");
    carrow.Press(L"Рестарт");
    Check(CountBecomes(kServer, 1), "Рестарт on page 1 leaves exactly one server");
    const auto first = ui::ProcessesNamed(kServer);
    for (int page : {2, 3}) {
        carrow.ShowPage(page);
        carrow.Press(L"Рестарт", page == 2 ? 1 : 2);
        Check(ui::WaitUntil([&] { return ui::ProcessesNamed(kServer) != first && Count(kServer) == 1; }, 8000),
              "Рестарт on page " + std::to_string(page + 1) + " replaces the server");
    }
    outsiders.Start(L"again3", kServer);
    Check(CountBecomes(kServer, 2), "one more outside server runs");
    Check(carrow.Close(), "closing the window ends Carrow");
    Check(CountBecomes(kServer, 0), "closing the window ends every server");
    Check(outsiders.processes[2].Running() && outsiders.processes[3].Running(), "the others still run");
}

void RestartWithoutAServer() {
    ui::EndProcessesNamed(kServer);
    Carrow carrow = StartCarrow(ServerFolder(L"cold"));
    if (!carrow.form) return;
    carrow.Press(L"Рестарт");
    Check(CountBecomes(kServer, 1), "Рестарт with no server running starts one");
    carrow.Press(L"Стоп");
    Check(CountBecomes(kServer, 0), "Стоп ends it");
    carrow.Close();
}

void StartWithoutTheServerFile() {
    ui::EndProcessesNamed(kServer);
    Carrow carrow = StartCarrow(ServerFolder(L"empty", false));
    if (!carrow.form) return;
    carrow.Press(L"Старт");
    bool ownMessage = false;
    ui::WaitUntil(
        [&] {
            HWND box = ui::WaitForMessageBox(carrow.process.Id(), 0);
            ownMessage = box && ui::TextOf(box) == L"Carrow";
            return ownMessage;
        },
        1500);
    Check(!ownMessage, "Старт without samp-server.exe shows no message of Carrow's own");
    // Whatever the shell may have shown is answered.
    if (HWND box = ui::WaitForMessageBox(carrow.process.Id(), 0)) ui::PressOk(box);
    // The timer runs all the same: its first tick reports the missing copy of the log.
    const HWND report = ui::WaitForMessageBox(carrow.process.Id(), 5000);
    Check(report && ui::TextOf(report) == L"Carrow" &&
              ui::MessageBoxText(report).find(L"server_log1.txt") != std::wstring::npos,
          "and the log refresh starts all the same: a tick reports the missing server_log1.txt");
    if (report) ui::PressOk(report);
    carrow.Press(L"Стоп");
    if (HWND late = ui::WaitForMessageBox(carrow.process.Id(), 300)) ui::PressOk(late);
    carrow.Close();
}

// A busy server's log of some weeks: while it goes into the view, the window
// keeps answering, and the view stands on the log's last lines from the first
// tick on.
void LongLogKeepsTheWindowAnswering() {
    ui::EndProcessesNamed(kServer);
    const std::wstring folder = ServerFolder(L"long-log");
    std::string log;
    for (int i = 1; log.size() < (4u << 20); ++i) log += "[11:00:00] earlier line " + std::to_string(i) + " ......\r\n";
    ui::WriteTextFile(folder + L"\\server_log.txt", log);
    Carrow carrow = StartCarrow(folder);
    if (!carrow.form) return;
    const HWND box = ui::ChildrenOf(ui::ChildrenOf(carrow.Tabs())[0])[0];
    carrow.Press(L"Старт");
    DWORD longest = 0;
    bool onLastLines = false;
    LRESULT lines = 0, first = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 6000;) {
        const DWORD sent = GetTickCount();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(carrow.form, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
        longest = std::max(longest, GetTickCount() - sent);
        lines = SendMessageW(box, EM_GETLINECOUNT, 0, 0);
        first = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
        onLastLines = first > 0 && first >= lines - 2;  // the last line at the top (or the empty one after it)
        Sleep(20);
    }
    Check(longest < 250, "the window answers while a 4 MB log goes in (longest wait " + std::to_string(longest) + " ms)");
    Check(onLastLines, "the view stands on the log's last line (line " + std::to_string(first) + " of " +
                           std::to_string(lines) + ")");
    if (!pictures.empty()) {  // some lines up, a few of them selected with the mouse
        SendMessageW(box, EM_LINESCROLL, 0, -12);
        SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 30));
        SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(140, 70));
        SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(140, 70));
        ui::SaveWindowPicture(carrow.form, pictures + L"\\long-log.bmp");
    }
    carrow.Press(L"Стоп");
    Check(carrow.Close(), "Carrow closes while the log still goes in");
}

// When the system refuses the timer (acted out by the test build),
// "Старт" and "Рестарт" report "Not enough timers available" and launch
// nothing; "Рестарт" has ended the old server by then.
void RefusedTimer() {
    ui::EndProcessesNamed(kServer);
    const std::wstring folder = ServerFolder(L"no-timer");
    Carrow carrow = StartCarrowWith(folder, L"CARROW_REFUSE_TIMER", L"1");
    if (!carrow.form) return;
    const auto reportsRefusal = [&](const char* what) {
        const HWND box = ui::WaitForMessageBox(carrow.process.Id(), 5000);
        Check(box && ui::TextOf(box) == L"Carrow" && ui::MessageBoxText(box) == L"Not enough timers available.",
              std::string(what) + " reports \"Not enough timers available.\"");
        if (box) ui::PressOk(box);
    };
    const auto launchesNothing = [] { return !ui::WaitUntil([] { return Count(kServer) > 0; }, 2000); };
    carrow.Press(L"Старт");
    reportsRefusal("Старт with the timer refused");
    Check(launchesNothing(), "and launches no server");

    Outsiders outsiders;
    outsiders.Start(L"no-timer-outside", kServer);
    Check(CountBecomes(kServer, 1), "an outside server runs");
    carrow.Press(L"Рестарт");
    reportsRefusal("Рестарт with the timer refused");
    Check(CountBecomes(kServer, 0) && launchesNothing(), "and has ended the server but launches none");
    Check(carrow.Close(), "closing the window ends Carrow");
}

// A failure inside a function that Windows calls (a button's procedure, made
// to fail once by the test build) becomes the error report and
// Carrow goes on; on the 32-bit build an escape into Windows would end it.
void FailureInsideACallback() {
    ui::EndProcessesNamed(kServer);
    const std::wstring folder = ServerFolder(L"callback");
    Carrow carrow = StartCarrowWith(folder, L"CARROW_FAIL_CALLBACK", L"button-click");
    if (!carrow.form) return;
    carrow.Press(L"Стоп");
    const HWND box = ui::WaitForMessageBox(carrow.process.Id(), 5000);
    Check(box && ui::TextOf(box) == L"Carrow" && ui::MessageBoxText(box) == L"Test failure at button-click.",
          "a failing button procedure shows the error report");
    if (box) ui::PressOk(box);
    Check(carrow.process.WaitForExit(300) == false, "Carrow goes on after the report");

    carrow.ShowPage(2);
    Check(IsWindowVisible(ui::ChildrenOf(carrow.Tabs())[2]), "a click on a tab still shows its page");
    carrow.ShowPage(0);
    carrow.Press(L"Старт");
    Check(CountBecomes(kServer, 1), "Старт still launches the server");
    carrow.Press(L"Стоп");
    Check(CountBecomes(kServer, 0), "Стоп still ends it");
    Check(ui::WaitForMessageBox(carrow.process.Id(), 300) == nullptr, "the button failed once only");
    Check(carrow.Close(), "closing the window ends Carrow");
}

void ErrorReport(const wchar_t* fileName, const wchar_t* mode, const std::string& title) {
    ui::MakeFolder(L"report");
    ui::CopyInto(L"report_host.exe", L"report", fileName);
    const std::wstring folder = ui::FullPath(L"report");
    const ui::Process host = ui::Start(folder + L"\\" + fileName, folder, SW_SHOWNORMAL, mode);
    if (!host.Handle()) {
        Check(false, "report host starts");
        return;
    }
    const std::string what = "report (" + Narrow(mode) + ", " + Narrow(fileName) + ")";
    HWND box = ui::WaitForMessageBox(host.Id(), 10000);
    Check(box != nullptr, what + " appears");
    if (!box) return;
    Sleep(200);
    Check(ui::TextOf(box) == std::wstring(title.begin(), title.end()), what + " captioned " + title);
    Check(ui::MessageBoxText(box) == L"Cannot open file \"C:\\srv\\samp.ban\". File not found.",
          what + " shows the message with a final full stop");
    const auto buttons = ui::MessageBoxButtons(box);
    Check(buttons.size() == 1 && buttons[0] == L"OK", what + " has one OK button");
    Check(ui::MessageBoxIcon(box) == IDI_HAND, what + " shows the error (stop) icon");
    HWND owner = GetWindow(box, GW_OWNER);
    if (std::wstring(mode) == L"active") {
        HWND first = ui::FindDescendant(GetDesktopWindow(), L"ReportHost", L"first");
        HWND second = ui::FindDescendant(GetDesktopWindow(), L"ReportHost", L"second");
        Check(owner == first, what + " is owned by the active window");
        Check(first && second && !IsWindowEnabled(first) && !IsWindowEnabled(second),
              what + " leaves no window of the program taking input");
    } else {
        Check(owner && !IsWindowVisible(owner), what + " is owned by the hidden application window");
    }
    ui::PressOk(box);
    Check(host.WaitForExit(5000) && ui::ExitCodeOf(host) == 0,
          what + ": after OK the program goes on and its windows take input again");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        pictures = ui::FullPath(argv[1]);
        ui::MakeFolder(pictures);
    }
    WindowFrameAndLayout();
    KeyboardOrderOfPageOne();
    ResizingAndStartStates();
    SkinnedFrame();
    StartLaunchesHiddenServers();
    StopAndRestartEndEveryMatch();
    RestartWithoutAServer();
    StartWithoutTheServerFile();
    LongLogKeepsTheWindowAnswering();
    RefusedTimer();
    FailureInsideACallback();
    ErrorReport(L"Carrow.exe", L"active", "Carrow");
    ErrorReport(L"PANEL.EXE", L"none", "Panel");
    ErrorReport(L"srv.panel.exe", L"active", "srv");
    ui::EndProcessesNamed(kServer);
    return host::Finish();
}
