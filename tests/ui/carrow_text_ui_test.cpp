// Drives Carrow.exe under Wine for its text boxes: the editors' loads at
// start and their saves, the live log view with the stand-in server, and the
// colour chooser.  Run in a folder that holds Carrow.exe and samp-server.exe;
// pictures go to the folder named by the first argument.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "window/form1_layout.h"
#include "host_check.h"
#include "text_box_fixture.h"
#include "ui_driver.h"

namespace {

using host::Check;

constexpr wchar_t kServer[] = L"samp-server.exe";
constexpr wchar_t kNoData[] = L"Нет данных для просмотра";
constexpr char kBanList[] = "10.0.0.7 [01/02/24 | 10:00:00] griefer - BAN\r\n";
constexpr char kConfig[] = "hostname Test server\r\nport 7777\r\nmaxplayers 50\r\n";
std::wstring pictures;

using host::Narrow;

std::wstring Widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

std::string Ansi(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

struct Folder {
    std::wstring path;
    std::wstring File(const wchar_t* name) const { return path + L"\\" + name; }
};

// A server folder with Carrow and, as asked, the stand-in server and files.
Folder ServerFolder(const std::wstring& name, bool banList, bool config, bool server = true) {
    ui::MakeFolder(name);
    ui::CopyInto(L"Carrow.exe", name);
    if (server) ui::CopyInto(kServer, name);
    if (banList) ui::WriteTextFile(name + L"\\samp.ban", kBanList);
    if (config) ui::WriteTextFile(name + L"\\server.cfg", kConfig);
    return {ui::FullPath(name)};
}

struct IdSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<IdSearch*>(data);
    if (GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}

HWND ById(HWND root, int id) {
    IdSearch search{id, nullptr};
    EnumChildWindows(root, MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A report's text, once the box shows it.
std::wstring ReportText(HWND box) {
    std::wstring text;
    if (box) ui::WaitUntil([&] { return !(text = ui::MessageBoxText(box)).empty(); }, 3000);
    return text;
}

// Presses OK and waits until the report is gone.
void Answer(HWND box) {
    ui::PressOk(box);
    ui::WaitUntil([&] { return !IsWindowVisible(box); }, 3000);
}

struct Carrow {
    ui::Process process;
    HWND form = nullptr;

    HWND Control(int id) const { return ById(form, id); }
    HWND Box() const { return Control(carrow::kMemo1); }
    HWND BanList() const { return Control(carrow::kMemo2); }
    HWND Config() const { return Control(carrow::kMemo3); }
    void ShowPage(int index) const {
        HWND tabs = Control(carrow::kPageControl1);
        const RECT tab = ui::TabRect(tabs, index);
        ui::ClickAt(tabs, {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
        ui::WaitUntil([&] { return IsWindowVisible(Control(carrow::kTabSheet1 + index)) != FALSE; }, 3000);
    }
    void Press(int id) const { ui::Click(Control(id)); }
    // Clicks and returns once the click's handler has run; only for handlers
    // that open no report (a report would hold the call until its timeout).
    void PressAndWait(int id) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(Control(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result);
    }
    // Returns once Carrow's window thread has taken its next message.
    void Idle() const {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    }
    HWND Report(DWORD timeoutMs) const { return ui::WaitForMessageBox(process.Id(), timeoutMs); }
    int OpenReports() const {
        int count = 0;
        for (HWND window : ui::TopWindowsOf(process.Id())) {
            if (IsWindowVisible(window) && ui::ClassOf(window) == L"#32770") ++count;
        }
        return count;
    }
    void Picture(const wchar_t* name) const {
        if (!pictures.empty()) ui::SaveWindowPicture(form, pictures + L"\\" + name + L".bmp");
    }
    void Close() {
        while (HWND box = Report(0)) Answer(box);
        PostMessageW(form, WM_CLOSE, 0, 0);
        if (!process.WaitForExit(8000)) process.Kill();
    }
};

// Starts Carrow; the reports shown before the window are answered and their
// texts returned.
Carrow StartCarrow(const Folder& folder, std::vector<std::wstring>* reports = nullptr) {
    Carrow carrow;
    carrow.process = ui::Start(folder.File(L"Carrow.exe"), folder.path);
    ui::WaitUntil(
        [&] {
            if (HWND box = carrow.Report(0)) {
                const std::wstring text = ReportText(box);
                if (reports) reports->push_back(text);
                Answer(box);
            }
            carrow.form = ui::WaitForTopWindow(carrow.process.Id(), L"TForm1", true, 0);
            return carrow.form != nullptr;
        },
        20000);
    Check(carrow.form != nullptr, "Carrow's window appears");
    if (carrow.form) {
        SetForegroundWindow(carrow.form);
        carrow.Idle();
    }
    if (reports && carrow.Report(0)) {
        reports->push_back(ui::MessageBoxText(carrow.Report(0)));
        ui::PressOk(carrow.Report(0));
    }
    return carrow;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) { return text.rfind(start, 0) == 0; }

// Answers the question box that the last click opened, Да (IDYES) or Нет
// (IDNO), and returns its text once the click's handler has finished; "" when
// no box came.
std::wstring AnswerQuestion(const Carrow& carrow, int answer) {
    HWND box = carrow.Report(4000);
    const std::wstring text = ReportText(box);
    if (box) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        ui::WaitUntil([&] { return !IsWindowVisible(box); }, 3000);
        carrow.Idle();
    }
    return text;
}

void EditorsAtStart() {
    {
        // A new server has no ban list until the first ban.
        const Folder folder = ServerFolder(L"text-noban", false, true);
        std::vector<std::wstring> reports;
        Carrow carrow = StartCarrow(folder, &reports);
        Check(reports.size() == 1 && StartsWith(reports[0], L"Cannot open file \"" + folder.File(L"samp.ban") + L"\". ") &&
                  reports[0].back() == L'.',
              "without samp.ban one report names its full path: " + (reports.empty() ? "" : Narrow(reports[0])));
        Check(ui::TextOf(carrow.BanList()) == kNoData && ui::TextOf(carrow.Config()) == Widen(kConfig),
              "without samp.ban the ban list keeps the placeholder and server.cfg is loaded");
        carrow.ShowPage(3);
        carrow.PressAndWait(carrow::kButton6);
        Check(carrow.Report(0) == nullptr && ui::ReadTextFile(folder.File(L"server.cfg")) == kConfig,
              "Сохранить on the settings page writes server.cfg back as it was, without a question");
        carrow.ShowPage(2);
        carrow.Picture(L"text-ban-list-missing");
        carrow.Press(carrow::kButton4);
        Check(ui::WaitUntil([&] { return ui::ReadTextFile(folder.File(L"samp.ban")) == Ansi(kNoData); }, 3000),
              "Сохранить after the failed load of a missing file writes the placeholder, without a line break");
        carrow.Close();
    }
    const Folder folder = ServerFolder(L"text-unread", false, true);
    // Held without sharing: server.cfg cannot be read either.
    HANDLE held = CreateFileW(folder.File(L"server.cfg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<std::wstring> reports;
    Carrow carrow = StartCarrow(folder, &reports);
    CloseHandle(held);
    Check(reports.size() == 2 && StartsWith(reports[0], L"Cannot open file \"" + folder.File(L"samp.ban") + L"\". ") &&
              StartsWith(reports[1], L"Cannot open file \"" + folder.File(L"server.cfg") + L"\". "),
          "each failed load has its own report, the ban list's first");
    carrow.ShowPage(3);
    carrow.Press(carrow::kButton6);
    const HWND box = carrow.Report(4000);
    Check(ReportText(box) == L"Файл " + folder.File(L"server.cfg") + L" не был загружен в редактор. Заменить его текстом редактора?" &&
              ui::MessageBoxButtons(box) == std::vector<std::wstring>{L"&Да", L"&Нет"} &&
              (ui::StyleOf(GetDlgItem(box, IDNO)) & BS_DEFPUSHBUTTON) && ui::MessageBoxIcon(box) == IDI_EXCLAMATION &&
              ui::TextOf(box) == L"Carrow",
          "Сохранить asks before it replaces a file it never loaded: Да, Нет the default, warning icon, the title");
    if (!pictures.empty()) ui::SaveWindowPicture(box, pictures + L"\\text-question.bmp");
    AnswerQuestion(carrow, IDNO);
    Check(ui::ReadTextFile(folder.File(L"server.cfg")) == kConfig, "Нет keeps server.cfg: the placeholder is not written");
    carrow.Close();
}

void SaveRestartAndRefresh() {
    ui::EndProcessesNamed(kServer);
    const Folder folder = ServerFolder(L"text-both", true, true);
    std::vector<std::wstring> reports;
    Carrow carrow = StartCarrow(folder, &reports);
    Check(reports.empty(), "with both files no report is shown");
    Check(ui::TextOf(carrow.Config()) == L"hostname Test server\r\nport 7777\r\nmaxplayers 50\r\n",
          "the configuration editor shows server.cfg");

    carrow.ShowPage(3);
    const HWND config = carrow.Config();
    SetWindowTextW(config, L"hostname Edited");
    ui::ClickAt(config, {5, 5});
    Check(ui::WaitUntil([&] { return ui::FocusOf(carrow.form) == config; }, 3000), "a click puts the focus in the editor");
    // Posted, so it comes after the click's own messages, which put the caret at the start.
    PostMessageW(config, EM_SETSEL, 15, 15);
    ui::PostKey(config, VK_RETURN);
    ui::WaitUntil([&] { return ui::TextOf(config).size() > 15; }, 2000);
    PostMessageW(config, WM_CHAR, L'p', 0);
    ui::WaitUntil([&] { return ui::TextOf(config).size() > 17; }, 2000);
    Check(ui::TextOf(config) == L"hostname Edited\r\np", "Enter breaks the line in the editor: " + Narrow(ui::TextOf(config)));
    ui::PostKey(config, VK_TAB);
    Check(ui::WaitUntil([&] { return ui::FocusOf(carrow.form) == carrow.Control(carrow::kButton6); }, 2000) &&
              ui::TextOf(config) == L"hostname Edited\r\np",
          "Tab moves the focus to Сохранить and types nothing " + std::to_string(GetDlgCtrlID(ui::FocusOf(carrow.form))));
    const LONG style = ui::StyleOf(config);
    Check((style & (WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL)) == 0 && (style & ES_WANTRETURN),
          "the editor wraps its lines, has no scroll bars and hides its selection without the focus");

    carrow.Press(carrow::kButton7);  // Рестарт
    Check(ui::WaitUntil([] { return ui::ProcessesNamed(kServer).size() == 1; }, 8000), "Рестарт starts the server");
    Check(ui::ReadTextFile(folder.File(L"server.cfg")) == kConfig && ui::TextOf(config) == L"hostname Edited\r\np",
          "Рестарт does not save: the file is unchanged, the editor keeps the edit");
    carrow.Press(carrow::kButton6);  // Сохранить
    Check(ui::WaitUntil([&] { return ui::ReadTextFile(folder.File(L"server.cfg")) == "hostname Edited\r\np"; }, 3000),
          "Сохранить writes the editor's text with CR LF and no extra line break");
    carrow.Picture(L"text-settings-saved");

    // The server bans a player while the operator works on the ban list.
    carrow.ShowPage(2);
    const HWND ban = carrow.BanList();
    const std::wstring banPath = folder.File(L"samp.ban");
    const std::string banned = std::string(kBanList) + "10.0.0.9 [01/02/24 | 18:00:00] cheater - BAN\r\n";
    ui::WriteTextFile(banPath, banned);
    PostMessageW(ban, WM_CHAR, L'#', 0);
    ui::WaitUntil([&] { return ui::TextOf(ban).front() == L'#'; }, 2000);
    carrow.Press(carrow::kButton4);  // Сохранить
    const std::wstring changed = AnswerQuestion(carrow, IDNO);
    Check(changed == L"Файл " + banPath + L" изменён другой программой после загрузки. Заменить его текстом редактора?" &&
              ui::ReadTextFile(banPath) == banned,
          "Сохранить asks before it replaces the bans the server added, and Нет keeps them: " + Narrow(changed));
    carrow.Press(carrow::kButton8);  // Обновить
    const std::wstring discard = AnswerQuestion(carrow, IDNO);
    Check(discard == L"Отменить несохранённые изменения и загрузить " + banPath + L" заново?" &&
              ui::TextOf(ban).front() == L'#',
          "Обновить asks before it throws edits away, and Нет keeps them: " + Narrow(discard));
    carrow.Press(carrow::kButton8);
    AnswerQuestion(carrow, IDYES);
    Check(ui::WaitUntil([&] { return ui::TextOf(ban) == Widen(banned); }, 3000), "Да loads the ban list as it is now");

    // Loaded again, the file is saved without a question: here it is read-only.
    SetWindowTextW(ban, L"unsaved ban");
    SetFileAttributesW(banPath.c_str(), FILE_ATTRIBUTE_READONLY);
    carrow.Press(carrow::kButton4);
    HWND box = carrow.Report(4000);
    const std::wstring text = ReportText(box);
    Check(StartsWith(text, L"Cannot create file \"" + banPath + L"\". "),
          "saving a read-only samp.ban gives the create message: " + Narrow(text));
    if (box) ui::PressOk(box);
    Check(ui::ReadTextFile(banPath) == banned && ui::TextOf(ban) == L"unsaved ban",
          "the read-only file and the editor keep their contents");
    SetFileAttributesW(folder.File(L"samp.ban").c_str(), FILE_ATTRIBUTE_NORMAL);
    carrow.Press(carrow::kButton3);  // Стоп
    carrow.Close();
    ui::EndProcessesNamed(kServer);
}

// A ban list whose read fails (a failing disk or network share) is reported,
// never shown as if it were the file, and never written over.  The test run
// stages the server folder "unreadable", whose samp.ban fails every read.
void FailedReadKeepsTheFile() {
    const std::wstring ban = ui::FullPath(L"unreadable\\samp.ban");
    if (GetFileAttributesW(ban.c_str()) == INVALID_FILE_ATTRIBUTES) {
        host::Skip("a ban list whose read fails", "no unreadable\\samp.ban in the current folder");
        return;
    }
    const Folder folder = ServerFolder(L"unreadable", false, true);
    std::vector<std::wstring> reports;
    Carrow carrow = StartCarrow(folder, &reports);
    Check(reports.size() == 1 && StartsWith(reports[0], L"Cannot open file \"" + ban + L"\". ") &&
              ui::TextOf(carrow.BanList()) == kNoData,
          "a failed read is reported and the editor keeps the placeholder");
    carrow.ShowPage(2);
    carrow.Press(carrow::kButton4);
    const std::wstring text = ReportText(carrow.Report(4000));
    if (HWND box = carrow.Report(0)) Answer(box);
    Check(StartsWith(text, L"Cannot open file \"" + ban + L"\". ") && ui::ReadTextFile(ban).empty() &&
              GetFileAttributesW(ban.c_str()) != INVALID_FILE_ATTRIBUTES,
          "Сохранить over a file it cannot read reports that and writes nothing: " + Narrow(text));
    carrow.Close();
}

// Every byte of an unedited ban list goes back to the file, zero bytes too.
void ZeroBytesSurvive() {
    const Folder folder = ServerFolder(L"text-zero", false, true);
    std::string bytes("10.0.0.8\0tail\r\n", 15);
    for (int b = 0x80; b < 0x100; ++b) bytes += static_cast<char>(b);
    ui::WriteTextFile(folder.File(L"samp.ban"), bytes);
    Carrow carrow = StartCarrow(folder);
    carrow.ShowPage(2);
    Check(StartsWith(ui::TextOf(carrow.BanList()), L"10.0.0.8\u2400tail\r\n"), "a zero byte shows as a visible stand-in");
    carrow.Picture(L"text-zero-byte");
    carrow.PressAndWait(carrow::kButton4);
    Check(ui::ReadTextFile(folder.File(L"samp.ban")) == bytes, "saving the unedited ban list writes every byte back");
    carrow.Close();
}

int FirstVisible(HWND box) { return static_cast<int>(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0)); }

// How far down the box lets its view go; the view is put back.
int ScrollLimit(HWND box) {
    const int from = FirstVisible(box);
    SendMessageW(box, EM_LINESCROLL, 0, 1 << 20);
    const int limit = FirstVisible(box);
    SendMessageW(box, EM_LINESCROLL, 0, from - limit);
    return limit;
}

// Whether the line is among the first lines in view.
bool LineInView(HWND box, int line) { return line >= FirstVisible(box) && line < FirstVisible(box) + 3; }

std::string LogLines(int count) {
    std::string log;
    for (int i = 1; i <= count; ++i) log += "[12:00:00] earlier line " + std::to_string(i) + "\r\n";
    return log;
}

void LogFollowsTheServer() {
    ui::EndProcessesNamed(kServer);
    const Folder folder = ServerFolder(L"text-log", true, true);
    ui::WriteTextFile(folder.File(L"server_log.txt"), LogLines(100));
    Carrow carrow = StartCarrow(folder);
    const HWND box = carrow.Box();
    carrow.Press(carrow::kButton1);  // Старт
    Check(ui::WaitUntil([&] { return ui::TextOf(box).find(L"Stand-in server started") != std::wstring::npos; }, 8000),
          "after Старт the view shows the server's log");
    const int lines = static_cast<int>(SendMessageW(box, EM_GETLINECOUNT, 0, 0)) - 1;
    const int first = FirstVisible(box);
    Check(first > 0 && first == std::min(lines - 1, ScrollLimit(box)) && LineInView(box, lines - 1),
          "the view is scrolled down to the log's last line (" + std::to_string(first) + " of " +
              std::to_string(lines) + ")");
    carrow.Picture(L"text-log-running");

    carrow.Press(carrow::kButton3);  // Стоп
    Check(ui::WaitUntil([] { return ui::ProcessesNamed(kServer).empty(); }, 8000), "Стоп ends the server");
    carrow.Idle();  // the handler has returned: the timer is off
    const std::wstring kept = ui::TextOf(box);
    const std::string copy = ui::ReadTextFile(folder.File(L"server_log1.txt"));
    ui::WriteTextFile(folder.File(L"server_log.txt"), "written after the stop\r\n");
    // A running timer would copy within one period (2 s).
    const bool copied = ui::WaitUntil(
        [&] { return ui::ReadTextFile(folder.File(L"server_log1.txt")) != copy || ui::TextOf(box) != kept; }, 2600);
    Check(!copied && !kept.empty(), "after Стоп the view keeps its text and no further copy is made");
    carrow.Close();
}

void QuietLogMovesToTheLimit() {
    ui::EndProcessesNamed(kServer);
    const Folder folder = ServerFolder(L"text-quiet", true, true);
    // The stand-in server cannot write a read-only log, so it ends at once.
    ui::WriteTextFile(folder.File(L"server_log.txt"), LogLines(100));
    SetFileAttributesW(folder.File(L"server_log.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Carrow carrow = StartCarrow(folder);
    const HWND box = carrow.Box();
    carrow.Press(carrow::kButton1);
    Check(ui::WaitUntil([&] { return ui::TextOf(box).find(L"earlier line 100") != std::wstring::npos; }, 8000),
          "a quiet log is shown");
    const int afterNew = FirstVisible(box);
    const int limit = ScrollLimit(box);
    Check(afterNew == std::min(99, limit), "after new text the view is scrolled down by 99 lines, as far as it goes");
    // From near the top a quiet tick's 99 lines down end at the limit.
    SendMessageW(box, EM_LINESCROLL, 0, 10 - afterNew);
    Check(FirstVisible(box) == 10 &&
              ui::WaitUntil([&] { return FirstVisible(box) == limit; }, 6000),
          "a quiet tick moves the view down to its limit (" + std::to_string(limit) + ")");
    carrow.Press(carrow::kButton3);
    carrow.Close();
    SetFileAttributesW(folder.File(L"server_log.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(folder.File(L"server_log1.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

void OldCopyAndNoLog() {
    ui::EndProcessesNamed(kServer);
    {
        // A folder in the log's place: the server cannot start and no copy is made.
        const Folder folder = ServerFolder(L"text-oldcopy", true, true);
        ui::MakeFolder(folder.File(L"server_log.txt"));
        ui::WriteTextFile(folder.File(L"server_log1.txt"), "an old copy of the log\r\n");
        Carrow carrow = StartCarrow(folder);
        carrow.Press(carrow::kButton1);
        Check(ui::WaitUntil([&] { return ui::TextOf(carrow.Box()) == L"an old copy of the log\r\n"; }, 8000),
              "an old server_log1.txt without server_log.txt is shown");
        // A report would come from the tick that showed the copy or the next one.
        Check(carrow.Report(2600) == nullptr, "and shown without any message");
        carrow.Press(carrow::kButton3);
        carrow.Close();
    }
    const Folder folder = ServerFolder(L"text-nolog", true, true);
    ui::MakeFolder(folder.File(L"server_log.txt"));
    Carrow carrow = StartCarrow(folder);
    carrow.Press(carrow::kButton1);
    HWND box = carrow.Report(6000);
    const std::wstring text = ReportText(box);
    Check(StartsWith(text, L"Cannot open file \"" + folder.File(L"server_log1.txt") + L"\". "),
          "with neither log nor copy a tick reports the copy's full path: " + Narrow(text));
    carrow.Picture(L"text-log-report");
    // Two more ticks fall due meanwhile.
    Check(!ui::WaitUntil([&] { return carrow.OpenReports() > 1; }, 4600),
          "ticks while the report is open show no further report");
    if (box) ui::PressOk(box);
    HWND next = carrow.Report(5000);
    Check(next != nullptr, "after the report is closed the next tick reports again");
    if (next) ui::PressOk(next);
    carrow.Press(carrow::kButton3);
    carrow.Close();
}

// What the screen shows of a window's client area (another process's window
// can be read only through the screen).
bool AnyPixel(HWND window, bool (*wanted)(COLORREF)) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    bool found = false;
    const auto* pixel = static_cast<const BYTE*>(bits);
    for (LONG i = 0; bits && i < client.right * client.bottom && !found; ++i, pixel += 4) {
        found = wanted(RGB(pixel[2], pixel[1], pixel[0]));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return found;
}

bool Reddish(COLORREF c) { return GetRValue(c) > 180 && GetGValue(c) < 80 && GetBValue(c) < 80; }
bool Dark(COLORREF c) { return GetRValue(c) < 70 && GetGValue(c) < 90 && GetBValue(c) < 100; }

void ColourChoice() {
    ui::EndProcessesNamed(kServer);
    const Folder folder = ServerFolder(L"text-colour", true, true);
    ui::WriteTextFile(folder.File(L"server_log.txt"), LogLines(5));
    SetFileAttributesW(folder.File(L"server_log.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Carrow carrow = StartCarrow(folder);
    const HWND chooser = carrow.Control(carrow::kColorBox1);
    Check(SendMessageW(chooser, CB_GETCOUNT, 0, 0) == 50 && SendMessageW(chooser, CB_GETCURSEL, 0, 0) == 0,
          "the chooser lists 50 colours with clBlack selected");
    wchar_t name[64] = {};
    SendMessageW(chooser, CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(name));
    Check(std::wstring(name) == L"clRed", "its tenth entry is clRed");
    carrow.Press(carrow::kButton1);
    ui::WaitUntil([&] { return ui::TextOf(carrow.Box()).find(L"earlier line 5") != std::wstring::npos; }, 8000);
    carrow.PressAndWait(carrow::kButton3);
    ui::WaitUntil([&] { return AnyPixel(carrow.Box(), Dark); }, 3000);
    Check(!AnyPixel(carrow.Box(), Reddish) && AnyPixel(carrow.Box(), Dark), "the log text starts dark");

    RECT field;
    GetClientRect(chooser, &field);
    ui::ClickAt(chooser, {field.right / 2, field.bottom / 2});
    ui::WaitUntil([&] { return SendMessageW(chooser, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 3000);
    carrow.Picture(L"text-colour-list");
    for (int i = 0; i < 9; ++i) ui::PostKey(chooser, VK_DOWN);
    ui::PostKey(chooser, VK_RETURN);
    ui::WaitUntil([&] { return SendMessageW(chooser, CB_GETCURSEL, 0, 0) == 9 && AnyPixel(carrow.Box(), Reddish); },
                  3000);
    Check(SendMessageW(chooser, CB_GETCURSEL, 0, 0) == 9, "the arrow keys choose clRed");
    Check(AnyPixel(carrow.Box(), Reddish), "choosing clRed turns the log text red at once");
    carrow.Picture(L"text-colour-red");
    carrow.ShowPage(2);
    Check(!AnyPixel(carrow.BanList(), Reddish) && AnyPixel(carrow.BanList(), Dark),
          "the ban list editor keeps its colour");
    carrow.Close();
    SetFileAttributesW(folder.File(L"server_log.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(folder.File(L"server_log1.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        pictures = ui::FullPath(argv[1]);
        ui::MakeFolder(pictures);
    }
    EditorsAtStart();
    SaveRestartAndRefresh();
    FailedReadKeepsTheFile();
    ZeroBytesSurvive();
    LogFollowsTheServer();
    QuietLogMovesToTheLimit();
    OldCopyAndNoLog();
    ColourChoice();
    ui::EndProcessesNamed(kServer);
    return host::Finish();
}
