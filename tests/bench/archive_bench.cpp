// Speed of the archive library beside the raw floor on the same bytes:
// opening a directory of 65,536 entries, adding 2,000 files of 100 KB,
// replacing them in place, and exporting them all, in both layouts.  The
// floor of an add or a replace reads the source, writes its data and stores
// the directory flushed (beside the old one and moved over it, or in place),
// as the library must; the lines below it show what the library's other
// flushes and its journal cost.  A replace in place of the same size leaves
// the directory as it is: its safe sequence journals the slot, flushes the
// data and writes no directory.  Runs in the current folder; prints each
// figure and its ratio to the floor.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tolvane.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Puts everything written so far on the disk, so that no phase pays for
// the write-back of another's unflushed data (a floor that flushes nothing
// would otherwise slow down whatever flushes after it).
void Settle() {
#ifdef _WIN32
    for (const char* folder : {".", "src", "copies", "out"}) {
        std::error_code error;
        for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
            if (!item.is_regular_file(error)) continue;
            HANDLE h = CreateFileA(item.path().string().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) continue;
            FlushFileBuffers(h);
            CloseHandle(h);
        }
    }
#else
    ::sync();
#endif
}

// The time work takes, from a settled disk.
double Seconds(const std::function<void()>& work) {
    Settle();
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The floor's own file calls: the system's, with nothing in between.
#ifdef _WIN32
void RawRead(const std::string& path, long long offset, std::vector<char>& into) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = offset;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    DWORD got = 0;
    ReadFile(h, into.data(), static_cast<DWORD>(into.size()), &got, nullptr);
    CloseHandle(h);
}
void RawWrite(const std::string& path, long long offset, const std::vector<char>& data) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = offset;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    DWORD put = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
    CloseHandle(h);
}
// A directory written beside the old one and moved over it; with flush, on
// the disk before the move, and the move written through.
void RawReplace(const std::string& path, const std::vector<char>& records, bool flush) {
    const std::string temp = path + ".new";
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, records.data(), static_cast<DWORD>(records.size()), &put, nullptr);
    if (flush) FlushFileBuffers(h);
    CloseHandle(h);
    MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0));
}
// Bytes written at offset and put on the disk.
void RawWriteFlushed(const std::string& path, long long offset, const std::vector<char>& data) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = offset;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    DWORD put = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
    FlushFileBuffers(h);
    CloseHandle(h);
}
// A new file of these bytes, on the disk with its name.
void RawCreateFlushed(const std::string& path, const std::vector<char>& data) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
    FlushFileBuffers(h);
    CloseHandle(h);
}
void RawRemove(const std::string& path) { DeleteFileA(path.c_str()); }
long long LengthOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }
#else
void RawRead(const std::string& path, long long offset, std::vector<char>& into) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (::pread(fd, into.data(), into.size(), offset) < 0) std::perror("pread");
    ::close(fd);
}
void RawWrite(const std::string& path, long long offset, const std::vector<char>& data) {
    const int fd = ::open(path.c_str(), O_RDWR);
    if (::pwrite(fd, data.data(), data.size(), offset) < 0) std::perror("pwrite");
    ::close(fd);
}
void MakeFolder(const std::string& path) { std::filesystem::create_directories(path); }
void RawReplace(const std::string& path, const std::vector<char>& records, bool flush) {
    const std::string temp = path + ".new";
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, records.data(), records.size()) < 0) std::perror("write");
    if (flush) ::fsync(fd);
    ::close(fd);
    std::rename(temp.c_str(), path.c_str());
    if (!flush) return;
    fd = ::open(".", O_RDONLY | O_DIRECTORY);
    ::fsync(fd);
    ::close(fd);
}
long long LengthOf(const std::string& path) { return static_cast<long long>(std::filesystem::file_size(path)); }
void RawWriteFlushed(const std::string& path, long long offset, const std::vector<char>& data) {
    const int fd = ::open(path.c_str(), O_RDWR);
    if (::pwrite(fd, data.data(), data.size(), offset) < 0) std::perror("pwrite");
    ::fsync(fd);
    ::close(fd);
}
void RawCreateFlushed(const std::string& path, const std::vector<char>& data) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, data.data(), data.size()) < 0) std::perror("write");
    ::fsync(fd);
    ::close(fd);
    fd = ::open(".", O_RDONLY | O_DIRECTORY);
    ::fsync(fd);
    ::close(fd);
}
void RawRemove(const std::string& path) { ::unlink(path.c_str()); }
#endif

// What any add or replace must do at the least: read the source, write its
// data, and store a directory of count records; with dataFlush the data is
// on the disk before the directory that points at it.
void RawWriteEntry(const std::string& source, long long offset, int count, bool flush, std::vector<char>& data,
                   bool dataFlush = false) {
    RawRead(source, 0, data);
    (dataFlush ? RawWriteFlushed : RawWrite)("floor.img", offset, data);
    RawReplace("floor.dir", std::vector<char>(static_cast<size_t>(count) * 32), flush);
}

// The same for a single-file archive: the data, then header and records in
// place, flushed; with journal, the old ones saved beside it first, flushed,
// and removed afterwards.
void RawWriteSingle(const std::string& source, long long offset, int count, bool journal, std::vector<char>& data) {
    RawRead(source, 0, data);
    const std::vector<char> directory(8 + static_cast<size_t>(count) * 32);
    if (journal) RawCreateFlushed("floor1.img-journal", directory);
    RawWrite("floor1.img", offset, data);
    RawWriteFlushed("floor1.img", 0, directory);
    if (journal) RawRemove("floor1.img-journal");
}

// A replace in place of the same size, which leaves the directory as it is,
// at its safest: the old slot saved beside the .img and flushed, the data
// written and flushed, the saved slot removed.
void RawReplaceUnderJournal(const std::string& source, const std::string& img, long long offset,
                            std::vector<char>& data) {
    RawRead(source, 0, data);
    RawCreateFlushed(img + "-journal", data);
    RawWriteFlushed(img, offset, data);
    RawRemove(img + "-journal");
}

void WriteNew(const std::string& path, const std::vector<char>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
}

void Report(const char* what, double seconds, double floor) {
    std::printf("%-44s %9.1f ms   floor %9.1f ms   ratio %5.2f\n", what, seconds * 1000, floor * 1000,
                seconds / floor);
    std::fflush(stdout);
}

void Open65536() {
    std::vector<char> dir(65536 * sizeof(TImgEntry));
    for (int i = 0; i < 65536; ++i) {
        TImgEntry e{};
        e.offset = static_cast<uint32_t>(i);
        e.size = 1;
        std::snprintf(e.name, sizeof e.name, "entry%05d.dff", i);
        std::memcpy(dir.data() + i * sizeof e, &e, sizeof e);
    }
    WriteNew("big.dir", dir);
    WriteNew("big.img", {});
    const int rounds = 50;
    std::vector<char> into(dir.size());
    // Each figure is the best of several batches: a batch takes milliseconds,
    // so one stray pause of the machine would otherwise decide the ratio.
    double floor = 1e9, open = 1e9;
    for (int batch = 0; batch < 7; ++batch) {
        floor = std::min(floor, Seconds([&] {
            for (int r = 0; r < rounds; ++r) RawRead("big.dir", 0, into);
        }));
        open = std::min(open, Seconds([&] {
            for (int r = 0; r < rounds; ++r) IMGLoadImg("big.dir");
        }));
    }
#ifdef _WIN32
    // Every open sets both files' attributes (its layout test), safety or
    // not: the floor does as much.
    double attributes = 1e9;
    for (int batch = 0; batch < 7; ++batch) {
        attributes = std::min(attributes, Seconds([&] {
            for (int r = 0; r < rounds; ++r) {
                SetFileAttributesA("big.dir", FILE_ATTRIBUTE_ARCHIVE);
                SetFileAttributesA("big.img", FILE_ATTRIBUTE_ARCHIVE);
            }
        }));
    }
    Report("open a directory of 65,536 entries (x50)", open, floor + attributes);
    Report("  the read alone", open, floor);
#else
    Report("open a directory of 65,536 entries (x50)", open, floor);
#endif
}

constexpr int kFiles = 2000;
constexpr size_t kFileBytes = 100 * 1024;

std::string SourceName(int i) { return "src\\file" + std::to_string(i) + ".dat"; }
std::string Portable(std::string path) {
#ifndef _WIN32
    for (char& c : path) c = c == '\\' ? '/' : c;
#endif
    return path;
}

void AddReplaceExport() {
    MakeFolder("src");
    MakeFolder("copies");
    MakeFolder("out");
    std::mt19937 random(7);
    std::vector<char> data(kFileBytes);
    for (int i = 0; i < kFiles; ++i) {
        for (char& c : data) c = static_cast<char>(random());
        WriteNew(Portable(SourceName(i)), data);
    }
    WriteNew("arc.dir", {});
    WriteNew("arc.img", {});
    IMGLoadImg("arc.img");

    // The floors grow a file of their own as the archive grows.
    const auto floor = [&](bool flush) {
        WriteNew("floor.img", {});
        return Seconds([&] {
            for (int i = 0; i < kFiles; ++i) {
                RawWriteEntry(Portable(SourceName(i)), LengthOf("floor.img"), i + 1, flush, data);
            }
        });
    };
    const double addFloor = floor(true), addFloorUnflushed = floor(false);
    WriteNew("floor.img", {});
    const double addFloorDataFlushed = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            RawWriteEntry(Portable(SourceName(i)), LengthOf("floor.img"), i + 1, true, data, true);
        }
    });
    const double add = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) IMGAddFile(Portable(SourceName(i)).c_str());
    });
    Report("add 2,000 files of 100 KB (paired)", add, addFloor);
    Report("  of which the directory's flushes", addFloor - addFloorUnflushed, addFloor);
    Report("  floor plus the flush of the data", add, addFloorDataFlushed);

    std::vector<TImgEntry> entries(kFiles);
    for (int i = 0; i < kFiles; ++i) IMGGetThisFile(&entries[i], i);
    const double writeFloor = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            RawWriteEntry(Portable(SourceName(kFiles - 1 - i)), entries[i].offset * 2048LL, kFiles, true, data);
        }
    });
    const double journalFloor = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            RawReplaceUnderJournal(Portable(SourceName(kFiles - 1 - i)), "floor.img", entries[i].offset * 2048LL, data);
        }
    });
    const double replace = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) IMGReplaceFile(i, Portable(SourceName(kFiles - 1 - i)).c_str(), 0);
    });
    Report("replace 2,000 entries in place (paired)", replace, writeFloor);
    Report("  the slot journaled, the data flushed, no new .dir", replace, journalFloor);

    std::vector<char> slot(static_cast<size_t>(entries[0].size) * 2048);
    const double readFloor = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) RawRead("arc.img", entries[i].offset * 2048LL, slot);
    });
    const double exportBuffers = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) IMGExportBuffer(i, slot.data());
    });
    Report("export 2,000 entries to memory", exportBuffers, readFloor);

    // Exporting to files also creates them: the floor reads and writes.
    const double copyOutFloor = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            RawRead("arc.img", entries[i].offset * 2048LL, slot);
            WriteNew(Portable("copies\\out" + std::to_string(i)), slot);
        }
    });
    const double exportAll = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) IMGExportFile(i, Portable("out\\" + std::to_string(i)).c_str());
    });
    Report("export 2,000 entries to files", exportAll, copyOutFloor);
}

// The single-file layout: header and records in place, under the journal.
void SingleFileAddReplace() {
    std::vector<char> data(kFileBytes);
    WriteNew("one.img", {});  // a new, empty archive
    IMGLoadImg("one.img");
    const auto floor = [&](bool journal) {
        WriteNew("floor1.img", std::vector<char>(2048));
        return Seconds([&] {
            for (int i = 0; i < kFiles; ++i) {
                RawWriteSingle(Portable(SourceName(i)), (LengthOf("floor1.img") + 2047) / 2048 * 2048, i + 1, journal,
                               data);
            }
        });
    };
    const double addFloor = floor(false), addFloorJournal = floor(true);
    const double add = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) IMGAddFile(Portable(SourceName(i)).c_str());
    });
    Report("add 2,000 files of 100 KB (single file)", add, addFloor);
    Report("  floor plus a journal of the directory", add, addFloorJournal);
    Report("  of which that journal", addFloorJournal - addFloor, addFloor);

    std::vector<TImgEntry> entries(kFiles);
    for (int i = 0; i < kFiles; ++i) IMGGetThisFile(&entries[i], i);
    const double writeFloor = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            RawWriteSingle(Portable(SourceName(kFiles - 1 - i)), entries[i].offset * 2048LL, kFiles, false, data);
        }
    });
    const double journalFloor = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            const std::string source = Portable(SourceName(kFiles - 1 - i));
            RawReplaceUnderJournal(source, "floor1.img", entries[i].offset * 2048LL, data);
        }
    });
    const double replace = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) IMGReplaceFile(i, Portable(SourceName(kFiles - 1 - i)).c_str(), 0);
    });
    Report("replace 2,000 entries in place (single file)", replace, writeFloor);
    Report("  the slot journaled, the data flushed, no directory", replace, journalFloor);
}

// Before every change the stored directory is read and compared with the
// one the library knows: a rewrite of 65,536 records beside the floor of
// storing them, and that floor with one read of them more.
void CompareBeforeAChange() {
    IMGLoadImg("big.dir");
    std::vector<char> records(65536 * sizeof(TImgEntry)), into(records.size());
    const int rounds = 20;
    double floor = 1e9, floorAndRead = 1e9, rewrite = 1e9;
    for (int batch = 0; batch < 3; ++batch) {
        floor = std::min(floor, Seconds([&] {
            for (int r = 0; r < rounds; ++r) RawReplace("floor.dir", records, true);
        }));
        floorAndRead = std::min(floorAndRead, Seconds([&] {
            for (int r = 0; r < rounds; ++r) {
                RawRead("big.dir", 0, into);
                RawReplace("floor.dir", records, true);
            }
        }));
        rewrite = std::min(rewrite, Seconds([&] {
            for (int r = 0; r < rounds; ++r) IMGReDoDir();
        }));
    }
    Report("rewrite a directory of 65,536 entries (x20)", rewrite, floor);
    Report("  floor plus one read of the stored directory", rewrite, floorAndRead);
    std::printf("  the comparison's read: %.2f ms a call at 65,536 entries\n", (floorAndRead - floor) * 1000 / rounds);
}

}  // namespace

int main() {
    IMGSetRaiseOnError(0);
    Open65536();
    AddReplaceExport();
    SingleFileAddReplace();
    CompareBeforeAChange();
    const char* failure = IMGGetLastError();
    if (*failure) std::printf("last call failed: %s\n", failure);
    return *failure ? 1 : 0;
}
