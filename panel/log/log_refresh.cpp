#include "log/log_refresh.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "base/failure.h"
#include "base/file_failure_text.h"
#include "base/file_io.h"
#include "base/guarded.h"
#include "base/handles.h"
#include "base/system_error.h"

namespace carrow {
namespace {

// Bytes copied or read in one piece: a few milliseconds' work.
constexpr std::size_t kPieceBytes = 512 * 1024;
// What a long new log shows at once, before all of it is in: its last lines.
constexpr std::size_t kTailBytes = 16 * 1024;
// A tick that copies or loads no more than this does all of it at once.
constexpr std::uint64_t kSmallChange = 256 * 1024;
// How long a tick, or a later step, goes on with pieces before it lets the
// window handle its messages.
constexpr std::uint64_t kStretchMicroseconds = 25'000;

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
    if (timer_) KillTimer(view_.Handle(), reinterpret_cast<UINT_PTR>(this));
}

void LogRefresh::Attach(const skin::LineView& view, TickGate& gate, std::function<void()> report) {
    view_ = view;
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
    RunPieces(kStretchMicroseconds);
    Schedule();
}

int LogRefresh::LineCount() const {
    const LineStore& lines = view_.Lines();
    const bool emptyLast = lines.Size() == 0 || lines.EndsWithBreak();
    return static_cast<int>(lines.LineCount()) - (emptyLast ? 1 : 0);
}

void LogRefresh::RunPieces(std::uint64_t microseconds) {
    const auto start = std::chrono::steady_clock::now();
    try {
        // A small change is done at once.  Last lines just shown ahead of
        // the rest are drawn before the work goes on.
        for (Piece(); phase_ != Phase::Idle && jobBytes_ > kSmallChange; Piece()) {
            if (MicrosecondsSince(start) >= microseconds || std::exchange(tailFresh_, false)) return;
        }
        while (phase_ != Phase::Idle) Piece();
    } catch (...) {
        // A failed load leaves the view and the marks as they were: the next
        // tick tries again.
        phase_ = Phase::Idle;
        loaded_ = LineStore();
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
    // The copy takes the whole log: the view will show it alone.
    if (copyAt_ == 0 && jobBytes_ > kSmallChange) ShowTail(source.Get(), sourceLook_.size);
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

// A long new log shows its last lines at once, from their first whole line
// on, and the view stands on its last line; the rest follows in pieces.  A
// tail that cannot be read is not shown: the whole log comes anyway.
void LogRefresh::ShowTail(HANDLE file, std::uint64_t size) {
    if (tailOnly_) return;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, kTailBytes));
    std::string bytes;
    if (!ReadAt(file, size - count, count, bytes)) return;
    const std::size_t lineStart = count < size ? bytes.find('\n') : std::string::npos;
    if (lineStart == std::string::npos && count < size) return;
    LineStore tail;
    tail.Append(LineBreakJoin().Next(std::string_view(bytes).substr(count < size ? lineStart + 1 : 0)));
    view_.SetText(std::move(tail), 0, CP_ACP);
    view_.ScrollLines(LineCount() - 1);
    tailOnly_ = tailFresh_ = true;
    tailLines_ = view_.Lines().LineCount();
    shown_ = FileMark();
}

// The copy is judged against what the view shows.
void LogRefresh::StartLoad() {
    phase_ = Phase::Idle;
    const UniqueHandle copy = OpenForReading(kServerLogCopyWide);
    FileChange change = FileChange::Replaced;
    if (!LookAt(copy.Get(), loadLook_) || !Judge(copy.Get(), shown_, loadLook_, change)) FailLoad(GetLastError());
    if (change == FileChange::Grown && shownEndsInside_) change = FileChange::Replaced;
    if (change == FileChange::Same) {
        view_.ScrollLines(LineCount() - 1);
        return;
    }
    loadChange_ = change;
    const bool grown = change == FileChange::Grown;
    loadAt_ = grown ? shown_.size : 0;
    jobBytes_ = std::max(jobBytes_, loadLook_.size - loadAt_);
    loadJoin_ = grown ? join_ : LineBreakJoin();
    loadEndsInside_ = grown && shownEndsInside_;
    loaded_ = LineStore();
    phase_ = Phase::Load;
    if (change == FileChange::Replaced && jobBytes_ > kSmallChange) ShowTail(copy.Get(), loadLook_.size);
}

void LogRefresh::LoadPiece() {
    const UniqueHandle copy = OpenForReading(kServerLogCopyWide);
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(loadLook_.size - loadAt_, kPieceBytes));
    std::string bytes;
    if (!ReadAt(copy.Get(), loadAt_, count, bytes)) FailLoad(GetLastError());
    loaded_.Append(loadJoin_.Next(bytes));
    if (TwoByteCodePage()) loadEndsInside_ = EndsInsideCharacter(bytes, loadEndsInside_, IsLeadByte);
    loadAt_ += count;
    if (loadAt_ == loadLook_.size) phase_ = Phase::Show;
}

// The loaded text goes in and the view is scrolled down by N - 1 lines from
// the top: its last line first.  Where the log's last lines were shown ahead
// of it, the view stays on the lines it shows.
void LogRefresh::Show() {
    std::string last;
    {
        const UniqueHandle copy = OpenForReading(kServerLogCopyWide);
        if (!LastBytes(copy.Get(), loadLook_.size, last)) FailLoad(GetLastError());
    }
    phase_ = Phase::Idle;
    join_ = loadJoin_;
    shownEndsInside_ = loadEndsInside_;
    shown_ = MarkOf(loadLook_.size, loadLook_.writeTime, last);
    if (tailOnly_ && loadChange_ == FileChange::Replaced) {
        const std::size_t above = loaded_.LineCount() - std::min(tailLines_, loaded_.LineCount());
        const auto top = static_cast<std::size_t>(view_.FirstVisibleLine()) + above;
        tailOnly_ = false;
        view_.SetText(std::exchange(loaded_, LineStore()), top, CP_ACP);
        return;
    }
    tailOnly_ = false;
    if (loadChange_ == FileChange::Replaced) {
        view_.SetText(std::exchange(loaded_, LineStore()), 0, CP_ACP);
    } else {
        view_.Append(std::exchange(loaded_, LineStore()), 0);
    }
    view_.ScrollLines(LineCount() - 1);
}

void LogRefresh::Schedule() {
    const HWND box = view_.Handle();
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
