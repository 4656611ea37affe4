#include "log/log_refresh.h"

#include <algorithm>
#include <chrono>

#include "base/failure.h"
#include "base/file_failure_text.h"
#include "base/file_io.h"
#include "base/guarded.h"
#include "base/handles.h"
#include "base/system_error.h"

namespace carrow {
namespace {

// Bytes copied or read in one piece: a few milliseconds' work.
constexpr std::size_t kPieceBytes = 1u << 20;
// A tick that copies or loads no more than this does all of it at once.
constexpr std::uint64_t kSmallChange = 256 * 1024;
// How long a tick, or a later step, goes on with pieces before it lets the
// window handle its messages.
constexpr std::uint64_t kStretchMicroseconds = 40'000;

bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

// Whether the ANSI code page has two-byte characters at all.
bool TwoByteCodePage() {
    static const bool twoByte = [] {
        CPINFO info{};
        return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
    }();
    return twoByte;
}

// The log is opened as the server leaves it open: for writing, by another.
UniqueHandle OpenLog() {
    return UniqueHandle(CreateFileW(kServerLogWide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

UniqueHandle OpenCopyForWriting(DWORD disposition) {
    return UniqueHandle(CreateFileW(kServerLogCopyWide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

[[noreturn]] void FailLoad(DWORD error) {
    Fail(CannotOpenFileText(FullPathOf(kServerLogCopyWide), SystemErrorText(error)));
}

// The last bytes of a file `size` bytes long, as a mark keeps them; false
// when they could not be read.
bool LastBytes(HANDLE file, std::uint64_t size, std::string& out) {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, kMarkBytes));
    out.clear();
    return ReadAt(file, size - count, count, out);
}

// How the file stands against the mark; the bytes at the mark are read only
// when length and write time cannot tell.  False when they could not be read.
bool Judge(HANDLE file, const FileMark& mark, const FileLook& look, FileChange& change) {
    std::string atMark;
    if (NeedsMarkRead(mark, look.size, look.writeTime) &&
        !ReadAt(file, MarkStart(mark), mark.tail.size(), atMark)) {
        return false;
    }
    change = JudgeFile(mark, look.size, look.writeTime, atMark);
    return true;
}

std::uint64_t MicrosecondsSince(std::chrono::steady_clock::time_point start) {
    const auto spent = std::chrono::steady_clock::now() - start;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(spent).count());
}

}  // namespace

LogRefresh::~LogRefresh() {
    if (timer_) KillTimer(box_.Handle(), reinterpret_cast<UINT_PTR>(this));
}

void LogRefresh::Attach(HWND box, TickGate& gate, std::function<void()> report) {
    box_.Attach(box);
    gate_ = &gate;
    report_ = std::move(report);
}

void LogRefresh::Tick() {
    // A copy or load that is still going on finishes first; its end scrolls.
    if (phase_ == Phase::Idle) {
        jobBytes_ = 0;
        StartCopy();
        RunPieces(kStretchMicroseconds);
    }
    Schedule();
}

void LogRefresh::Step() {
    if (phase_ != Phase::Idle) {
        RunPieces(kStretchMicroseconds);
    } else {
        box_.FeedSlice();
    }
    Schedule();
}

void LogRefresh::RunPieces(std::uint64_t microseconds) {
    const auto start = std::chrono::steady_clock::now();
    try {
        // A small change is done at once.  Showing lays out lines, the
        // slowest piece: it waits for a step of its own when the stretch is
        // half spent.
        for (Piece(); phase_ != Phase::Idle && jobBytes_ > kSmallChange; Piece()) {
            const std::uint64_t spent = MicrosecondsSince(start);
            if (spent >= microseconds || (phase_ == Phase::Show && spent >= microseconds / 2)) return;
        }
        while (phase_ != Phase::Idle) Piece();
    } catch (...) {
        // A failed load leaves the box and the marks as they were: the next
        // tick tries again.
        phase_ = Phase::Idle;
        loaded_ = std::string();
        throw;
    }
}

void LogRefresh::Piece() {
    switch (phase_) {
    case Phase::Copy: CopyPiece(); return;
    case Phase::Load: LoadPiece(); return;
    case Phase::Show: Show(); return;
    case Phase::Idle: return;
    }
}

// The copy is brought up to date with the log: nothing when the log did not
// change, its new end when it grew, all of it otherwise.  Failures are not
// reported: the load then shows what the copy holds.
void LogRefresh::StartCopy() {
    if (PlanCopy()) {
        phase_ = Phase::Copy;
    } else {
        StartLoad();
    }
}

// True when there is something to copy.  Files are closed before the load
// opens the copy, which may not be open for writing then.
bool LogRefresh::PlanCopy() {
    const UniqueHandle source = OpenLog();
    if (!source || !LookAt(source.Get(), sourceLook_)) return false;
    const UniqueHandle copy = OpenCopyForWriting(OPEN_ALWAYS);
    FileLook copyNow;
    if (!copy || !LookAt(copy.Get(), copyNow)) return false;
    // A copy changed by someone else, or found at start, is judged by its bytes.
    FileMark mark = copied_;
    if (!mark.known || copyNow.size != copyLook_.size || copyNow.writeTime != copyLook_.writeTime) {
        std::string last;
        if (!LastBytes(copy.Get(), copyNow.size, last)) return false;
        mark = MarkOf(copyNow.size, 0, last);
    }
    FileChange change = FileChange::Replaced;
    if (!Judge(source.Get(), mark, sourceLook_, change)) return false;
    if (change == FileChange::Same) {
        copied_ = MarkOf(mark.size, sourceLook_.writeTime, mark.tail);
        copyLook_ = copyNow;
        return false;
    }
    copyFromStart_ = change == FileChange::Replaced;
    copyAt_ = copyFromStart_ ? 0 : mark.size;
    jobBytes_ = sourceLook_.size - copyAt_;
    return true;
}

void LogRefresh::CopyPiece() {
    if (!CopyOnePiece()) {
        copied_ = FileMark();
        StartLoad();
    } else if (copyAt_ == sourceLook_.size) {
        StartLoad();
    }
}

// False when the copy failed: what was copied of a log read from its start is
// then all the copy holds.
bool LogRefresh::CopyOnePiece() {
    const UniqueHandle source = OpenLog();
    const UniqueHandle copy = OpenCopyForWriting(OPEN_EXISTING);
    if (!source || !copy) return false;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(sourceLook_.size - copyAt_, kPieceBytes));
    std::string bytes;
    bytes.reserve(count);
    if (!ReadAt(source.Get(), copyAt_, count, bytes) || !WriteAt(copy.Get(), copyAt_, bytes)) {
        if (copyFromStart_) CutAt(copy.Get(), copyAt_);
        return false;
    }
    copyAt_ += count;
    if (copyAt_ < sourceLook_.size) return true;
    std::string last;
    if (!CutAt(copy.Get(), copyAt_) || !LastBytes(source.Get(), copyAt_, last) || !LookAt(copy.Get(), copyLook_)) {
        return false;
    }
    copied_ = MarkOf(copyAt_, sourceLook_.writeTime, last);
    return true;
}

// The copy is judged against what the box shows; a box the operator edited
// takes the whole copy again.
void LogRefresh::StartLoad() {
    phase_ = Phase::Idle;
    const UniqueHandle copy = OpenForReading(kServerLogCopyWide);
    FileChange change = FileChange::Replaced;
    if (!LookAt(copy.Get(), loadLook_) || !Judge(copy.Get(), shown_, loadLook_, change)) FailLoad(GetLastError());
    if (box_.Edited() || (change == FileChange::Grown && shownEndsInside_)) change = FileChange::Replaced;
    if (change == FileChange::Same) {
        box_.ScrollLines(box_.LineCount() - 1);
        return;
    }
    loadChange_ = change;
    const bool grown = change == FileChange::Grown;
    loadAt_ = grown ? shown_.size : 0;
    jobBytes_ = std::max(jobBytes_, loadLook_.size - loadAt_);
    loadJoin_ = grown ? join_ : LineBreakJoin();
    loadEndsInside_ = grown && shownEndsInside_;
    loaded_ = std::string();
    loaded_.reserve(static_cast<std::size_t>(loadLook_.size - loadAt_));
    phase_ = Phase::Load;
}

void LogRefresh::LoadPiece() {
    const UniqueHandle copy = OpenForReading(kServerLogCopyWide);
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(loadLook_.size - loadAt_, kPieceBytes));
    std::string bytes;
    if (!ReadAt(copy.Get(), loadAt_, count, bytes)) FailLoad(GetLastError());
    loaded_ += loadJoin_.Next(bytes);
    if (TwoByteCodePage()) loadEndsInside_ = EndsInsideCharacter(bytes, loadEndsInside_, IsLeadByte);
    loadAt_ += count;
    if (loadAt_ == loadLook_.size) phase_ = Phase::Show;
}

// The loaded text goes in, its last lines at once, and the view is scrolled
// down by N - 1 lines from where it stands: after new text, from the top.
void LogRefresh::Show() {
    std::string last;
    {
        const UniqueHandle copy = OpenForReading(kServerLogCopyWide);
        if (!LastBytes(copy.Get(), loadLook_.size, last)) FailLoad(GetLastError());
    }
    phase_ = Phase::Idle;
    if (loadChange_ == FileChange::Replaced) {
        box_.Replace(std::move(loaded_), loadJoin_.EndsWithBreak());
    } else if (!loaded_.empty()) {
        box_.Append(std::move(loaded_), loadJoin_.EndsWithBreak());
    }
    loaded_ = std::string();
    join_ = loadJoin_;
    shownEndsInside_ = loadEndsInside_;
    shown_ = MarkOf(loadLook_.size, loadLook_.writeTime, last);
    box_.ScrollLines(box_.LineCount() - 1);
}

void LogRefresh::Schedule() {
    const HWND box = box_.Handle();
    const auto id = reinterpret_cast<UINT_PTR>(this);
    if (Busy() && !timer_) {
        timer_ = SetTimer(box, id, USER_TIMER_MINIMUM, OnTimer) != 0;
        if (!timer_) Fail(L"Not enough timers available");
    } else if (!Busy() && timer_) {
        KillTimer(box, id);
        timer_ = false;
    }
}

void CALLBACK LogRefresh::OnTimer(HWND, UINT, UINT_PTR self, DWORD) {
    AtCallback(
        [self] {
            auto& refresh = *reinterpret_cast<LogRefresh*>(self);
            refresh.gate_->Run([&] { refresh.Step(); }, [&] {
                refresh.Schedule();
                if (!refresh.report_) throw;
                refresh.report_();
            });
        },
        [] {});
}

}  // namespace carrow
