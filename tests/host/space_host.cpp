// Removal, the fragmentation figure on real files, and the defragmentation
// request's message box.
#include <cstring>

#include "catching.h"
#include "library.h"

namespace {

using host::Check;
using host::Library;

host::Bytes Records(std::initializer_list<uint32_t> sizes) {
    host::Bytes out;
    uint32_t offset = 0;
    for (uint32_t size : sizes) {
        TImgEntry e{};
        e.offset = offset;
        e.size = size;
        offset += size;
        const auto* p = reinterpret_cast<const unsigned char*>(&e);
        out.insert(out.end(), p, p + sizeof e);
    }
    return out;
}

void FigureOnRealFiles(const Library& lib) {
    host::WriteBytes("frag.dir", Records({2, 1}));
    host::WriteBytes("frag.img", host::Bytes(10240));
    lib.LoadImg("frag");
    Check(lib.HowMuchFragmented() == 40, "paired: 3 of 5 sectors used gives 40");
    SetFileAttributesA("frag.img", FILE_ATTRIBUTE_READONLY);
    Check(lib.HowMuchFragmented() == 40, "a read-only .img gives its real figure");
    lib.RemoveFile(0);
    Check(lib.FileCount() == 1 && lib.HowMuchFragmented() == 80, "removed sectors count as unused");
    SetFileAttributesA("frag.img", FILE_ATTRIBUTE_NORMAL);
    DeleteFileA("frag.img");
    Check(lib.HowMuchFragmented() == 0, "a missing .img gives 0");

    host::Bytes single = {'V', 'E', 'R', '2', 1, 0, 0, 0};
    const host::Bytes dir = Records({4});
    single.insert(single.end(), dir.begin(), dir.end());
    single.resize(14344);
    host::WriteBytes("one.img", single);
    lib.LoadImg("one.img");
    Check(lib.HowMuchFragmented() == 33, "single-file: header and directory are taken off exactly");
}

struct BoxSeen {
    char caption[64] = "";
    char text[64] = "";
    bool owned = true;
    bool icon = true;
    int buttons = 0;
};

BOOL CALLBACK InspectChild(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<BoxSeen*>(param);
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (std::strcmp(cls, "Button") == 0 && IsWindowVisible(child)) seen->buttons++;
    if (std::strcmp(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
        seen->icon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
    }
    return TRUE;
}

DWORD WINAPI PressOkOnTheBox(LPVOID param) {
    auto* seen = static_cast<BoxSeen*>(param);
    for (int tries = 0; tries < 200; ++tries) {
        HWND box = FindWindowA("#32770", "tolvane");
        if (box) {
            GetWindowTextA(box, seen->caption, sizeof seen->caption);
            GetDlgItemTextA(box, 0xFFFF, seen->text, sizeof seen->text);
            seen->owned = GetWindow(box, GW_OWNER) != nullptr;
            seen->icon = false;
            EnumChildWindows(box, InspectChild, reinterpret_cast<LPARAM>(seen));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(50);
    }
    return 1;
}

void DefragShowsItsMessage(const Library& lib) {
    host::WriteBytes("d.dir", Records({1, 1}));
    host::WriteBytes("d.img", host::Bytes(4096));
    lib.LoadImg("d");
    BoxSeen seen;
    HANDLE presser = CreateThread(nullptr, 0, PressOkOnTheBox, &seen, 0, nullptr);
    lib.Defrag(12345);
    const bool pressed = WaitForSingleObject(presser, 10000) == WAIT_OBJECT_0;
    CloseHandle(presser);
    Check(pressed, "IMGDefrag shows a box that OK dismisses");
    Check(std::strcmp(seen.caption, "tolvane") == 0, "the box's caption is tolvane");
    Check(std::strcmp(seen.text, "Not impl.") == 0, std::string("the box says Not impl. (got ") + seen.text + ")");
    Check(!seen.owned, "the box has no owner");
    Check(!seen.icon, "the box shows no icon");
    Check(seen.buttons == 1, "the box has one button");
    Check(lib.FileCount() == 2, "IMGDefrag changes nothing in memory");
    Check(GetFileAttributesA("d.img") != INVALID_FILE_ATTRIBUTES, "IMGDefrag leaves the files");
}

void DeleteRewritesTheDirectory(const Library& lib) {
    host::WriteBytes("del.dir", Records({1, 1, 1}));
    host::WriteBytes("del.img", host::Bytes(3 * 2048));
    lib.LoadImg("del");
    lib.Delete(1);
    lib.LoadImg("del");
    Check(lib.FileCount() == 2, "IMGDelete stores the shorter directory");
    HANDLE held = CreateFileA("del.dir", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const host::Raised r = host::Catching([&] { lib.Delete(0); });
    CloseHandle(held);
    Check(r.raised && r.message == "Cannot create file del.dir", "IMGDelete fails when the .dir is held: " + r.message);
    Check(lib.FileCount() == 1, "the removal in memory stays after a failed rewrite");
}

void FailuresCanReturnInsteadOfRaising(const Library& lib) {
    DeleteFileA("gone.img");
    lib.LoadImg("gone.img");
    Check(lib.SetRaiseOnError(0) == 1, "raising is the default");
    const host::Raised quiet = host::Catching([&] { lib.ExportFile(0, "x.out"); });
    Check(!quiet.raised, "with raising off a failing call returns normally");
    Check(std::strcmp(lib.GetLastError(), "Cannot open file gone.img") == 0,
          std::string("and leaves its message: ") + lib.GetLastError());
    lib.FileCount();
    Check(*lib.GetLastError() == '\0', "the next successful call clears it");
    Check(lib.SetRaiseOnError(7) == 0, "the previous setting is returned");
    const host::Raised loud = host::Catching([&] { lib.ExportFile(0, "x.out"); });
    Check(loud.raised && loud.message == "Cannot open file gone.img", "with raising on the call raises again");
}

}  // namespace

int main() {
    return host::RunWithLibrary([](const Library& lib) {
        FigureOnRealFiles(lib);
        DefragShowsItsMessage(lib);
        DeleteRewritesTheDirectory(lib);
        FailuresCanReturnInsteadOfRaising(lib);
    });
}
