#include "base/file_io.h"

#include <windows.h>

#include <new>

#include "base/failure.h"
#include "base/file_failure_text.h"
#include "base/file_range.h"
#include "base/handles.h"
#include "base/system_error.h"

namespace carrow {
namespace {

[[noreturn]] void FailOpen(const wchar_t* fileName, DWORD error) {
    Fail(CannotOpenFileText(FullPathOf(fileName), SystemErrorText(error)));
}

[[noreturn]] void FailCreate(const std::wstring& fullPath, DWORD error) {
    Fail(CannotCreateFileText(fullPath, SystemErrorText(error)));
}

// Others may read the file while the handle lives, but not write it.
UniqueHandle OpenSharingReads(const wchar_t* fileName) {
    return UniqueHandle(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::string ReadWhole(HANDLE file, const wchar_t* fileName) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) FailOpen(fileName, GetLastError());
    // On a 32-bit build a size past what memory can hold must not wrap to a smaller one.
    if (static_cast<ULONGLONG>(size.QuadPart) > std::string().max_size()) throw std::bad_alloc();
    // Others may not write while the file is open: a short read is a failure.
    std::string bytes;
    if (!ReadAt(file, 0, static_cast<size_t>(size.QuadPart), bytes)) FailOpen(fileName, GetLastError());
    return bytes;
}

std::optional<std::string> ReadWholeIfPresent(const wchar_t* fileName) {
    const UniqueHandle file = OpenSharingReads(fileName);
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
        FailOpen(fileName, error);
    }
    return ReadWhole(file.Get(), fileName);
}

namespace {

std::wstring FolderOf(const std::wstring& fullPath) {
    const auto slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : fullPath.substr(0, slash + 1);
}

// A scratch file beside the target, deleted unless it took the target's place.
class TempFile {
public:
    TempFile(const std::wstring& folder, const std::wstring& target) {
        wchar_t name[MAX_PATH];
        if (!GetTempFileNameW(folder.c_str(), L"crw", 0, name)) FailCreate(target, GetLastError());
        path_ = name;
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }

    const std::wstring& Path() const { return path_; }
    void Kept() { path_.clear(); }

private:
    std::wstring path_;
};

// Attributes the new file takes over from the one it replaces.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

void WriteTemp(const TempFile& temp, const std::wstring& target, DWORD attributes,
               std::string_view bytes) {
    {
        UniqueHandle file(CreateFileW(temp.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) FailCreate(target, GetLastError());
        if (!WriteAt(file.Get(), 0, bytes) || !FlushFileBuffers(file.Get())) Fail(kStreamWriteError);
    }
    if (attributes && !SetFileAttributesW(temp.Path().c_str(), attributes)) {
        FailCreate(target, GetLastError());
    }
}

}  // namespace

// Writes the bytes beside the target and moves them over it.  The target is
// held without sharing meanwhile, so a file that someone else holds open, or
// that may not be written, fails before anything changes.
void ReplaceContents(const std::wstring& target, std::string_view bytes) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // The move would replace a read-only file on some systems; Windows refuses it.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        FailCreate(target, ERROR_ACCESS_DENIED);
    }
    UniqueHandle hold;
    if (exists) {
        hold = UniqueHandle(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!hold) FailCreate(target, GetLastError());
    }
    TempFile temp(FolderOf(target), target);
    WriteTemp(temp, target, exists ? attributes & kKeptAttributes : 0, bytes);
    hold = UniqueHandle();
    if (!MoveFileExW(temp.Path().c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        FailCreate(target, GetLastError());
    }
    temp.Kept();
}

std::wstring FullPathOf(const wchar_t* fileName) {
    const DWORD need = GetFullPathNameW(fileName, 0, nullptr, nullptr);
    if (need == 0) return fileName;
    std::wstring path(need, L'\0');
    const DWORD got = GetFullPathNameW(fileName, need, path.data(), nullptr);
    if (got == 0 || got >= need) return fileName;
    path.resize(got);
    return path;
}

UniqueHandle OpenForReading(const wchar_t* fileName) {
    UniqueHandle file = OpenSharingReads(fileName);
    if (!file) FailOpen(fileName, GetLastError());
    return file;
}

}  // namespace carrow
