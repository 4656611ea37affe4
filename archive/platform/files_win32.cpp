#include <windows.h>

#include <limits>

#include "files.h"

namespace tolvane::platform {
namespace {

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// One ReadFile/WriteFile moves at most this much; larger transfers loop.
constexpr int64_t kMaxChunk = 1 << 30;

DWORD ShareFor(OpenMode mode) {
    return (mode == OpenMode::WholeFileRead || mode == OpenMode::SharedStream)
               ? FILE_SHARE_READ | FILE_SHARE_WRITE
               : 0;
}

}  // namespace

File::File(const std::string& path, OpenMode mode) {
    const DWORD disposition = mode == OpenMode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, ShareFor(mode), nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
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

int64_t File::Read(void* destination, int64_t count) {
    int64_t done = 0;
    while (IsOpen() && done < count) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!ReadFile(AsHandle(handle_), static_cast<char*>(destination) + done, ask, &got,
                      nullptr) ||
            got == 0) {
            break;
        }
        done += got;
    }
    return done;
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

void File::Close() {
    if (IsOpen()) CloseHandle(AsHandle(handle_));
    handle_ = -1;
}

bool SetArchiveAttributeOnly(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}

int64_t LengthOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

}  // namespace tolvane::platform
