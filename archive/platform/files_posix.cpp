#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>
#include <utility>

#include "files.h"

namespace tolvane::platform {
namespace {

// What the tests planted (see faults in files.h).
struct FaultPlan {
    std::set<std::string> held;
    int64_t changes = 0;
    int64_t failAt = -1;
    int64_t keep = 0;
    int64_t crashAt = -1;
    std::vector<std::string> events;
    // Only once a test has reset the plan: a long-lived host of the shared
    // object would otherwise collect events without end.
    bool recording = false;
} plan;

enum class Change { Go, Fail, Dead };

// Numbers the next change to the disk and says whether it may happen.
Change NextChange() {
    const int64_t number = plan.changes++;
    if (plan.crashAt >= 0 && number >= plan.crashAt) return Change::Dead;
    return number == plan.failAt ? Change::Fail : Change::Go;
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Record(std::string event) {
    if (plan.recording) plan.events.push_back(std::move(event));
}

// Runs of writes to one file count as one event.
void RecordWrite(const std::string& path) {
    std::string event = "write " + NameOf(path);
    if (plan.events.empty() || plan.events.back() != event) Record(std::move(event));
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A move survives a power loss only once its folder is on the disk.
bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
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
    if (plan.held.count(path)) return false;
    if (mode == OpenMode::Create && NextChange() != Change::Go) return false;
    if (mode != OpenMode::SourceRead && IsReadOnly(path)) return false;
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
    const Change change = NextChange();
    if (change == Change::Dead) return 0;
    RecordWrite(path_);
    // A failed write stops short of the whole count.
    if (change == Change::Fail) count = std::clamp<int64_t>(plan.keep, 0, std::max<int64_t>(count - 1, 0));
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

bool File::Flush() {
    Record("flush " + NameOf(path_));
    return IsOpen() && ::fsync(static_cast<int>(handle_)) == 0;
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
    Record("move " + NameOf(from) + " " + NameOf(to));
    return SyncFolder(FolderOf(to));
}

bool RemoveFile(const std::string& path) { return NextChange() == Change::Go && ::unlink(path.c_str()) == 0; }

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

namespace faults {

void Reset() {
    plan = FaultPlan();
    plan.recording = true;
}
void Hold(const std::string& path) { plan.held.insert(path); }

void FailChange(int64_t at, int64_t keep) {
    plan.failAt = at;
    plan.keep = keep;
}

void CrashAt(int64_t at) { plan.crashAt = at; }
int64_t Changes() { return plan.changes; }

std::vector<std::string> TakeEvents() {
    std::vector<std::string> events;
    events.swap(plan.events);
    return events;
}

}  // namespace faults

}  // namespace tolvane::platform
