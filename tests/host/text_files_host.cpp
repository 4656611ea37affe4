// LoadTextFile and SaveTextFile on real EDIT controls and real files: line
// breaks, the untouched equal view, open and share modes, redraw, the atomic
// save and its failures, zero bytes and the code pages.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "editors/editors.h"
#include "text_box_fixture.h"
#include "text/text_files.h"
#include "text/text_files_rules.h"

namespace {

using carrow::TextView;
using host::Check;
using host::FailureOf;

std::string Lines(int count, const char* breakText) {
    std::string out;
    for (int i = 1; i <= count; ++i) out += "line " + std::to_string(i) + breakText;
    return out;
}

void LineBreaksAndRoundTrips(TextView& view) {
    host::WriteText("lf.txt", "one\ntwo\rthree\r\n");
    carrow::LoadTextFile(view, L"lf.txt");
    Check(view.Text() == L"one\r\ntwo\r\nthree\r\n", "LF, CR and CR LF all show as line breaks");
    Check(SendMessageW(view.Handle(), EM_GETLINECOUNT, 0, 0) == 4, "a final break shows an empty last line");
    carrow::SaveTextFile(view, L"lf.txt");
    Check(host::ReadBytes("lf.txt") == "one\r\ntwo\r\nthree\r\n", "saving writes CR LF after every break");

    host::WriteText("plain.txt", "a\r\nb");
    carrow::LoadTextFile(view, L"plain.txt");
    carrow::SaveTextFile(view, L"plain.txt");
    Check(host::ReadBytes("plain.txt") == "a\r\nb", "a file without a final break is saved without one");

    host::WriteText("empty.txt", "");
    carrow::LoadTextFile(view, L"empty.txt");
    Check(view.Text().empty(), "an empty file gives an empty view");
    carrow::SaveTextFile(view, L"empty.txt");
    Check(host::ReadBytes("empty.txt").empty(), "an empty view saves a file of zero length");
}

void EqualTextLeavesTheViewAlone(TextView& view) {
    const HWND box = view.Handle();
    host::WriteText("long.txt", Lines(60, "\r\n"));
    carrow::LoadTextFile(view, L"long.txt");
    SendMessageW(box, EM_SETSEL, 12, 20);
    SendMessageW(box, EM_LINESCROLL, 0, 7);
    const int top = host::FirstVisibleLine(box);
    carrow::LoadTextFile(view, L"long.txt");
    Check(host::Selection(box) == std::make_pair(12ul, 20ul) && host::FirstVisibleLine(box) == top && top == 7,
          "loading the text the view shows keeps caret, selection and scroll position");

    // The operator typed and took it back: the view is compared for real.
    SendMessageW(box, EM_SETMODIFY, TRUE, 0);
    carrow::LoadTextFile(view, L"long.txt");
    Check(host::Selection(box) == std::make_pair(12ul, 20ul) && host::FirstVisibleLine(box) == 7,
          "an edited view that equals the file is left alone too");

    SendMessageW(box, EM_SETSEL, 0, 0);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed "));
    SendMessageW(box, EM_LINESCROLL, 0, 5);
    carrow::LoadTextFile(view, L"long.txt");
    Check(view.Text() == carrow::AnsiToViewText(Lines(60, "\r\n")), "text typed into the view is replaced");
    Check(host::Selection(box) == std::make_pair(0ul, 0ul) && host::FirstVisibleLine(box) == 0,
          "a replaced text shows from its start");
}

// A grown file takes a shorter way into the box; the box must end up as
// after a plain replacement.
void GrownTextEndsAsAReplacement(host::TestWindow& window, TextView& view) {
    const HWND box = view.Handle();
    host::WriteText("grow.txt", Lines(40, "\n"));
    carrow::LoadTextFile(view, L"grow.txt");
    SendMessageW(box, EM_SETSEL, 30, 35);
    SendMessageW(box, EM_LINESCROLL, 20, 12);
    host::WriteText("grow.txt", Lines(45, "\n"));
    carrow::LoadTextFile(view, L"grow.txt");

    TextView fresh(window.AddEdit(host::kLogViewStyle, 0, 0, 200, 100));
    carrow::LoadTextFile(fresh, L"grow.txt");
    Check(view.Text() == fresh.Text(), "a grown file shows in full");
    Check(host::Selection(box) == std::make_pair(0ul, 0ul) && host::FirstVisibleLine(box) == 0,
          "a grown file shows from its start, caret at the start");
    Check(!SendMessageW(box, EM_CANUNDO, 0, 0) && !SendMessageW(box, EM_GETMODIFY, 0, 0),
          "a grown file leaves nothing to undo and no edit mark");
    Check(view.LineCount() == 45 && fresh.LineCount() == 45, "a grown file counts its lines");

    // A CR at the old end and an LF after it are one break, not two.
    host::WriteText("grow.txt", "first\r");
    carrow::LoadTextFile(view, L"grow.txt");
    host::WriteText("grow.txt", "first\r\nsecond\n");
    carrow::LoadTextFile(view, L"grow.txt");
    Check(view.Text() == L"first\r\nsecond\r\n" && view.LineCount() == 2, "a break split across two loads stays one");

    host::WriteText("grow.txt", Lines(45, "\n"));
    carrow::LoadTextFile(view, L"grow.txt");
    // An edit at the end makes the remembered text stale.
    SendMessageW(box, EM_SETSEL, -1, -1);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
    host::WriteText("grow.txt", Lines(46, "\n"));
    carrow::LoadTextFile(view, L"grow.txt");
    carrow::LoadTextFile(fresh, L"grow.txt");
    Check(view.Text() == fresh.Text(), "a grown file after an edit shows exactly the file");
    DestroyWindow(fresh.Handle());
}

void OpenFailures(TextView& view) {
    SetWindowTextW(view.Handle(), L"kept");
    const std::wstring missing = FailureOf([&] { carrow::LoadTextFile(view, L"missing.txt"); });
    const std::wstring start = L"Cannot open file \"" + host::CurrentFolder() + L"missing.txt\". ";
    Check(missing.rfind(start, 0) == 0 && missing.size() > start.size(),
          "a missing file names its full path and the system's reason: " + host::Narrow(missing));
    Check(missing.back() != L'.' && missing.back() > L' ', "the system's reason loses its full stop and line end");
    Check(view.Text() == L"kept", "a failed load keeps the view's text");

    host::WriteText("held.txt", "held");
    HANDLE writer = CreateFileA("held.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    const std::wstring held = FailureOf([&] { carrow::LoadTextFile(view, L"held.txt"); });
    Check(held.rfind(L"Cannot open file \"", 0) == 0, "a file held open for writing cannot be loaded");
    CloseHandle(writer);
    HANDLE reader = CreateFileA("held.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Check(FailureOf([&] { carrow::LoadTextFile(view, L"held.txt"); }).empty() && view.Text() == L"held",
          "a file that others only read loads");
    CloseHandle(reader);
}

// Watches what the box sees while a load runs.
struct LoadWatch {
    static inline bool refuse = false;
    static inline bool sawText = false;
    static inline std::string sequence;  // R: redraw off, r: redraw on, T: text set
    static inline bool othersCouldRead = false;
    static inline bool othersCouldWrite = true;

    static LRESULT CALLBACK Proc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
        if (message == WM_SETREDRAW) sequence += wParam ? 'r' : 'R';
        if (message == WM_SETTEXT) {
            sawText = true;
            sequence += 'T';
            HANDLE r = CreateFileA("watched.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            othersCouldRead = r != INVALID_HANDLE_VALUE;
            if (othersCouldRead) CloseHandle(r);
            HANDLE w = CreateFileA("watched.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            othersCouldWrite = w != INVALID_HANDLE_VALUE;
            if (othersCouldWrite) CloseHandle(w);
            if (refuse) return FALSE;
        }
        return DefSubclassProc(box, message, wParam, lParam);
    }
};

void ShareModeAndRedraw(TextView& view) {
    const HWND box = view.Handle();
    SetWindowSubclass(box, LoadWatch::Proc, 1, 0);
    host::WriteText("watched.txt", "watched text");
    carrow::LoadTextFile(view, L"watched.txt");
    Check(LoadWatch::sawText, "the load sets the box's text");
    Check(LoadWatch::othersCouldRead && !LoadWatch::othersCouldWrite,
          "while a load has the file open others may read it but not write it");
    Check(LoadWatch::sequence == "RTr" && IsWindowVisible(box),
          "the box is kept from drawing while its text changes, and draws after: " + LoadWatch::sequence);
    LoadWatch::sequence.clear();

    LoadWatch::refuse = true;
    host::WriteText("watched.txt", "refused text");
    const std::wstring refused = FailureOf([&] { carrow::LoadTextFile(view, L"watched.txt"); });
    Check(refused == L"Text exceeds memo capacity", "a box that refuses the text gives the capacity message");
    Check(LoadWatch::sequence == "RTr" && IsWindowVisible(box), "the box draws again after a failed load");
    HANDLE w = CreateFileA("watched.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Check(w != INVALID_HANDLE_VALUE, "a failed load closes the file");
    if (w != INVALID_HANDLE_VALUE) CloseHandle(w);
    LoadWatch::refuse = false;
    RemoveWindowSubclass(box, LoadWatch::Proc, 1);
    carrow::LoadTextFile(view, L"watched.txt");
    Check(view.Text() == L"refused text", "after a refusal the next load compares with the box itself");
}

bool LeftoverTempFiles() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("crw*.tmp", &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

void SaveFailuresKeepTheFile(TextView& view) {
    SetWindowTextW(view.Handle(), L"new text");
    host::WriteText("locked.cfg", "old bytes\r\n");
    SetFileAttributesA("locked.cfg", FILE_ATTRIBUTE_READONLY);
    const std::wstring readOnly = FailureOf([&] { carrow::SaveTextFile(view, L"locked.cfg"); });
    Check(readOnly.rfind(L"Cannot create file \"" + host::CurrentFolder() + L"locked.cfg\". ", 0) == 0,
          "saving over a read-only file gives the create message: " + host::Narrow(readOnly));
    Check(host::ReadBytes("locked.cfg") == "old bytes\r\n" &&
              (GetFileAttributesA("locked.cfg") & FILE_ATTRIBUTE_READONLY),
          "the read-only file keeps its bytes and stays read-only");
    host::Remove("locked.cfg");

    host::WriteText("open.cfg", "old bytes");
    HANDLE reader = CreateFileA("open.cfg", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    const std::wstring held = FailureOf([&] { carrow::SaveTextFile(view, L"open.cfg"); });
    CloseHandle(reader);
    Check(held.rfind(L"Cannot create file \"", 0) == 0 && host::ReadBytes("open.cfg") == "old bytes",
          "a file that another program holds open is not saved and keeps its bytes");

    const std::wstring noFolder = FailureOf([&] { carrow::SaveTextFile(view, L"no-such-folder\\x.cfg"); });
    Check(noFolder.rfind(L"Cannot create file \"" + host::CurrentFolder() + L"no-such-folder\\x.cfg\". ", 0) == 0,
          "saving into a missing folder gives the create message");
    Check(!LeftoverTempFiles(), "failed saves leave no scratch file behind");
}

// On a volume too small for the new text the save fails and the old file
// stays whole.  The volume is given as a Unix path in SMALL_VOLUME.
void FullDiskKeepsTheFile(TextView& view) {
    char unixPath[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("SMALL_VOLUME", unixPath, MAX_PATH) || !unixPath[0]) {
        host::Skip("a save on a full disk", "no small volume: mounting one needs root");
        return;
    }
    std::string folder = std::string("Z:") + unixPath;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    const std::string target = folder + "\\server.cfg";
    const std::string old(40 * 1024, 'o');
    Check(host::WriteText(target, old), "the small volume takes a 40 KiB file");
    SetWindowTextW(view.Handle(), std::wstring(60 * 1024, L'n').c_str());
    const std::wstring wide(target.begin(), target.end());
    const std::wstring failure = FailureOf([&] { carrow::SaveTextFile(view, wide.c_str()); });
    Check(failure == L"Stream write error", "a save that does not fit gives the write message: " + host::Narrow(failure));
    Check(host::ReadBytes(target) == old, "the old file stays byte for byte when the disk is full");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\crw*.tmp").c_str(), &found);
    Check(search == INVALID_HANDLE_VALUE, "the scratch file of the failed save is removed");
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    DeleteFileA(target.c_str());
}

void SaveReplacesAndKeepsAttributes(TextView& view) {
    SetWindowTextW(view.Handle(), L"maxplayers 50\r\nport 7777");
    host::WriteText("kept.cfg", "old");
    SetFileAttributesA("kept.cfg", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    const bool hiddenSticks = (GetFileAttributesA("kept.cfg") & FILE_ATTRIBUTE_HIDDEN) != 0;
    carrow::SaveTextFile(view, L"kept.cfg");
    Check(host::ReadBytes("kept.cfg") == "maxplayers 50\r\nport 7777", "saving writes the view's text exactly");
    if (hiddenSticks) {
        Check((GetFileAttributesA("kept.cfg") & FILE_ATTRIBUTE_HIDDEN) != 0, "the saved file keeps its attributes");
    }
    host::Remove("kept.cfg");
    carrow::SaveTextFile(view, L"new.cfg");
    Check(host::ReadBytes("new.cfg") == "maxplayers 50\r\nport 7777", "saving creates a missing file");
    Check(!LeftoverTempFiles(), "saves leave no scratch file behind");
}

std::string AllBytesWithCrLf() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b == '\n' || b == '\r') continue;
        bytes += static_cast<char>(b);
        if (b == 0x0C) bytes += "\r\n";
    }
    return bytes;
}

void ZeroBytesAndCodePages(TextView& view) {
    const std::string all = AllBytesWithCrLf();
    host::WriteText("bytes.bin", all);
    carrow::LoadTextFile(view, L"bytes.bin");
    const std::wstring shown = view.Text();
    Check(shown.size() >= 255 && shown.front() == carrow::kZeroByteStandIn, "a zero byte shows as its stand-in, the text goes on");
    carrow::SaveTextFile(view, L"bytes.bin");
    Check(host::ReadBytes("bytes.bin") == all, "all 256 byte values are saved back unchanged");

    const UINT pages[] = {CP_ACP, 1250, 1251, 1252, 1253, 1254, 1257, 874};
    for (UINT page : pages) {
        const std::string back = carrow::ViewTextToAnsi(carrow::AnsiToViewText(all, page), page);
        Check(back == all, "every byte round-trips through code page " + std::to_string(page));
    }
    const std::wstring cyrillic = carrow::AnsiToViewText("\xCF\xF0\xE8\xE2\xE5\xF2", 1251);
    Check(cyrillic == L"Привет", "code page 1251 bytes show as Cyrillic");
}

void LargeText(TextView& view) {
    std::string big;
    big.reserve(21u << 20);
    while (big.size() < (20u << 20)) big += "[12:00:00] a line of the server log with some words in it for size\r\n";
    host::WriteText("big.txt", big);
    const std::wstring failure = FailureOf([&] { carrow::LoadTextFile(view, L"big.txt"); });
    Check(failure.empty() && static_cast<size_t>(GetWindowTextLengthW(view.Handle())) == big.size(),
          "a 20 MB text loads whole");
    host::Remove("big.txt");
}

// A save makes what it wrote the bytes the next one compares with; a reload
// asks before it throws edits away, and a failed one keeps them.
void Editors(host::TestWindow& window) {
    carrow::Editor ban(carrow::kBanListFile);
    ban.view.Attach(carrow::Edit(window.AddEdit(host::kEditorStyle, 0, 0, 200, 100)));
    host::WriteText("samp.ban", "10.0.0.1\r\n");
    carrow::LoadEditor(ban);
    SetWindowTextW(ban.view.Handle(), L"10.0.0.3\r\n");
    int asked = 0;
    const auto yes = [&](const std::wstring&) { return ++asked > 0; };
    carrow::SaveEditor(ban, yes);
    carrow::SaveEditor(ban, yes);
    Check(asked == 0 && host::ReadBytes("samp.ban") == "10.0.0.3\r\n", "a second save asks nothing");
    SendMessageW(ban.view.Handle(), EM_SETMODIFY, TRUE, 0);  // as typing does
    HANDLE writer = CreateFileA("samp.ban", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    const std::wstring failure = FailureOf([&] { carrow::ReloadEditor(ban, yes); });
    CloseHandle(writer);
    Check(asked == 1 && failure.rfind(L"Cannot open file", 0) == 0 && ban.view.Text() == L"10.0.0.3\r\n",
          "a reload asks first; a failed one reports and keeps the editor's text");
    host::Remove("samp.ban");
}

}  // namespace

int main() {
    host::TestWindow window;
    TextView view(window.AddEdit(host::kLogViewStyle, 0, 0, 300, 150));
    auto run = [&](const char* group, auto&& body) {
        const std::wstring failure = FailureOf(body);
        Check(failure.empty(), std::string(group) + " ran without an unexpected failure " + host::Narrow(failure));
    };
    run("line breaks", [&] { LineBreaksAndRoundTrips(view); });
    run("equal text", [&] { EqualTextLeavesTheViewAlone(view); });
    run("grown text", [&] { GrownTextEndsAsAReplacement(window, view); });
    run("open failures", [&] { OpenFailures(view); });
    run("share mode", [&] { ShareModeAndRedraw(view); });
    run("save failures", [&] { SaveFailuresKeepTheFile(view); });
    run("save", [&] { SaveReplacesAndKeepsAttributes(view); });
    run("full disk", [&] { FullDiskKeepsTheFile(view); });
    run("code pages", [&] { ZeroBytesAndCodePages(view); });
    run("large text", [&] { LargeText(view); });
    run("editors", [&] { Editors(window); });
    return host::Finish();
}
