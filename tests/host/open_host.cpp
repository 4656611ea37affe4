// Loads tolvane.dll by name, resolves its exports, and opens archives on real
// files: attributes, sharing and the remembered header count.
#include <cstring>

#include "library.h"

namespace {

using host::Bytes;
using host::Check;
using host::Library;

Bytes Records(int count, const char* prefix) {
    Bytes out(count * sizeof(TImgEntry));
    for (int i = 0; i < count; ++i) {
        TImgEntry e{};
        e.offset = i + 1;
        e.size = 1;
        std::snprintf(e.name, sizeof e.name, "%s%d", prefix, i);
        std::memcpy(out.data() + i * sizeof e, &e, sizeof e);
    }
    return out;
}

Bytes SingleFile(int count, const char* prefix) {
    Bytes out = {'V', 'E', 'R', '2', 0, 0, 0, 0};
    std::memcpy(out.data() + 4, &count, 4);
    const Bytes dir = Records(count, prefix);
    out.insert(out.end(), dir.begin(), dir.end());
    return out;
}

void FreshLibrary(const Library& lib) {
    TImgEntry e;
    std::memset(&e, 0xCC, sizeof e);
    lib.GetThisFile(&e, 65535);
    const TImgEntry zero{};
    Check(lib.FileCount() == 0, "a fresh library has no entries");
    Check(std::memcmp(&e, &zero, sizeof e) == 0, "a fresh library's last slot is zero");
    Check(std::strcmp(lib.GetFileName(0), "") == 0, "a fresh library's first name is empty");
}

void ReadOnlyFilesBecomeArchiveFiles(const Library& lib) {
    host::WriteBytes("ro.dir", Records(2, "ro"));
    host::WriteBytes("ro.img", Bytes(4096));
    SetFileAttributesA("ro.dir", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA("ro.img", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    lib.LoadImg("ro.img");
    Check(lib.FileCount() == 2, "paired: read-only .dir is read");
    Check(std::strcmp(lib.GetFileName(1), "ro1") == 0, "paired: names come from the .dir");
    Check(GetFileAttributesA("ro.dir") == FILE_ATTRIBUTE_ARCHIVE, "paired: .dir is left an archive file");
    Check(GetFileAttributesA("ro.img") == FILE_ATTRIBUTE_ARCHIVE, "paired: .img is left an archive file");

    host::WriteBytes("single.img", SingleFile(3, "s"));
    SetFileAttributesA("single.img", FILE_ATTRIBUTE_READONLY);
    lib.LoadImg("single");
    Check(lib.FileCount() == 3, "single-file: read-only .img is read");
    Check(std::strcmp(lib.GetFileName(2), "s2") == 0, "single-file: names follow the header");
    Check(GetFileAttributesA("single.img") == FILE_ATTRIBUTE_ARCHIVE,
          "single-file: .img is left an archive file");
    Check(std::strcmp(lib.GetLastError(), "") == 0, "a successful open leaves no error message");
}

void DirHeldWithoutSharingGivesNoEntries(const Library& lib) {
    host::WriteBytes("held.dir", Records(5, "h"));
    HANDLE held = CreateFileA("held.dir", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Check(held != INVALID_HANDLE_VALUE, "held.dir opened without sharing");
    lib.LoadImg("held.dir");
    Check(lib.FileCount() == 0, "paired: a .dir held open elsewhere gives 0 entries");
    CloseHandle(held);
    lib.LoadImg("held.dir");
    Check(lib.FileCount() == 5, "paired: the same .dir reads once released");
}

void MissingArchiveKeepsTheHeaderCount(const Library& lib) {
    host::WriteBytes("four.img", SingleFile(4, "f"));
    lib.LoadImg("four.img");
    lib.LoadImg("no-such-archive");
    Check(lib.FileCount() == 4, "an open of missing files keeps the last header's count");
    Check(std::strcmp(lib.GetFileName(3), "f3") == 0, "an open of missing files keeps the table");
}

void NoFileStaysOpen(const Library& lib) {
    host::WriteBytes("closed.dir", Records(1, "c"));
    host::WriteBytes("closed.img", Bytes(2048));
    lib.LoadImg("closed");
    HANDLE dir = CreateFileA("closed.dir", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Check(dir != INVALID_HANDLE_VALUE, "no file of the archive stays open after the open");
    if (dir != INVALID_HANDLE_VALUE) CloseHandle(dir);
}

void IndexesOutsideTheTable(const Library& lib) {
    TImgEntry e;
    std::memset(&e, 0xCC, sizeof e);
    lib.GetThisFile(&e, -1);
    const TImgEntry zero{};
    Check(std::memcmp(&e, &zero, sizeof e) == 0, "index -1 reads 32 zero bytes");
    lib.SetThisFile(70000, &e);
    const char* name = lib.GetFileName(65536);
    Check(name != nullptr && *name == '\0', "index 65536 has an empty name");
}

}  // namespace

int main() {
    return host::RunWithLibrary([](const Library& lib) {
        FreshLibrary(lib);
        ReadOnlyFilesBecomeArchiveFiles(lib);
        DirHeldWithoutSharingGivesNoEntries(lib);
        MissingArchiveKeepsTheHeaderCount(lib);
        NoFileStaysOpen(lib);
        IndexesOutsideTheTable(lib);
    });
}
