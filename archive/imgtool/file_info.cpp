#include "file_info.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#define O_BINARY 0
#endif

namespace imgtool {
namespace {

#ifdef _WIN32
using Status = struct __stat64;
int StatusOf(const std::string& path, Status& status) { return _stat64(path.c_str(), &status); }
#else
using Status = struct stat;
int StatusOf(const std::string& path, Status& status) { return ::stat(path.c_str(), &status); }
#endif

}  // namespace

Kind KindOf(const std::string& path) {
    Status status;
    if (StatusOf(path, status) != 0) return Kind::Missing;
    switch (status.st_mode & S_IFMT) {
        case S_IFREG: return Kind::File;
        case S_IFDIR: return Kind::Folder;
        default: return Kind::Other;
    }
}

uint64_t FileSize(const std::string& path) {
    Status status;
    return StatusOf(path, status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
}

std::string ReadStart(const std::string& path, size_t count) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

#ifdef _WIN32
std::optional<uint32_t> AttributesOf(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

std::vector<std::string> FilesIn(const std::string& prefix) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}
#else
std::optional<uint32_t> AttributesOf(const std::string& path) {
    Status status;
    if (StatusOf(path, status) != 0) return std::nullopt;
    return static_cast<uint32_t>(status.st_mode & 07777);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    return ::chmod(path.c_str(), static_cast<mode_t>(attributes)) == 0;
}

std::vector<std::string> FilesIn(const std::string& prefix) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(prefix.empty() ? "." : prefix.c_str());
    if (!dir) return names;
    while (const dirent* item = ::readdir(dir)) {
        if (IsFile(prefix + item->d_name)) names.emplace_back(item->d_name);
    }
    ::closedir(dir);
    return names;
}
#endif

bool CreateNewFile(const std::string& path) {
    // Exclusive: an archive that appeared meanwhile is never emptied.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace imgtool
