// The folder list in a window of its own over Wine's real shell: the first
// view, going back, entering folders by double-click, refresh, renaming in
// place, keys, type-ahead, opening and the context menu's "open".
#include "browser/file_browser.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <functional>
#include <vector>

#include "base/failure.h"
#include "browser/file_browser_shell.h"
#include "base/handles.h"
#include "host_check.h"
#include "base/guarded.h"
#include "base/reflect.h"
#include "skin/skinned.h"
#include "ui_driver.h"

namespace {

using carrow::ComPtr;
using carrow::FileBrowser;
using carrow::IdList;
using host::Check;

void Pump(DWORD milliseconds = 150) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount64() < end);
}

template <class Done>
bool PumpUntil(Done done, DWORD milliseconds = 10000) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        Pump(50);
    }
    return true;
}

std::string Narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool CanList(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

void RemoveTree(const std::wstring& folder) {
    const std::wstring from = folder + L'\0';  // a list of names that ends with an empty one
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

struct WindowSearch {
    const wchar_t* type;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    wchar_t name[64] = L"";
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && GetClassNameW(window, name, 64) &&
        std::wstring(name) == search.type)
        search.found.push_back(window);
    return TRUE;
}

// Top-level windows of this process of one class ("#32768" menus, "#32770" dialogs).
std::vector<HWND> OwnWindows(const wchar_t* type) {
    WindowSearch search{type, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs a function on a thread of its own while this one shows a modal menu.
class Beside {
public:
    explicit Beside(std::function<void()> work) : work_(std::move(work)) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~Beside() {
        if (!thread_) return;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    Beside(const Beside&) = delete;
    Beside& operator=(const Beside&) = delete;

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<Beside*>(self)->work_();
        return 0;
    }
    std::function<void()> work_;
    HANDLE thread_ = nullptr;
};

std::wstring MenuLabel(HMENU menu, int position) {
    wchar_t text[256] = L"";
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    std::wstring label;
    for (const wchar_t* c = text; *c && *c != L'\t'; ++c)
        if (*c != L'&') label += *c;
    return label;
}

// From another thread: waits for the popup menu and chooses the item labelled
// `label` with the keyboard, as the operator would; "" closes the menu.
void ChooseFromMenu(std::wstring label, std::vector<std::wstring>* seen) {
    for (int tries = 0; tries < 200; ++tries, Sleep(25)) {
        const auto menus = OwnWindows(L"#32768");
        if (menus.empty()) continue;
        const HWND window = menus.front();
        Sleep(100);  // until the menu takes its keys
        const auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
        int steps = 0;
        bool found = false;
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) continue;
            const std::wstring text = MenuLabel(menu, i);
            if (seen) seen->push_back(text);
            ++steps;
            if (!found && !label.empty() && text == label) {
                found = true;
                for (int s = 0; s < steps; ++s) PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
            }
        }
        PostMessageW(window, WM_KEYDOWN, found ? VK_RETURN : VK_ESCAPE, 0);
        return;
    }
}

// Sends the list's notifications back to it, as the panel's pages do.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (carrow::ReflectToChild(window, message, wParam, lParam, result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

class HostWindow {
public:
    HostWindow() {
        WNDCLASSW type{};
        type.lpfnWndProc = HostProc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        type.lpszClassName = L"FolderListHost";
        RegisterClassW(&type);
        window_ = CreateWindowExW(0, type.lpszClassName, L"Folder list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  800, 600, nullptr, nullptr, type.hInstance, nullptr);
    }
    ~HostWindow() { DestroyWindow(window_); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

class Session {
public:
    Session()
        : font_(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma")) {
        SHGetDesktopFolder(&desktop_);
        const carrow::ChildArgs args{window_.Handle(), 100, {0, 35, 780, 525}, L"", font_.Get(), true};
        carrow::SetCallbackFailurePolicy(Collect);
        reports.clear();
        browser.Create(args);
        carrow::skin::Attach(browser.View(), 96);
        Pump();
    }
    ~Session() { carrow::SetCallbackFailurePolicy(nullptr); }

    FileBrowser browser;
    // What the folder list's failures would have shown, in order.
    static inline std::vector<std::wstring> reports;

    HWND List() { return browser.View().Handle(); }
    IShellFolder* Desktop() { return desktop_.Get(); }

    std::wstring FolderPath() {
        wchar_t path[MAX_PATH] = L"";
        return SHGetPathFromIDListW(browser.CurrentFolder(), path) ? path : L"";
    }
    bool AtDesktop() { return ILIsEmpty(browser.CurrentFolder()); }
    bool At(int csidl) { return carrow::SameItem(desktop_.Get(), browser.CurrentFolder(), carrow::SpecialFolder(csidl).get()); }
    void BrowseTo(const std::wstring& path) {
        const IdList folder = carrow::ParseName(desktop_.Get(), path);
        if (folder) browser.BrowseTo(folder.get());
        Pump();
    }

    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        for (std::size_t i = 0; i < browser.ItemCount(); ++i) names.push_back(browser.ItemName(i));
        return names;
    }
    std::optional<int> Find(const std::wstring& name) {
        for (std::size_t i = 0; i < browser.ItemCount(); ++i)
            if (browser.ItemName(i) == name) return static_cast<int>(i);
        return std::nullopt;
    }
    std::optional<int> FindContaining(const std::wstring& part) {
        for (std::size_t i = 0; i < browser.ItemCount(); ++i)
            if (browser.ItemName(i).find(part) != std::wstring::npos) return static_cast<int>(i);
        return std::nullopt;
    }
    bool FoldersFirst() {
        for (std::size_t i = 1; i < browser.ItemCount(); ++i)
            if (browser.ItemIsFolder(i) && !browser.ItemIsFolder(i - 1)) return false;
        return true;
    }
    // Each neighbouring pair of one kind in the folder's own name order.
    bool GroupsInShellOrder(IShellFolder* folder) {
        for (std::size_t i = 1; i < browser.ItemCount(); ++i) {
            if (browser.ItemIsFolder(i) != browser.ItemIsFolder(i - 1)) continue;
            const HRESULT order = folder->CompareIDs(0, ILFindLastID(browser.ItemIdList(i - 1)),
                                                     ILFindLastID(browser.ItemIdList(i)));
            if (FAILED(order) || static_cast<short>(HRESULT_CODE(order)) > 0) return false;
        }
        return true;
    }
    std::optional<int> Selected() { return browser.View().Selected(); }

    void Click(int index, bool twice) {
        RECT icon{};
        ListView_GetItemRect(List(), index, &icon, LVIR_ICON);
        const LPARAM at = MAKELPARAM((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
        PostMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(List(), WM_LBUTTONUP, 0, at);
        if (twice) {
            PostMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageW(List(), WM_LBUTTONUP, 0, at);
        }
        Pump(300);
    }
    void Key(HWND target, UINT key, bool alt = false) {
        PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? (1 << 29) : 0);
        PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, alt ? (1 << 29) | (3u << 30) : (3u << 30));
        Pump(300);
    }
    void Type(const std::wstring& text) {
        for (wchar_t c : text) PostMessageW(List(), WM_CHAR, c, 1);  // a repeat count of one
        Pump(200);
    }
    HWND Edit() { return ListView_GetEditControl(List()); }
    // Edits the name of item `index` in place and ends the edit with `key`.
    void EditName(int index, const std::wstring& typed, UINT key) {
        browser.View().EditLabel(index);
        Pump();
        if (!Edit()) return;
        SetWindowTextW(Edit(), typed.c_str());
        SendMessageW(Edit(), WM_KEYDOWN, key, 0);
        Pump();
    }

private:
    static void Collect() noexcept {
        try {
            throw;
        } catch (const carrow::Failure& failure) {
            reports.push_back(failure.Message());
        } catch (...) {
            reports.push_back(L"unexpected failure");
        }
    }

    HostWindow window_;
    carrow::Font font_;
    ComPtr<IShellFolder> desktop_;
};

// A folder of its own at the top of drive C:, with folders, files and a hidden file.
struct Sandbox {
    std::wstring path = L"C:\\browse-" + std::to_wstring(GetCurrentProcessId());
    Sandbox() {
        CreateDirectoryW(path.c_str(), nullptr);
        CreateDirectoryW((path + L"\\beta").c_str(), nullptr);
        CreateDirectoryW((path + L"\\Alpha").c_str(), nullptr);
        ui::WriteTextFile(path + L"\\readme.txt", "read me\r\n");
        ui::WriteTextFile(path + L"\\Zeta.dat", "z");
        ui::WriteTextFile(path + L"\\\x424\x43E\x442\x43E.txt", "photo");  // Фото.txt
        ui::WriteTextFile(path + L"\\secret.txt", "hidden", FILE_ATTRIBUTE_HIDDEN);
        // Writes the folder it was started in beside the current folder's other files.
        ui::WriteTextFile(path + L"\\where.bat", "@cd > cwd.txt\r\n");
    }
    ~Sandbox() { RemoveTree(path); }
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }
};

void FirstView(Session& s) {
    Check(s.At(CSIDL_DRIVES), "the first folder is the computer's top level");
    Check(s.FindContaining(L"C:").has_value(), "the first view lists drive C:");
    Check(s.browser.ItemCount() > 0 && s.browser.ItemIsFolder(0), "the first view starts with folders");
    Check(s.FoldersFirst(), "the first view lists folders first");
    Check(!s.Selected(), "nothing is selected in the first view");
    Check(s.browser.View().ItemCount() == static_cast<int>(s.browser.ItemCount()), "the list shows every item");
    Check(!s.browser.Busy(), "the busy flag is clear after listing");
}

void Back(Session& s) {
    SendMessageW(s.List(), WM_KEYDOWN, VK_BACK, 0);
    Pump();
    Check(s.AtDesktop(), "going back from the computer lists the Desktop");
    const IdList computer = carrow::SpecialFolder(CSIDL_DRIVES);
    bool listsComputer = false;
    for (std::size_t i = 0; i < s.browser.ItemCount(); ++i) {
        listsComputer = listsComputer || carrow::SameItem(s.Desktop(), s.browser.ItemIdList(i), computer.get());
    }
    Check(listsComputer, "the Desktop lists the computer");
    const auto before = s.Names();
    s.browser.GoToParent();
    Pump();
    Check(s.AtDesktop() && s.Names() == before, "going back at the Desktop changes nothing");
    s.browser.BrowseTo(computer.get());
    Pump();
    Check(s.At(CSIDL_DRIVES), "browsing to the computer again");
}

void EnterByDoubleClick(Session& s, const Sandbox& box) {
    const auto drive = s.FindContaining(L"C:");
    if (drive) s.Click(*drive, true);
    Check(s.FolderPath() == L"C:\\", "double-clicking drive C: enters it");
    const std::wstring name = box.path.substr(3);
    const auto folder = s.Find(name);
    Check(folder.has_value(), "the sandbox is listed in C:\\");
    if (folder) s.Click(*folder, true);
    Check(s.FolderPath() == box.path, "double-clicking a folder enters it");
    const auto names = s.Names();
    Check(names.size() >= 6 && names[0] == L"Alpha" && names[1] == L"beta",
          "folders come first, in the folder's own order (case aside)");
    Check(s.FoldersFirst(), "no folder after a file");
    ComPtr<IShellFolder> shellFolder = carrow::OpenFolder(s.Desktop(), s.browser.CurrentFolder());
    Check(shellFolder && s.GroupsInShellOrder(shellFolder.Get()), "each group in the folder's comparison order");
    Check(!s.Find(L"secret.txt"), "a hidden file is not listed");
    Check(s.Find(L"readme.txt") && s.Find(L"Zeta.dat") && s.Find(L"where.bat"), "the files are listed");
    Check(!s.Selected(), "nothing is selected after entering a folder");
}

void Refresh(Session& s, const Sandbox& box) {
    const int last = static_cast<int>(s.browser.ItemCount()) - 1;
    s.browser.View().Select(last);
    ui::WriteTextFile(box / L"new.txt", "new");
    s.Key(s.List(), VK_F5);
    Check(s.Find(L"new.txt").has_value(), "F5 shows a file created meanwhile");
    Check(s.Selected() == last, "a refresh selects the same position again");
    DeleteFileW((box / L"new.txt").c_str());
    Check(s.Find(L"new.txt").has_value(), "a file deleted elsewhere stays listed until a refresh");
    s.browser.View().ClearSelection();
    s.browser.RefreshFolder();
    Pump();
    Check(!s.Find(L"new.txt"), "a refresh drops a deleted file");
    Check(!s.Selected(), "a refresh with nothing selected selects nothing");
    Check(s.FolderPath() == box.path, "a refresh stays in the folder");
}

void Rename(Session& s, const Sandbox& box) {
    auto index = s.Find(L"readme.txt");
    if (!index) return Check(false, "readme.txt to rename");
    s.EditName(*index, L"notes.txt", VK_RETURN);
    Check(Exists(box / L"notes.txt") && !Exists(box / L"readme.txt"), "renaming in place renames on disk");
    Check(s.browser.ItemName(*index) == L"notes.txt", "the renamed item keeps its place and shows its new name");
    Check(s.reports.empty(), "a rename that works reports nothing");

    s.EditName(*index, L"other.txt", VK_ESCAPE);
    Check(Exists(box / L"notes.txt") && !Exists(box / L"other.txt"), "Esc keeps the name on disk");
    Check(s.browser.ItemName(*index) == L"notes.txt", "Esc keeps the name in the list");

    s.EditName(*index, L"Zeta.dat", VK_RETURN);  // the name of another file
    Check(s.reports.size() == 1 && s.reports[0] == L"Rename to Zeta.dat failed",
          "a refused rename reports \"Rename to Zeta.dat failed\"");
    Check(Exists(box / L"notes.txt") && ui::ReadTextFile(box / L"Zeta.dat") == "z", "a refused rename changes no file");
    Check(s.browser.ItemName(*index) == L"notes.txt", "a refused rename keeps the old name in the list");
    s.reports.clear();

    s.browser.View().EditLabel(*index);
    Pump();
    const HWND edit = s.Edit();
    Check(edit != nullptr, "the rename command edits the name in place");
    if (edit) {
        s.Key(edit, VK_BACK);
        Check(s.FolderPath() == box.path && s.Edit(), "Backspace while editing stays in the folder");
        SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
        Pump();
    }
    Check(Exists(box / L"notes.txt"), "Backspace while editing renames nothing");
}

void TypeAhead(Session& s) {
    s.browser.View().ClearSelection();
    s.Type(L"Z");
    const auto zeta = s.Find(L"Zeta.dat");
    Check(zeta && s.Selected() == zeta, "typing selects the first item that begins with the text");
    Sleep(1200);  // a pause starts a new search
    s.Type(L"\x444");  // ф
    const auto photo = s.Find(L"\x424\x43E\x442\x43E.txt");
    Check(photo && s.Selected() == photo, "type-ahead ignores case beyond ASCII");
    Sleep(1200);
    s.Type(L"q");
    Check(photo && s.Selected() == photo, "typing without a match keeps the selection");
    Check(carrow::BeginsWithIgnoringCase(L"README.TXT", L"read") &&
              !carrow::BeginsWithIgnoringCase(L"re", L"read") && carrow::BeginsWithIgnoringCase(L"x", L""),
          "prefix test: case aside, never past the name");
}

void KeysAndOpening(Session& s, const Sandbox& box) {
    s.Key(s.List(), VK_BACK);
    Check(s.FolderPath() == L"C:\\", "Backspace goes to the parent folder");
    const auto folder = s.Find(box.path.substr(3));
    if (folder) s.browser.View().Select(*folder);
    s.Key(s.List(), VK_RETURN);
    Check(s.FolderPath() == box.path, "Enter enters the selected folder");

    const std::wstring server = carrow::CurrentFolder();
    const auto script = s.Find(L"where.bat");
    if (script) s.Click(*script, true);
    // The script may still be writing when the file appears: wait for its whole line.
    Check(PumpUntil([&] { return ui::ReadTextFile(box / L"cwd.txt").find('\n') != std::string::npos; }),
          "double-clicking a file runs its default command");
    Check(ui::ReadTextFile(box / L"cwd.txt").find(Narrow(box.path)) == 0, "a double-clicked file starts in its own folder");
    Check(carrow::CurrentFolder() == server, "opening leaves the current folder alone");
    DeleteFileW((box / L"cwd.txt").c_str());

    s.browser.View().ClearSelection();
    s.Key(s.List(), VK_RETURN, true);
    Pump(500);
    Check(OwnWindows(L"#32770").empty(), "Alt+Enter with nothing selected does nothing");
    if (const auto zeta = s.Find(L"Zeta.dat")) s.browser.View().Select(*zeta);
    std::atomic<bool> shown = false;
    {
        // Wine shows the sheet modally, from within the command.
        Beside closer([&] {
            for (int tries = 0; tries < 200 && !shown; ++tries, Sleep(25)) {
                for (const HWND dialog : OwnWindows(L"#32770")) {
                    shown = true;
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                }
            }
        });
        s.Key(s.List(), VK_RETURN, true);
        PumpUntil([&] { return shown.load(); }, 6000);
    }
    Pump(300);
    Check(shown, "Alt+Enter shows the selected item's properties");
    Check(s.FolderPath() == box.path, "the properties leave the folder as it was");
}

// Wine has no program for a folder's "open" and says so while the command
// runs: the current folder then must be the one that holds the item, not the
// server folder.
void FolderOpenRunsInItsParent(Session& s, const Sandbox& box) {
    const auto beta = s.Find(L"beta");
    if (!beta) return Check(false, "the folder beta for the context menu");
    s.browser.View().Select(*beta);
    std::wstring folderDuringOpen;
    {
        Beside chooser([&] {
            ChooseFromMenu(L"Open", nullptr);
            for (int tries = 0; tries < 1200 && folderDuringOpen.empty(); ++tries, Sleep(25)) {
                for (const HWND dialog : OwnWindows(L"#32770")) {
                    folderDuringOpen = carrow::CurrentFolder();
                    PostMessageW(dialog, WM_CLOSE, 0, 0);
                }
            }
        });
        s.browser.ShowContextMenu({-1, -1});
    }
    Check(folderDuringOpen == box.path, "a folder's \"open\" runs in the folder that holds it");
}

// Wine's item menu carries "open" out for folders only, so for a file nothing
// runs there; what must hold everywhere is that the current folder comes back.
void ContextMenuOpen(Session& s, const Sandbox& box) {
    const std::wstring server = carrow::CurrentFolder();
    const auto script = s.Find(L"where.bat");
    if (!script) return Check(false, "where.bat for the context menu");
    s.browser.View().Select(*script);
    std::vector<std::wstring> labels;
    {
        Beside chooser([&] { ChooseFromMenu(L"Open", &labels); });
        s.browser.ShowContextMenu({-1, -1});
    }
    Check(std::find(labels.begin(), labels.end(), L"Open") != labels.end() &&
              std::find(labels.begin(), labels.end(), L"Rename") != labels.end(),
          "the context menu offers the item's commands, rename included");
    Pump(1000);
    Check(carrow::CurrentFolder() == server, "after \"open\" the current folder is the server folder again");
    FolderOpenRunsInItsParent(s, box);
    s.browser.View().Select(*script);

    DeleteFileW((box / L"where.bat").c_str());  // the list still offers it: this "open" fails
    {
        Beside chooser([] { ChooseFromMenu(L"Open", nullptr); });
        s.browser.ShowContextMenu({-1, -1});
    }
    for (const HWND dialog : OwnWindows(L"#32770")) PostMessageW(dialog, WM_CLOSE, 0, 0);
    Pump(500);
    Check(carrow::CurrentFolder() == server, "after a failed \"open\" the current folder is the server folder again");

    s.browser.View().Select(*script);
    {
        Beside chooser([] { ChooseFromMenu(L"Rename", nullptr); });
        s.browser.ShowContextMenu({-1, -1});
    }
    Pump();
    Check(s.Edit() != nullptr, "the context menu's \"rename\" edits the name in place");
    if (s.Edit()) SendMessageW(s.Edit(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
}

void GoneFolders(Session& s, const Sandbox& box) {
    const std::wstring doomed = box / L"doomed";
    CreateDirectoryW(doomed.c_str(), nullptr);
    s.BrowseTo(doomed);
    Check(s.FolderPath() == doomed, "browsing to an empty folder");
    Check(s.browser.ItemCount() == 0, "an empty folder lists nothing");
    RemoveDirectoryW(doomed.c_str());
    s.browser.RefreshFolder();
    Pump();
    Check(s.AtDesktop(), "refreshing a folder removed meanwhile shows the Desktop");
    Check(!s.browser.Busy(), "and leaves no listing under way");
    if (Exists(L"Z:\\root") && !CanList(L"Z:\\root")) {  // another user's home: no permission to list it
        s.BrowseTo(L"Z:\\root");
        Check(s.browser.ItemCount() == 0 && s.reports.empty(), "a folder that cannot be listed shows an empty list");
    }
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line as it comes, for a host that hangs
    if (FAILED(OleInitialize(nullptr))) return 2;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    {
        Sandbox box;
        Session s;
        FirstView(s);
        Back(s);
        EnterByDoubleClick(s, box);
        Refresh(s, box);
        Rename(s, box);
        TypeAhead(s);
        KeysAndOpening(s, box);
        ContextMenuOpen(s, box);
        GoneFolders(s, box);
        Check(s.reports.empty(), "nothing else was reported");
        for (const auto& report : s.reports) std::printf("# report: %s\n", Narrow(report).c_str());
    }
    OleUninitialize();
    return host::Finish();
}
