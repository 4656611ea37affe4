#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "files.h"

namespace tolvane::platform {

File::File(const std::string& path, OpenMode mode) {
    const int flags = mode == OpenMode::Create ? O_RDWR | O_CREAT | O_TRUNC : O_RDWR;
    const int fd = ::open(path.c_str(), flags, 0644);
    handle_ = fd < 0 ? -1 : fd;
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

int64_t File::Read(void* destination, int64_t count) {
    int64_t done = 0;
    while (IsOpen() && done < count) {
        const ssize_t got =
            ::read(static_cast<int>(handle_), static_cast<char*>(destination) + done,
                   static_cast<size_t>(std::min<int64_t>(count - done, 1 << 30)));
        if (got <= 0) break;
        done += got;
    }
    return done;
}

int64_t File::Write(const void* source, int64_t count) {
    int64_t done = 0;
    while (IsOpen() && done < count) {
        const ssize_t put =
            ::write(static_cast<int>(handle_), static_cast<const char*>(source) + done,
                    static_cast<size_t>(std::min<int64_t>(count - done, 1 << 30)));
        if (put <= 0) break;
        done += put;
    }
    return done;
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

int64_t LengthOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

bool IsLeadByte(unsigned char) { return false; }

}  // namespace tolvane::platform
