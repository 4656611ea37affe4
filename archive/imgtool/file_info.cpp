#include "file_info.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>

#ifdef _WIN32
#include <io.h>
#else
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

bool CreateNewFile(const std::string& path) {
    // Exclusive: an archive that appeared meanwhile is never emptied.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace imgtool
