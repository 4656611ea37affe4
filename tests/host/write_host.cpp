// Exports, replaces, adds and directory rewrites on real files under Windows
// rules: sharing modes, read-only files, the structured exception, the notes
// on the debugger output and the scratch file of a relocation.
#include <windows.h>
#include <winioctl.h>

#include <cstring>

#include "catching.h"
#include "library.h"

namespace {

using host::Bytes;
using host::Catching;
using host::Check;
using host::Library;
using host::TakeNotes;
using Notes = std::vector<std::string>;

const Notes kAppended = {"replacing", "file exists, proceeding...", "bigger file"};

Bytes ReadBytes(const std::string& path) {
    Bytes out;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    LARGE_INTEGER size;
    DWORD got = 0;
    if (GetFileSizeEx(h, &size)) {
        out.resize(static_cast<size_t>(size.QuadPart));
        if (!ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr)) got = 0;
        out.resize(got);
    }
    CloseHandle(h);
    return out;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// length bytes from at, 64-bit positions included; fewer where the file ends.
Bytes ReadAt(const std::string& path, int64_t at, size_t length) {
    Bytes out(length);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    LARGE_INTEGER to;
    to.QuadPart = at;
    DWORD got = 0;
    if (h == INVALID_HANDLE_VALUE || !SetFilePointerEx(h, to, nullptr, FILE_BEGIN) ||
        !ReadFile(h, out.data(), static_cast<DWORD>(length), &got, nullptr)) {
        got = 0;
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    out.resize(got);
    return out;
}

// Makes the file length bytes long without writing them: a sparse file, whose
// hole costs no disk, so records of gigabytes can have all their data.  Data
// written after the hole goes through the handle.
bool MakeSparse(const std::string& path, int64_t length, const Bytes& after = {}) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD ignored = 0;
    // Windows asks for it; Wine's files are sparse anyway and may refuse.
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER to;
    to.QuadPart = length;
    DWORD put = 0;
    bool ok = SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    if (ok && !after.empty()) ok = WriteFile(h, after.data(), static_cast<DWORD>(after.size()), &put, nullptr);
    CloseHandle(h);
    return ok && put == after.size();
}

// Files (not folders) in folder.
int FilesIn(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    int files = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return files;
}

// True when nothing else holds the file: the library closed everything.
bool OpensExclusively(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

HANDLE Hold(const std::string& path, DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

Bytes Pattern(size_t length, unsigned seed) {
    Bytes out(length);
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<unsigned char>((i * 131 + seed * 7 + i / 2048) % 251 + 1);
    return out;
}

void Put(Bytes& image, size_t at, const Bytes& data) {
    if (image.size() < at + data.size()) image.resize(at + data.size());
    std::memcpy(image.data() + at, data.data(), data.size());
}

TImgEntry Entry(uint32_t offset, uint32_t size, const char* name) {
    TImgEntry e{};
    e.offset = offset;
    e.size = size;
    std::strncpy(e.name, name, sizeof e.name);
    return e;
}

Bytes Records(const std::vector<TImgEntry>& entries) {
    Bytes out(entries.size() * sizeof(TImgEntry));
    if (!entries.empty()) std::memcpy(out.data(), entries.data(), out.size());
    return out;
}

Bytes SingleFile(const std::vector<TImgEntry>& entries) {
    Bytes out = {'V', 'E', 'R', '2', 0, 0, 0, 0};
    const int32_t count = static_cast<int32_t>(entries.size());
    std::memcpy(out.data() + 4, &count, 4);
    const Bytes dir = Records(entries);
    out.insert(out.end(), dir.begin(), dir.end());
    return out;
}

bool SameEntry(const TImgEntry& a, const TImgEntry& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TImgEntry Slot(const Library& lib, int index) {
    TImgEntry e;
    lib.GetThisFile(&e, index);
    return e;
}

void CheckFailure(const Library& lib, const host::Raised& r, const std::string& message, const std::string& what) {
    Check(r.raised && r.message == message, what + ": fails with \"" + message + "\" (got \"" + r.message + "\")");
    Check(std::string(lib.GetLastError()) == r.message, what + ": IMGGetLastError gives the same message");
}

void NullPointersAndTheVersion(const Library& lib) {
    host::WriteBytes("np.dir", Records({Entry(0, 1, "np")}));
    host::WriteBytes("np.img", Bytes(2048, 0x5A));
    lib.LoadImg("np");
    const TImgEntry before = Slot(lib, 0);
    CheckFailure(lib, Catching([&] { lib.GetThisFile(nullptr, 0); }), "Null pointer", "IMGGetThisFile(null)");
    CheckFailure(lib, Catching([&] { lib.SetThisFile(0, nullptr); }), "Null pointer", "IMGSetThisFile(null)");
    CheckFailure(lib, Catching([&] { lib.ExportBuffer(0, nullptr); }), "Null pointer", "IMGExportBuffer(null)");
    Check(SameEntry(Slot(lib, 0), before) && lib.FileCount() == 1, "null pointers change nothing");

    const char* version = lib.GetVersion();
    Check(version && std::string(version) == TOLVANE_VERSION, "IMGGetVersion gives " TOLVANE_VERSION);
    Catching([&] { lib.ExportBuffer(0, nullptr); });
    lib.GetVersion();
    Check(std::string(lib.GetLastError()) == "Null pointer", "IMGGetVersion keeps the last message");
}

void TheStructuredException(const Library& lib) {
    lib.LoadImg("nothing-here");
    const host::Raised r = Catching([&] { lib.ExportFile(0, "target.out"); });
    Check(r.raised && r.code == TOLVANE_EXCEPTION_CODE, "a failure raises code 0xE0544C56");
    Check((r.flags & EXCEPTION_NONCONTINUABLE) != 0, "the exception is non-continuable");
    Check(r.parameters == 1, "the exception has one parameter");
    CheckFailure(lib, r, "Cannot open file nothing-here.img", "export from a missing .img");
    Check(!Exists("target.out"), "no target is created");
    Check(lib.FileCount() >= 0 && std::string(lib.GetLastError()).empty(), "a later call succeeds and clears the message");
    const host::Raised again = Catching([&] { lib.ReDoDir(); });
    CheckFailure(lib, again, "Directory of nothing-here.img was not read whole", "the host survives a second failure");
}

void WorkedExamplesOfAppending(const Library& lib) {
    const Bytes data = Pattern(5000, 1);
    host::WriteBytes("five.dat", data);
    for (const size_t length : {size_t{10240}, size_t{10300}}) {
        const Bytes old = Pattern(length, 2);
        host::WriteBytes("app.dir", Records({Entry(0, 1, "a")}));
        host::WriteBytes("app.img", old);
        lib.LoadImg("app.dir");
        TakeNotes();
        lib.ReplaceFile(0, "five.dat", 1);
        Check(TakeNotes() == kAppended, "append notes: replacing, file exists, bigger file");
        const uint32_t offset = length == 10240 ? 5 : 6;
        Check(SameEntry(Slot(lib, 0), Entry(offset, 3, "a")),
              "append to " + std::to_string(length) + " bytes: offset " + std::to_string(offset) + ", size 3");
        Bytes expected = old;
        expected.resize(offset * 2048 + 6144, 0);
        Put(expected, offset * 2048, data);
        Check(ReadBytes("app.img") == expected, "append to " + std::to_string(length) + " bytes: byte for byte");
        Check(ReadBytes("app.dir") == Records({Slot(lib, 0)}), "the .dir follows");
    }
}

void WorkedExamplesOfTheRewrite(const Library& lib) {
    CreateDirectoryA("scratch", nullptr);
    SetEnvironmentVariableA("TMP", "scratch");
    SetEnvironmentVariableA("TEMP", "scratch");

    host::WriteBytes("first.img", SingleFile({}));
    const Bytes data = Pattern(5000, 3);
    host::WriteBytes("first.dat", data);
    lib.LoadImg("first.img");
    TakeNotes();
    lib.AddFile("mods\\first.dat");
    Check(lib.FileCount() == 0 || std::string(lib.GetFileName(0)) == "first.dat", "an add of a missing path adds an empty entry");
    TakeNotes();
    lib.AddFile("first.dat");
    const Notes notes = TakeNotes();
    Check(notes.size() == 3 + 3 + 1 + 3 && notes[3] == "header + dir size: 72" && notes[4] == "file 0 is at : 0" &&
              notes[5] == "first img block is occupied by : first.dat at 0" &&
              notes[6] == "RELOCATING first img block that is occupied by : first.dat at 0",
          "the left-over empty entry at sector 0 moves first");
    Check(SameEntry(Slot(lib, 0), Entry(4, 1, "first.dat")) && SameEntry(Slot(lib, 1), Entry(1, 3, "first.dat")),
          "the added data lands at sector 1, the empty entry after it");

    // The plain first add into a header-only archive.
    host::WriteBytes("plain.img", SingleFile({}));
    lib.LoadImg("plain.img");
    TakeNotes();
    lib.AddFile("first.dat");
    Check(TakeNotes() == Notes{"replacing", "file exists, proceeding...", "bigger file", "header + dir size: 40",
                               "file 0 is at : 2048", "first img block is occupied by : first.dat at 2048"},
          "first add: notes 1 to 3, no relocation");
    Bytes expected(8192, 0);
    Put(expected, 0, SingleFile({Entry(1, 3, "first.dat")}));
    Put(expected, 2048, data);
    Check(ReadBytes("plain.img") == expected, "first add into a header-only .img: byte for byte");

    // 191 entries leave the block at 6144 alone; the 192nd moves it.
    std::vector<TImgEntry> entries;
    for (uint32_t i = 0; i < 191; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "e%u", static_cast<unsigned>(i));
        entries.push_back(Entry(3 + i, 1, name));
    }
    Bytes img = Pattern((3 + 191) * 2048, 4);
    Put(img, 0, SingleFile(entries));
    host::WriteBytes("grow.img", img);
    lib.LoadImg("grow.img");
    TakeNotes();
    lib.AddFile("first.dat");
    Check(TakeNotes() == Notes{"replacing", "file exists, proceeding...", "bigger file", "header + dir size: 6152",
                               "file 0 is at : 6144", "first img block is occupied by : e0 at 6144",
                               "RELOCATING first img block that is occupied by : e0 at 6144", "replacing",
                               "file exists, proceeding...", "bigger file"},
          "the 192nd entry: notes 1 to 4 and the nested replace");
    Check(SameEntry(Slot(lib, 0), Entry(197, 2, "e0")), "the moved block goes to the end with one sector more");
    Bytes moved(4096, 0);
    std::memcpy(moved.data(), img.data() + 6144, 2048);
    Bytes got(4096, 0xEE);
    lib.ExportBuffer(0, got.data());
    Check(got == moved, "the moved block keeps its bytes");
    const Bytes after = ReadBytes("grow.img");
    Check(after.size() == 199u * 2048 && std::memcmp(after.data(), SingleFile({}).data(), 4) == 0,
          "the .img ends after the moved block");
    Check(FilesIn("scratch") == 0, "no scratch file is left in the temporary folder");
}

void SharingModes(const Library& lib) {
    host::WriteBytes("held.dir", Records({Entry(0, 1, "a")}));
    const Bytes img = Pattern(2048, 5);
    host::WriteBytes("held.img", img);
    host::WriteBytes("src.dat", Pattern(100, 6));
    lib.LoadImg("held");

    HANDLE shared = Hold("held.img", FILE_SHARE_READ | FILE_SHARE_WRITE);
    Bytes got(2048);
    lib.ExportBuffer(0, got.data());
    Check(got == img, "exports work while the host holds the .img with full sharing");
    CheckFailure(lib, Catching([&] { lib.ReplaceFile(0, "src.dat", 0); }), "Cannot open file held.img",
                 "replace while the .img is held with sharing");
    CloseHandle(shared);

    HANDLE exclusive = Hold("held.img", 0);
    CheckFailure(lib, Catching([&] { lib.ReplaceFile(0, "src.dat", 0); }), "Cannot open file held.img",
                 "replace while the .img is held without sharing");
    CheckFailure(lib, Catching([&] { lib.ExportFile(0, "x.out"); }), "Cannot open file held.img",
                 "export while the .img is held without sharing");
    CloseHandle(exclusive);
    Check(ReadBytes("held.img") == img && SameEntry(Slot(lib, 0), Entry(0, 1, "a")), "nothing changed");

    CheckFailure(lib, Catching([&] { lib.ExportFile(0, "held.img"); }), "Cannot create file held.img",
                 "export onto the archive's own .img");
    Check(ReadBytes("held.img") == img, "the .img survives an export onto itself");

    const Bytes dir = ReadBytes("held.dir");
    HANDLE dirHeld = Hold("held.dir", 0);
    // The data goes in; the directory cannot follow.
    CheckFailure(lib, Catching([&] { lib.ReplaceFile(0, "src.dat", 0); }), "Cannot create file held.dir",
                 "replace while the .dir is held without sharing");
    CloseHandle(dirHeld);
    Check(ReadBytes("held.dir") == dir, "the held .dir is unchanged");

    HANDLE source = Hold("src.dat", 0);
    CheckFailure(lib, Catching([&] { lib.ReplaceFile(0, "src.dat", 1); }), "Cannot open file src.dat",
                 "a source held without sharing");
    CloseHandle(source);
    Check(SameEntry(Slot(lib, 0), Entry(0, 1, "a")), "an unreadable source changes nothing");
    Check(OpensExclusively("held.img") && OpensExclusively("held.dir") && OpensExclusively("src.dat"),
          "no file stays open after the failures");

    // A .dir held without sharing while it is opened: no entries, and no
    // write may store that empty directory over the real one.
    const Bytes stored = ReadBytes("held.dir");
    HANDLE atOpen = Hold("held.dir", 0);
    lib.LoadImg("held");
    const std::string opened = lib.GetLastError();
    Check(lib.FileCount() == 0 && opened == "Directory of held.dir was not read whole",
          "an open of a held .dir reports that its directory was not read whole (got \"" + opened + "\", " +
              std::to_string(lib.FileCount()) + " entries)");
    CloseHandle(atOpen);
    CheckFailure(lib, Catching([&] { lib.AddFile("src.dat"); }), "Directory of held.dir was not read whole",
                 "an add after that open");
    Check(ReadBytes("held.dir") == stored && lib.FileCount() == 0, "the .dir keeps its records");
}

void ReadOnlyFiles(const Library& lib) {
    host::WriteBytes("ro.dir", Records({Entry(0, 1, "a")}));
    host::WriteBytes("ro.img", Pattern(2048, 7));
    host::WriteBytes("ro.dat", Pattern(3000, 8));
    SetFileAttributesA("ro.dat", FILE_ATTRIBUTE_READONLY);
    lib.LoadImg("ro");
    lib.AddFile("ro.dat");
    Check(std::string(lib.GetLastError()).empty() && SameEntry(Slot(lib, 1), Entry(1, 2, "ro.dat")),
          "a read-only source can be added");

    const Bytes dir = ReadBytes("ro.dir");
    SetFileAttributesA("ro.dir", FILE_ATTRIBUTE_READONLY);
    CheckFailure(lib, Catching([&] { lib.ReDoDir(); }), "Cannot create file ro.dir", "rewrite of a read-only .dir");
    Check(ReadBytes("ro.dir") == dir, "the read-only .dir is unchanged");
    Check(!Exists("ro.dir." + std::to_string(GetCurrentProcessId()) + ".tmp"), "no temporary .dir is left");
    SetFileAttributesA("ro.dir", FILE_ATTRIBUTE_NORMAL);

    SetFileAttributesA("ro.img", FILE_ATTRIBUTE_READONLY);
    CheckFailure(lib, Catching([&] { lib.ReplaceFile(0, "ro.dat", 0); }), "Cannot open file ro.img",
                 "replace into a read-only .img");
    SetFileAttributesA("ro.img", FILE_ATTRIBUTE_NORMAL);

    host::WriteBytes("ro.out", Pattern(10, 9));
    SetFileAttributesA("ro.out", FILE_ATTRIBUTE_READONLY);
    CheckFailure(lib, Catching([&] { lib.ExportFile(0, "ro.out"); }), "Cannot create file ro.out",
                 "export onto a read-only file");
    Check(ReadBytes("ro.out") == Pattern(10, 9), "the read-only target keeps its content");
}

void MissingSources(const Library& lib) {
    host::WriteBytes("m.dir", Records({Entry(0, 1, "a")}));
    host::WriteBytes("m.img", Pattern(2048, 10));
    CreateDirectoryA("a-folder", nullptr);
    host::WriteBytes("old.dat", Pattern(10, 11));
    HANDLE old = CreateFileA("old.dat", FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SYSTEMTIME y1970 = {1970, 1, 4, 1, 12, 0, 0, 0};
    FILETIME t;
    SystemTimeToFileTime(&y1970, &t);
    SetFileTime(old, nullptr, nullptr, &t);
    CloseHandle(old);
    lib.LoadImg("m");
    for (const char* source : {"a-folder", "old.dat", "no-such.dat"}) {
        TakeNotes();
        lib.ReplaceFile(0, source, 1);
        Check(TakeNotes() == Notes{"replacing"} && SameEntry(Slot(lib, 0), Entry(0, 1, "a")),
              std::string(source) + " counts as missing");
    }
}

// Records of gigabytes, as a damaged or hostile directory may hold them: 2^31
// bytes, one more than any block, and 4 GiB and a sector, which wraps to one
// sector in 32 bits.
const uint32_t kHugeSizes[] = {0x100000, 0x200001};

std::string SizeName(uint32_t sectors) { return sectors == 0x100000 ? "2 GiB" : "4 GiB"; }

void RecordsOfGigabytes(const Library& lib) {
    const Bytes small = Pattern(2048, 12);
    host::WriteBytes("huge.dir", Records({Entry(1, kHugeSizes[0], "two"), Entry(1, kHugeSizes[1], "four"),
                                          Entry(0, 1, "small")}));
    host::WriteBytes("huge.img", small);
    Check(MakeSparse("huge.img", (1 + int64_t{kHugeSizes[1]}) * 2048), "a sparse .img of 4 GiB");
    lib.LoadImg("huge");
    for (int index : {0, 1}) {
        const std::string what = "export of a record of " + SizeName(kHugeSizes[index]);
        CheckFailure(lib, Catching([&] { lib.ExportFile(index, "huge.out"); }), "Out of memory", what);
        Check(!Exists("huge.out"), what + ": no target appears");
        Bytes guard(16, 0xEE);
        CheckFailure(lib, Catching([&] { lib.ExportBuffer(index, guard.data()); }), "Out of memory",
                     what + " to a buffer");
        Check(guard == Bytes(16, 0xEE), what + ": nothing is read into the buffer");
    }
    host::WriteBytes("huge.dat", {});
    Check(MakeSparse("huge.dat", int64_t{kHugeSizes[1]} * 2048), "a sparse source of 4 GiB");
    CheckFailure(lib, Catching([&] { lib.ReplaceFile(2, "huge.dat", 1); }), "Out of memory", "replace from it");
    Bytes got(2048);
    lib.ExportBuffer(2, got.data());
    Check(got == small && SameEntry(Slot(lib, 2), Entry(0, 1, "small")) && std::string(lib.GetLastError()).empty(),
          "the process lives on and the other entry is whole");
    if (sizeof(void*) == 4) {
        // Within the limit, but more than a 2 GiB address space has in one
        // piece: the failed allocation itself must be "Out of memory".
        const TImgEntry justBelow = Entry(1, 0xFFFFF, "below");
        lib.SetThisFile(0, &justBelow);
        CheckFailure(lib, Catching([&] { lib.ExportFile(0, "huge.out"); }), "Out of memory",
                     "32-bit: export of a record of 2 GiB less a sector");
        Check(!Exists("huge.out"), "32-bit: no target appears");
    }
    DeleteFileA("huge.img");
    DeleteFileA("huge.dat");
}

// A single-file archive of 63 entries whose lowest block, at sector 1, is
// huge; the 64th entry's directory reaches into it, so the add's rewrite
// must move it.
void AnAddThatMustMoveAHugeBlock(const Library& lib) {
    for (const uint32_t sectors : kHugeSizes) {
        std::vector<TImgEntry> entries = {Entry(1, sectors, "huge")};
        for (uint32_t i = 1; i < 63; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "e%u", static_cast<unsigned>(i));
            entries.push_back(Entry(sectors + i, 1, name));
        }
        Bytes head = SingleFile(entries);
        head.resize(2048);
        const Bytes data = Pattern(62 * 2048, sectors);
        host::WriteBytes("big.img", head);
        Check(MakeSparse("big.img", (int64_t{sectors} + 1) * 2048, data), "a sparse single-file .img");
        lib.LoadImg("big.img");
        const std::string what = "an add that must move a block of " + SizeName(sectors);
        CheckFailure(lib, Catching([&] { lib.AddFile("first.dat"); }), "Out of memory", what);
        Check(ReadAt("big.img", 0, 2048) == head, what + ": header and directory unchanged");
        lib.LoadImg("big.img");
        bool whole = lib.FileCount() == 63;
        for (int i = 0; whole && i < 63; ++i) whole = SameEntry(Slot(lib, i), entries[static_cast<size_t>(i)]);
        for (int i = 1; whole && i < 63; ++i) {
            Bytes got(2048);
            lib.ExportBuffer(i, got.data());
            whole = std::memcmp(got.data(), data.data() + (i - 1) * 2048, 2048) == 0;
        }
        Check(whole, what + ": every other entry still exports its bytes");
        Check(FilesIn("scratch") == 0, what + ": no scratch file is left");
        DeleteFileA("big.img");
    }
}

// Two hosts on one archive, each with its own copy of the library: B's
// adds move the lowest block; A's next add must not write over them.
void TwoHostsOnOneArchive(const Library& a) {
    char path[MAX_PATH];
    GetModuleFileNameA(GetModuleHandleA("tolvane.dll"), path, sizeof path);
    Check(CopyFileA(path, "tolvane-second.dll", FALSE) != 0, "a second copy of the library");
    const Library b = host::ResolveAll(LoadLibraryA("tolvane-second.dll"));
    host::WriteBytes("two.dat", Pattern(3000, 20));
    for (const bool single : {true, false}) {
        std::vector<TImgEntry> entries;
        for (uint32_t i = 0; i < 62; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "e%u", static_cast<unsigned>(i));
            entries.push_back(Entry(1 + i, 1, name));
        }
        Bytes img = Pattern(63 * 2048, 21);
        if (single) Put(img, 0, SingleFile(entries));
        if (!single) host::WriteBytes("two.dir", Records(entries));
        host::WriteBytes("two.img", img);
        const std::string layout = single ? "single file: " : "paired: ";
        const std::string changed = std::string("Directory of ") + (single ? "two.img" : "two.dir") +
                                    " was changed by another program";
        a.LoadImg("two");
        b.LoadImg("two");
        b.AddFile("two.dat");
        b.AddFile("two.dat");
        CheckFailure(a, Catching([&] { a.AddFile("two.dat"); }), changed, layout + "A's add after B's");
        a.LoadImg("two");
        a.AddFile("two.dat");
        Check(a.FileCount() == 65 && std::string(a.GetFileName(63)) == "two.dat", layout + "A adds after a re-open");
        Bytes first(2048);
        a.ExportBuffer(0, first.data());
        Check(std::memcmp(first.data(), img.data() + 2048, 2048) == 0, layout + "the moved block keeps its bytes");
    }
    FreeLibrary(GetModuleHandleA("tolvane-second.dll"));
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // a hang still shows how far it got
    return host::RunWithLibrary([](const Library& lib) {
        TheStructuredException(lib);
        NullPointersAndTheVersion(lib);
        WorkedExamplesOfAppending(lib);
        WorkedExamplesOfTheRewrite(lib);
        SharingModes(lib);
        ReadOnlyFiles(lib);
        MissingSources(lib);
        RecordsOfGigabytes(lib);
        AnAddThatMustMoveAHugeBlock(lib);
        TwoHostsOnOneArchive(lib);
    });
}
