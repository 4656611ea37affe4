// Drives the file browser page of Carrow.exe under Wine as the operator
// would: the first view, "Назад", entering folders by double-click,
// "Обновить", renaming in place, type-ahead, the context menu and what the
// current folder is afterwards.  Run in a folder that holds Carrow.exe and
// samp-server.exe; pictures go to the folder named by the first argument.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host_check.h"
#include "ui_driver.h"

namespace {

using host::Check;

constexpr wchar_t kServer[] = L"samp-server.exe";
std::wstring pictures;

void Picture(HWND window, const wchar_t* name) {
    if (!pictures.empty()) ui::SaveWindowPicture(window, pictures + L"\\" + name + L".bmp");
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The name the shell gives the computer's folder, as the list shows it on the Desktop.
std::wstring ComputerName() {
    PIDLIST_ABSOLUTE computer = nullptr;
    if (FAILED(SHGetFolderLocation(nullptr, CSIDL_DRIVES, nullptr, 0, &computer))) return L"";
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<const wchar_t*>(computer), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
    CoTaskMemFree(computer);
    return info.szDisplayName;
}

// A folder of its own at the top of drive C:, with folders, files and a hidden file.
struct Sandbox {
    std::wstring name = L"browse-ui-" + std::to_wstring(GetCurrentProcessId());
    std::wstring path = L"C:\\" + name;
    Sandbox() {
        ui::MakeFolder(path);
        ui::MakeFolder(path + L"\\beta");
        ui::MakeFolder(path + L"\\Alpha");
        ui::WriteTextFile(path + L"\\readme.txt", "read me\r\n");
        ui::WriteTextFile(path + L"\\Zeta.dat", "z");
        ui::WriteTextFile(path + L"\\secret.txt", "hidden");
        SetFileAttributesW((path + L"\\secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    std::wstring operator/(const std::wstring& file) const { return path + L"\\" + file; }
};

struct Carrow {
    ui::Process process;
    HWND form = nullptr;
    HWND list = nullptr;

    std::wstring ItemText(int index) const {
        struct Remote {  // the item and its text buffer travel together
            LVITEMW item;
            wchar_t text[MAX_PATH];
        };
        HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process.Id());
        if (!target) return L"";
        auto* remote = static_cast<Remote*>(
            VirtualAllocEx(target, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        Remote local = {};
        local.item.pszText = remote ? remote->text : nullptr;
        local.item.cchTextMax = MAX_PATH;
        if (remote && WriteProcessMemory(target, remote, &local, sizeof local, nullptr))
            SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(remote));
        if (remote) ReadProcessMemory(target, remote, &local, sizeof local, nullptr);
        if (remote) VirtualFreeEx(target, remote, 0, MEM_RELEASE);
        CloseHandle(target);
        return local.text;
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) names.push_back(ItemText(i));
        return names;
    }
    int Find(const std::wstring& name) const {
        const auto names = Names();
        const auto at = std::find(names.begin(), names.end(), name);
        return at == names.end() ? -1 : static_cast<int>(at - names.begin());
    }
    int FindContaining(const std::wstring& part) const {
        const auto names = Names();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i].find(part) != std::wstring::npos) return static_cast<int>(i);
        return -1;
    }
    int Selected() const {
        return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    HWND Edit() const { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0)); }
    POINT IconCentre(int index) const {
        SendMessageW(list, LVM_ENSUREVISIBLE, index, FALSE);
        RECT icon = {LVIR_ICON, 0, 0, 0};
        ui::SendWithBuffer(list, LVM_GETITEMRECT, index, &icon, sizeof icon);
        return {(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    }
    void Settle() const { Sleep(600); }
    void Click(int index) const {
        ui::ClickAt(list, IconCentre(index));
        Settle();
    }
    void DoubleClick(int index) const {
        const POINT at = IconCentre(index);
        const LPARAM where = MAKELPARAM(at.x, at.y);
        ui::ClickAt(list, at);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        PostMessageW(list, WM_LBUTTONUP, 0, where);
        Settle();
    }
    void RightClick(int index) const {
        const POINT at = IconCentre(index);
        const LPARAM where = MAKELPARAM(at.x, at.y);
        POINT screen = at;  // the list opens its menu where the pointer is
        ClientToScreen(list, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, where);
        PostMessageW(list, WM_RBUTTONUP, 0, where);
    }
    // Opens the item's context menu and chooses by the entry's underlined letter.
    bool ChooseFromMenu(int index, wchar_t letter, const wchar_t* picture = nullptr) const {
        RightClick(index);
        const HWND menu = ui::WaitForTopWindow(process.Id(), L"#32768", true, 5000);
        if (!menu) return false;
        Sleep(300);
        if (picture) Picture(GetDesktopWindow(), picture);
        PostMessageW(menu, WM_CHAR, letter, 1);
        Settle();
        return true;
    }
    void Type(const std::wstring& text) const {
        for (wchar_t c : text) PostMessageW(list, WM_CHAR, c, 1);
        Settle();
    }
    void Key(HWND window, WORD key) const {
        ui::PostKey(window, key);
        Settle();
    }
    void Press(const wchar_t* caption) const {
        ui::Click(ui::FindDescendant(form, L"Button", caption));
        Settle();
    }
    // Edits item `index` in place, types `text` and ends the edit with `key`.
    void EditName(int index, const std::wstring& text, WORD key) const {
        SendMessageW(list, LVM_EDITLABELW, index, 0);
        Settle();
        const HWND edit = Edit();
        if (!edit) return;
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        Key(edit, key);
    }
};

Carrow StartOnBrowserPage(const std::wstring& folder) {
    // The editors load these at start; without them a report would come first.
    ui::WriteTextFile(folder + L"\\samp.ban", "");
    ui::WriteTextFile(folder + L"\\server.cfg", "port 7777\r\n");
    Carrow carrow;
    carrow.process = ui::Start(folder + L"\\Carrow.exe", folder);
    carrow.form = ui::WaitForTopWindow(carrow.process.Id(), L"TForm1", true, 20000);
    Check(carrow.form != nullptr, "Carrow's window appears");
    if (!carrow.form) return carrow;
    const HWND tabs = ui::FindDescendant(carrow.form, L"SysTabControl32");
    const RECT tab = ui::TabRect(tabs, 1);
    ui::ClickAt(tabs, {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
    carrow.list = ui::FindDescendant(carrow.form, L"SysListView32");
    Check(ui::WaitUntil([&] { return IsWindowVisible(carrow.list) != FALSE; }, 3000), "the page \"Проводник\" shows");
    carrow.Settle();
    return carrow;
}

// Input is posted: what it leads to shows a moment later.
bool Eventually(const std::function<bool()>& condition) { return ui::WaitUntil(condition, 5000); }

std::size_t Servers() { return ui::ProcessesNamed(kServer).size(); }

// The server is started in Carrow's current folder and writes its log there:
// a log in the server folder, and none in the browsed one, proves that the
// current folder is the server folder.
bool RunsInServerFolder(const Carrow& carrow, const std::wstring& server, const Sandbox& box) {
    DeleteFileW((server + L"\\server_log.txt").c_str());
    carrow.Press(L"Старт");
    const bool logged = ui::WaitUntil([&] { return Exists(server + L"\\server_log.txt"); }, 8000);
    carrow.Press(L"Стоп");
    ui::WaitUntil([] { return Servers() == 0; }, 8000);
    return logged && !Exists(box / L"server_log.txt");
}

void FirstViewAndBack(Carrow& carrow) {
    Picture(carrow.form, L"browser-drives");
    const int drive = carrow.FindContaining(L"C:");
    Check(drive >= 0, "the first view lists drive C:");
    Check(carrow.Find(ComputerName()) < 0, "the first view is the computer's top level, not the Desktop");
    Check(carrow.Selected() < 0, "nothing is selected in the first view");
    const auto drives = carrow.Names();
    carrow.Press(L"Назад");
    const auto desktop = carrow.Names();
    Check(Eventually([&] { return carrow.Find(ComputerName()) >= 0; }),
          "\"Назад\" at the top level lists the Desktop, with the computer on it");
    Picture(carrow.form, L"browser-desktop");
    carrow.Press(L"Назад");
    Check(carrow.Names() == desktop, "\"Назад\" at the Desktop changes nothing");
    carrow.DoubleClick(carrow.Find(ComputerName()));
    Check(Eventually([&] { return carrow.Names() == drives; }), "double-clicking the computer lists the drives again");
}

void EnterByDoubleClick(Carrow& carrow, const Sandbox& box) {
    carrow.DoubleClick(carrow.FindContaining(L"C:"));
    Check(Eventually([&] { return carrow.Find(box.name) >= 0; }), "double-clicking drive C: lists its folders");
    const int folder = carrow.Find(box.name);
    if (folder >= 0) carrow.DoubleClick(folder);
    Check(Eventually([&] {
              const auto names = carrow.Names();
              return names.size() == 4 && names[0] == L"Alpha" && names[1] == L"beta";
          }),
          "double-clicking the folder shows its folders first");
    Check(carrow.Find(L"readme.txt") >= 2 && carrow.Find(L"Zeta.dat") >= 2, "and then its files");
    Check(carrow.Find(L"secret.txt") < 0, "a hidden file is not listed");
    Check(carrow.Selected() < 0, "nothing is selected after entering a folder");
    Picture(carrow.form, L"browser-folder");
}

void Refresh(Carrow& carrow, const Sandbox& box) {
    const int last = static_cast<int>(carrow.Names().size()) - 1;
    carrow.Click(last);
    Check(Eventually([&] { return carrow.Selected() == last; }), "a click selects the last item");
    ui::WriteTextFile(box / L"new.txt", "new");
    Check(carrow.Find(L"new.txt") < 0, "a file created meanwhile is not listed before a refresh");
    carrow.Press(L"Обновить");
    Check(Eventually([&] { return carrow.Find(L"new.txt") >= 0; }), "\"Обновить\" shows a file created meanwhile");
    Check(carrow.Selected() == last, "\"Обновить\" keeps the last position selected");
    DeleteFileW((box / L"new.txt").c_str());
    carrow.Key(carrow.list, VK_F5);
    Check(Eventually([&] { return carrow.Find(L"new.txt") < 0; }), "F5 re-reads the folder");
}

void Rename(Carrow& carrow, const Sandbox& box) {
    const int index = carrow.Find(L"readme.txt");
    carrow.Click(index);
    Check(carrow.ChooseFromMenu(index, L'r', L"browser-menu"), "a right-click opens the item's context menu");
    Check(Eventually([&] { return carrow.Edit() != nullptr; }), "the menu's \"Rename\" edits the name in place");
    if (carrow.Edit()) {
        SendMessageW(carrow.Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"notes.txt"));
        carrow.Settle();
        Picture(carrow.form, L"browser-rename");
        carrow.Key(carrow.Edit(), VK_RETURN);
    }
    Check(Eventually([&] { return Exists(box / L"notes.txt") && !Exists(box / L"readme.txt"); }),
          "renaming in place renames the file on disk");
    Check(carrow.ItemText(index) == L"notes.txt", "the item keeps its place and shows its new name");

    carrow.EditName(index, L"other.txt", VK_ESCAPE);
    Check(Exists(box / L"notes.txt") && carrow.ItemText(index) == L"notes.txt", "Esc keeps the name");

    SendMessageW(carrow.list, LVM_EDITLABELW, index, 0);
    carrow.Settle();
    if (carrow.Edit()) carrow.Key(carrow.Edit(), VK_BACK);
    Check(carrow.Edit() != nullptr && carrow.Find(L"Zeta.dat") >= 0, "Backspace while editing stays in the folder");
    if (carrow.Edit()) carrow.Key(carrow.Edit(), VK_ESCAPE);

    carrow.EditName(index, L"Zeta.dat", VK_RETURN);  // the name of another file
    const HWND box_ = ui::WaitForMessageBox(carrow.process.Id(), 5000);
    Check(box_ && ui::MessageBoxText(box_) == L"Rename to Zeta.dat failed.",
          "a refused rename shows the error report \"Rename to Zeta.dat failed.\"");
    if (box_) {
        Picture(box_, L"browser-rename-refused");
        ui::PressOk(box_);
        carrow.Settle();
    }
    Check(carrow.ItemText(index) == L"notes.txt" && ui::ReadTextFile(box / L"Zeta.dat") == "z",
          "a refused rename keeps both names");
}

void TypeAhead(Carrow& carrow) {
    carrow.Click(0);
    carrow.Type(L"z");
    Check(Eventually([&] { return carrow.Selected() == carrow.Find(L"Zeta.dat"); }),
          "typing \"z\" selects the first name beginning with it");
    Sleep(1200);  // a pause starts a new search
    carrow.Type(L"NO");
    Check(Eventually([&] { return carrow.Selected() == carrow.Find(L"notes.txt"); }), "type-ahead ignores case");
}

void CloseShellMessages(const Carrow& carrow) {
    for (HWND window : ui::TopWindowsOf(carrow.process.Id()))
        if (ui::ClassOf(window) == L"#32770") ui::PressOk(window);
    carrow.Settle();
}

void ContextMenuOpenKeepsServerFolder(Carrow& carrow, const std::wstring& server, const Sandbox& box) {
    Check(RunsInServerFolder(carrow, server, box), "before: the server runs in the server folder");
    const int file = carrow.Find(L"Zeta.dat");
    carrow.Click(file);
    Check(carrow.ChooseFromMenu(file, L'o'), "the menu's \"Open\" on a file");
    CloseShellMessages(carrow);
    Check(RunsInServerFolder(carrow, server, box), "after \"open\" the current folder is the server folder again");
    DeleteFileW((box / L"Zeta.dat").c_str());  // still listed: this "open" fails
    carrow.Click(file);
    carrow.ChooseFromMenu(file, L'o');
    CloseShellMessages(carrow);
    Check(RunsInServerFolder(carrow, server, box),
          "after a failed \"open\" the current folder is the server folder again");
    const int folder = carrow.Find(L"Alpha");
    carrow.Click(folder);
    Check(carrow.ChooseFromMenu(folder, L'o'), "the menu's \"Open\" on a folder");
    CloseShellMessages(carrow);
    Check(RunsInServerFolder(carrow, server, box),
          "after opening a folder the current folder is the server folder again");
}

// The stand-in server writes its log in its current folder, so a copy of it
// in the browsed folder tells where each way of opening a file starts it.
bool StartedIn(const std::wstring& folder, const std::wstring& other) {
    const bool started = ui::WaitUntil([&] { return Exists(folder + L"\\server_log.txt"); }, 8000);
    const bool notElsewhere = !Exists(other + L"\\server_log.txt");
    ui::EndProcessesNamed(kServer);
    ui::WaitUntil([] { return Servers() == 0; }, 8000);
    ui::WaitUntil([&] {
        return DeleteFileW((folder + L"\\server_log.txt").c_str()) || !Exists(folder + L"\\server_log.txt");
    }, 3000);
    return started && notElsewhere;
}

// Enter and double-click on a program: where each starts it.
void OpeningAProgram(Carrow& carrow, const std::wstring& server, const Sandbox& box) {
    DeleteFileW((server + L"\\server_log.txt").c_str());
    ui::CopyInto(kServer, box.path);
    carrow.Press(L"Обновить");
    const int program = carrow.Find(kServer);
    Check(program >= 0, "a program copied into the folder is listed after \"Обновить\"");
    if (program < 0) return;
    carrow.Click(program);
    carrow.Key(carrow.list, VK_RETURN);
    Check(StartedIn(server, box.path), "Enter on a file runs it by the shell, in Carrow's current folder");

    carrow.DoubleClick(program);
    Check(StartedIn(box.path, server), "a double-click on a file starts it in the file's folder");
    DeleteFileW((box / kServer).c_str());
    carrow.Press(L"Обновить");
}

void DeleteRefreshes(Carrow& carrow, const Sandbox& box) {
    ui::WriteTextFile(box / L"old.log", "old");
    carrow.Press(L"Обновить");
    const int file = carrow.Find(L"old.log");
    carrow.Click(file);
    Check(carrow.ChooseFromMenu(file, L'd'), "the menu's \"Delete\" on a file");
    const HWND confirm = ui::WaitForMessageBox(carrow.process.Id(), 5000);
    Check(confirm != nullptr, "the shell asks before it deletes");
    if (confirm) {
        Sleep(300);  // until the box takes its answers
        Picture(confirm, L"browser-delete");
        PostMessageW(confirm, WM_COMMAND, IDYES, 0);
    }
    Check(ui::WaitUntil([&] { return !Exists(box / L"old.log"); }, 5000), "\"Delete\" deletes the file");
    carrow.Settle();
    Check(Eventually([&] { return carrow.Find(L"old.log") < 0; }), "a successful \"Delete\" re-reads the folder");
}

void Keys(Carrow& carrow, const Sandbox& box) {
    carrow.Click(carrow.Find(L"beta"));
    carrow.Key(carrow.list, VK_RETURN);
    Check(Eventually([&] { return carrow.Names().empty(); }), "Enter enters the selected folder");
    carrow.Key(carrow.list, VK_BACK);
    Check(Eventually([&] { return carrow.Find(L"beta") >= 0; }), "Backspace goes back to the parent folder");
    carrow.Key(carrow.list, VK_BACK);
    Check(Eventually([&] { return carrow.Find(box.name) >= 0; }), "Backspace again: drive C:");
    const HWND back = ui::FindDescendant(carrow.form, L"Button", L"Назад");
    const HWND refresh = ui::FindDescendant(carrow.form, L"Button", L"Обновить");
    Check(ui::FocusOf(carrow.form) == carrow.list, "the list has the focus after a click");
    carrow.Key(carrow.list, VK_TAB);
    Check(Eventually([&] { return ui::FocusOf(carrow.form) == back; }), "Tab moves from the list to \"Назад\"");
    carrow.Key(back, VK_TAB);
    Check(Eventually([&] { return ui::FocusOf(carrow.form) == refresh; }), "and on to \"Обновить\"");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        pictures = ui::FullPath(argv[1]);
        ui::MakeFolder(pictures);
    }
    const std::wstring server = ui::FullPath(L"browser-server");
    ui::MakeFolder(server);
    ui::CopyInto(L"Carrow.exe", server);
    ui::CopyInto(kServer, server);
    const Sandbox box;
    Carrow carrow = StartOnBrowserPage(server);
    if (carrow.list) {
        FirstViewAndBack(carrow);
        EnterByDoubleClick(carrow, box);
        Refresh(carrow, box);
        Rename(carrow, box);
        TypeAhead(carrow);
        ContextMenuOpenKeepsServerFolder(carrow, server, box);
        OpeningAProgram(carrow, server, box);
        DeleteRefreshes(carrow, box);
        Keys(carrow, box);
    }
    PostMessageW(carrow.form, WM_CLOSE, 0, 0);
    Check(carrow.process.WaitForExit(8000), "closing the window ends Carrow");
    return host::Finish();
}
