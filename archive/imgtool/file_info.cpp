#include "file_info.h"

#include <sys/stat.h>

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

}  // namespace imgtool
