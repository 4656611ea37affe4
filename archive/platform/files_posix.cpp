#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "disk_faults_posix.h"
#include "files.h"

namespace tolvane::platform {
namespace {

using disk::Change;
using disk::NameOf;
using disk::NextChange;
using disk::Record;

// A move or a new name survives a power loss only once its folder is on the
// disk.
bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    disk::Synced(folder);
    Record("sync " + NameOf(folder));
    return synced;
}

// Stands in for the read-only attribute, which refuses write access even to
// an administrator (root would otherwise write any file).
bool IsReadOnly(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
}

int FlagsFor(OpenMode mode) {
    switch (mode) {
        case OpenMode::Create: return O_RDWR | O_CREAT | O_TRUNC;
        case OpenMode::SourceRead: return O_RDONLY;
        default: return O_RDWR;
    }
}

}  // namespace

File::File(const std::string& path, OpenMode mode) { Open(path, mode); }

bool File::Open(const std::string& path, OpenMode mode) {
    Close();
    path_ = path;
    if (disk::IsHeld(path)) return false;
    if (mode != OpenMode::SourceRead && IsReadOnly(path)) return false;
    if (mode == OpenMode::Create) {
        if (NextChange() != Change::Go) return false;
        disk::WillCreate(path);
    }
    const int fd = ::open(path.c_str(), FlagsFor(mode), 0644);
    handle_ = fd < 0 ? -1 : fd;
    return IsOpen();
}

File::~File() { Close(); }

bool File::IsOpen() const { return handle_ != -1; }

int64_t File::Length() const {
    struct stat st;
    if (!IsOpen() || ::fstat(static_cast<int>(handle_), &st) != 0) return -1;
    return st.st_size;
}

bool File::Seek(int64_t position) {
    return IsOpen() && ::lseek(static_cast<int>(handle_), position, SEEK_SET) == position;
}

int64_t File::Position() const { return ::lseek(static_cast<int>(handle_), 0, SEEK_CUR); }

File::ReadResult File::Read(void* destination, int64_t count) {
    if (!IsOpen()) return {0, true};
    const int64_t readable = disk::ReadableBefore(path_, Position(), count);
    int64_t done = 0;
    while (done < readable) {
        const ssize_t got =
            ::read(static_cast<int>(handle_), static_cast<char*>(destination) + done,
                   static_cast<size_t>(std::min<int64_t>(readable - done, 1 << 30)));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {done, true};
        if (got == 0) return {done, false};
        done += got;
    }
    return {done, readable < count};
}

int64_t File::Write(const void* source, int64_t count) {
    const Change change = NextChange();
    if (change == Change::Dead || !IsOpen()) return 0;
    Record("write " + NameOf(path_));
    // A failed write stops short of the whole count.
    if (change == Change::Fail) count = disk::KeptOfFailedWrite(count);
    disk::WillWrite(static_cast<int>(handle_), path_, Position(), count);
    int64_t done = 0;
    while (done < count) {
        const ssize_t put =
            ::write(static_cast<int>(handle_), static_cast<const char*>(source) + done,
                    static_cast<size_t>(std::min<int64_t>(count - done, 1 << 30)));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += put;
    }
    return done;
}

bool File::Flush() {
    if (NextChange() != Change::Go || !IsOpen()) return false;
    Record("flush " + NameOf(path_));
    // The data and what reading it back needs (the length), not the times.
    if (::fdatasync(static_cast<int>(handle_)) != 0) return false;
    disk::Flushed(path_);
    return true;
}

void File::Close() {
    if (IsOpen()) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

bool SetArchiveAttributeOnly(const std::string& path) {
    // The POSIX stand-in for "archive only": the file exists and is writable.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool SourceExists(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    struct tm local;
    if (!::localtime_r(&st.st_mtime, &local)) return false;
    const int year = local.tm_year + 1900;
    return year >= 1980 && year <= 2107;
}

bool IsReplaceable(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (S_ISDIR(st.st_mode)) return false;
    return File(path, OpenMode::ExclusiveStream).IsOpen();
}

bool ReplaceWith(const std::string& from, const std::string& to) {
    if (NextChange() != Change::Go || std::rename(from.c_str(), to.c_str()) != 0) return false;
    disk::Moved(from, to);
    Record("move " + NameOf(from) + " " + NameOf(to));
    return SyncFolder(disk::FolderOf(to));
}

bool SyncFolderOf(const std::string& path) { return SyncFolder(disk::FolderOf(path)); }

bool RemoveFile(const std::string& path) {
    if (NextChange() != Change::Go) return false;
    disk::WillRemove(path);
    return ::unlink(path.c_str()) == 0;
}

bool PathFits(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto name = slash == std::string::npos ? path.size() : path.size() - slash - 1;
    return path.size() < PATH_MAX && name <= NAME_MAX;
}

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

int64_t LengthOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

}  // namespace tolvane::platform
