#include "disk_faults_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "files.h"

namespace tolvane::platform {
namespace {

// A change not on the disk yet, with what it replaced.
struct Undo {
    enum Kind { Write, Create, Remove } kind;
    std::string path;
    int64_t position = 0;   // a write's first byte
    int64_t count = 0;      // a write's length
    int64_t oldLength = 0;  // length before; -1 for a file that did not exist
    std::string old;        // the bytes the write covered, or the whole old file
};

// What the tests planted.
struct FaultPlan {
    std::set<std::string> held;
    std::map<std::string, int64_t> badSectors;
    int64_t changes = 0;
    int64_t failAt = -1;
    int64_t keep = 0;
    int64_t crashAt = -1;
    std::vector<std::string> events;
    std::vector<Undo> unflushed;
    // Only once a test has reset the plan: a long-lived host of the shared
    // object would otherwise collect events without end.
    bool recording = false;
} plan;

std::string ReadWhole(const std::string& path, int64_t& length) {
    struct stat st;
    length = -1;
    if (::stat(path.c_str(), &st) != 0) return {};
    length = st.st_size;
    std::string bytes(static_cast<size_t>(length), '\0');
    const int fd = ::open(path.c_str(), O_RDONLY);
    const ssize_t got = fd < 0 ? 0 : ::pread(fd, bytes.data(), bytes.size(), 0);
    if (fd >= 0) ::close(fd);
    bytes.resize(static_cast<size_t>(std::max<ssize_t>(got, 0)));
    return bytes;
}

// Puts bytes at position and leaves the file length bytes long.
void PutBack(const std::string& path, int64_t length, int64_t position, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0) return;
    if (::ftruncate(fd, length) != 0 ||
        ::pwrite(fd, bytes.data(), bytes.size(), position) != static_cast<ssize_t>(bytes.size())) {
        ::perror("tolvane test layer: undo");
    }
    ::close(fd);
}

// Takes a write back from its byte kept on (the whole of it when kept is 0).
void UndoWrite(const Undo& u, int64_t kept) {
    const int64_t from = u.position + kept;
    const std::string old = kept < static_cast<int64_t>(u.old.size()) ? u.old.substr(static_cast<size_t>(kept)) : "";
    PutBack(u.path, kept == 0 ? u.oldLength : std::max(u.oldLength, from), from, old);
}

void TakeBack(const Undo& u, bool tear) {
    switch (u.kind) {
        case Undo::Write: return UndoWrite(u, tear ? u.count / 2 : 0);
        case Undo::Create:
            if (u.oldLength < 0) {
                ::unlink(u.path.c_str());
                return;
            }
            return PutBack(u.path, u.oldLength, 0, u.old);
        case Undo::Remove: return PutBack(u.path, u.oldLength, 0, u.old);
    }
}

template <class Predicate>
void Forget(Predicate&& onDisk) {
    plan.unflushed.erase(std::remove_if(plan.unflushed.begin(), plan.unflushed.end(), onDisk), plan.unflushed.end());
}

}  // namespace

namespace disk {

Change NextChange() {
    const int64_t number = plan.changes++;
    if (plan.crashAt >= 0 && number >= plan.crashAt) return Change::Dead;
    return number == plan.failAt ? Change::Fail : Change::Go;
}

int64_t KeptOfFailedWrite(int64_t count) { return std::clamp<int64_t>(plan.keep, 0, std::max<int64_t>(count - 1, 0)); }

bool IsHeld(const std::string& path) { return plan.held.count(path) > 0; }

int64_t ReadableBefore(const std::string& path, int64_t position, int64_t count) {
    const auto bad = plan.badSectors.find(path);
    if (bad == plan.badSectors.end() || bad->second < position || bad->second >= position + count) return count;
    return bad->second - position;
}

void WillWrite(int fd, const std::string& path, int64_t position, int64_t count) {
    if (!plan.recording) return;
    struct stat st;
    if (::fstat(fd, &st) != 0) return;
    const int64_t covered = std::clamp<int64_t>(st.st_size - position, 0, count);
    std::string old(static_cast<size_t>(covered), '\0');
    if (covered > 0 && ::pread(fd, old.data(), old.size(), position) != covered) old.clear();
    plan.unflushed.push_back({Undo::Write, path, position, count, st.st_size, std::move(old)});
}

void WillCreate(const std::string& path) {
    if (!plan.recording) return;
    Undo u{Undo::Create, path, 0, 0, -1, {}};
    u.old = ReadWhole(path, u.oldLength);
    plan.unflushed.push_back(std::move(u));
}

void WillRemove(const std::string& path) {
    if (!plan.recording) return;
    Undo u{Undo::Remove, path, 0, 0, -1, {}};
    u.old = ReadWhole(path, u.oldLength);
    if (u.oldLength >= 0) plan.unflushed.push_back(std::move(u));
}

void Flushed(const std::string& path) {
    Forget([&](const Undo& u) { return u.kind != Undo::Remove && u.path == path; });
}

// The move is on the disk; what was written to the file it replaced is moot.
void Moved(const std::string& from, const std::string& to) {
    Forget([&](const Undo& u) { return u.kind != Undo::Remove && u.path == to; });
    for (Undo& u : plan.unflushed) {
        if (u.path == from) u.path = to;
    }
}

void Synced(const std::string& folder) {
    Forget([&](const Undo& u) { return u.kind == Undo::Remove && FolderOf(u.path) == folder; });
}

// Runs of writes to one file count as one event.
void Record(const std::string& event) {
    const bool sameRun = event.rfind("write ", 0) == 0 && !plan.events.empty() && plan.events.back() == event;
    if (plan.recording && !sameRun) plan.events.push_back(event);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace disk

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
void FailReadAt(const std::string& path, int64_t position) { plan.badSectors[path] = position; }
int64_t Changes() { return plan.changes; }
int64_t Unflushed() { return static_cast<int64_t>(plan.unflushed.size()); }

void PowerLoss(int64_t kept, bool tear) {
    for (int64_t i = Unflushed() - 1; i >= std::max<int64_t>(kept, 0); --i) {
        TakeBack(plan.unflushed[static_cast<size_t>(i)], tear && i == kept);
    }
    Reset();
}

std::vector<std::string> TakeEvents() {
    std::vector<std::string> events;
    events.swap(plan.events);
    return events;
}

}  // namespace faults
}  // namespace tolvane::platform
