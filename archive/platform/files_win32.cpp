#include <windows.h>

#include <limits>

#include "files.h"

namespace tolvane::platform {
namespace {

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// One ReadFile/WriteFile moves at most this much; larger transfers loop.
constexpr int64_t kMaxChunk = 1 << 30;

DWORD ShareFor(OpenMode mode) {
    return (mode == OpenMode::ExclusiveStream || mode == OpenMode::Create)
               ? 0
               : FILE_SHARE_READ | FILE_SHARE_WRITE;
}

DWORD AccessFor(OpenMode mode) {
    return mode == OpenMode::SourceRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
}

}  // namespace

File::File(const std::string& path, OpenMode mode) { Open(path, mode); }

bool File::Open(const std::string& path, OpenMode mode) {
    Close();
    path_ = path;
    const DWORD disposition = mode == OpenMode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileA(path.c_str(), AccessFor(mode), ShareFor(mode), nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
    return IsOpen();
}

File::~File() { Close(); }

bool File::IsOpen() const { return handle_ != -1; }

int64_t File::Length() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !GetFileSizeEx(AsHandle(handle_), &size)) return -1;
    return size.QuadPart;
}

bool File::Seek(int64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = position;
    return IsOpen() && SetFilePointerEx(AsHandle(handle_), to, nullptr, FILE_BEGIN);
}

File::ReadResult File::Read(void* destination, int64_t count) {
    if (!IsOpen()) return {0, true};
    int64_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!ReadFile(AsHandle(handle_), static_cast<char*>(destination) + done, ask, &got, nullptr)) {
            return {done + got, true};
        }
        if (got == 0) break;  // the end of the file
        done += got;
    }
    return {done, false};
}

int64_t File::Write(const void* source, int64_t count) {
    int64_t done = 0;
    while (IsOpen() && done < count) {
        DWORD put = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!WriteFile(AsHandle(handle_), static_cast<const char*>(source) + done, ask, &put,
                       nullptr) ||
            put == 0) {
            break;
        }
        done += put;
    }
    return done;
}

bool File::Flush() { return IsOpen() && FlushFileBuffers(AsHandle(handle_)); }

void File::Close() {
    if (IsOpen()) CloseHandle(AsHandle(handle_));
    handle_ = -1;
}

bool SetArchiveAttributeOnly(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}

bool SourceExists(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    FILETIME local;
    WORD date = 0, time = 0;
    return FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
           FileTimeToDosDateTime(&local, &date, &time);
}

bool IsReplaceable(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    // Checked here because Wine's MoveFileEx would replace a read-only file.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    return File(path, OpenMode::ExclusiveStream).IsOpen();
}

bool ReplaceWith(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// FlushFileBuffers puts a file's name on the disk with it.
bool SyncFolderOf(const std::string&) { return true; }

// The 8-bit file functions take paths of fewer than MAX_PATH characters.
bool PathFits(const std::string& path) { return path.size() < MAX_PATH; }

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::string TempFolder() {
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    return length == 0 || length >= sizeof folder ? std::string() : std::string(folder, length);
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

int64_t LengthOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace tolvane::platform
