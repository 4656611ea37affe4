#include "base/file_range.h"

#include <algorithm>

namespace carrow {
namespace {

// One ReadFile or WriteFile moves at most this much.
constexpr std::size_t kMaxTransfer = 1u << 24;

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

}  // namespace

bool LookAt(HANDLE file, FileLook& look) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return false;
    look.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    look.writeTime = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                     info.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + count);
    std::size_t done = 0;
    while (done < count) {
        OVERLAPPED at = At(offset + done);
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count - done, kMaxTransfer));
        if (!ReadFile(file, out.data() + start + done, ask, &got, &at) && GetLastError() != ERROR_HANDLE_EOF) {
            out.resize(start);
            return false;
        }
        if (got == 0) {
            out.resize(start);
            SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        done += got;
    }
    return true;
}

bool WriteAt(HANDLE file, std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        OVERLAPPED at = At(offset);
        DWORD put = 0;
        const DWORD ask = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
        if (!WriteFile(file, bytes.data(), ask, &put, &at)) return false;
        if (put == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(put);
        offset += put;
    }
    return true;
}

bool CutAt(HANDLE file, std::uint64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end) != FALSE;
}

}  // namespace carrow
