// The work of the log view's ticks: bring server_log1.txt up to date with
// server_log.txt, load what changed into the view and scroll.  Only what was
// appended is copied and read when the log just grew, and nothing is read
// when its length, write time and last bytes say it did not change.  Work that
// does not fit in one short stretch goes on between the window's messages,
// from a timer, a piece at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/file_range.h"
#include "skin/line_store.h"
#include "skin/line_view.h"
#include "log/log_tail_rules.h"
#include "log/log_view_rules.h"

namespace carrow {

inline constexpr char kServerLog[] = "server_log.txt";
inline constexpr char kServerLogCopy[] = "server_log1.txt";
inline constexpr wchar_t kServerLogWide[] = L"server_log.txt";
inline constexpr wchar_t kServerLogCopyWide[] = L"server_log1.txt";

class LogRefresh {
public:
    LogRefresh() = default;
    LogRefresh(const LogRefresh&) = delete;
    LogRefresh& operator=(const LogRefresh&) = delete;
    ~LogRefresh();

    // Work left for later runs through `gate`; its failures are shown by
    // `report`, called inside the catch block.
    void Attach(const skin::LineView& view, TickGate& gate, std::function<void()> report);
    const skin::LineView& View() const { return view_; }
    // Lines of the view, not counting a last line that is empty.
    int LineCount() const;

    // A tick: copy, load and scroll as far as one short stretch allows.  A
    // failed load raises its failure.
    void Tick();
    // Whether work is left for later.
    bool Busy() const { return phase_ != Phase::Idle; }
    // Does the next piece of what is left.
    void Step();

private:
    enum class Phase { Idle, Copy, Load, Show };

    void RunPieces(std::uint64_t microseconds);
    void Piece();
    void StartCopy();
    bool PlanCopy();
    void CopyPiece();
    bool CopyOnePiece();
    void ShowTail(HANDLE file, std::uint64_t size);
    void StartLoad();
    void LoadPiece();
    void Show();
    void Schedule();
    static void CALLBACK OnTimer(HWND box, UINT message, UINT_PTR self, DWORD time);

    skin::LineView view_;
    TickGate* gate_ = nullptr;
    std::function<void()> report_;
    Phase phase_ = Phase::Idle;
    bool timer_ = false;
    std::uint64_t jobBytes_ = 0;  // the most this tick copies or loads

    FileMark copied_;     // the log as the copy holds it
    FileLook copyLook_;   // the copy as it was left
    FileLook sourceLook_;  // the log when the copy began
    std::uint64_t copyAt_ = 0;
    bool copyFromStart_ = false;

    FileMark shown_;      // the copy as the view holds it
    bool tailOnly_ = false;     // the view holds only the log's last lines so far
    bool tailFresh_ = false;    // and has not been drawn yet
    std::size_t tailLines_ = 0;
    bool shownEndsInside_ = false;  // inside a two-byte character
    LineBreakJoin join_;
    FileLook loadLook_;
    FileChange loadChange_ = FileChange::Same;
    std::uint64_t loadAt_ = 0;
    LineBreakJoin loadJoin_;
    bool loadEndsInside_ = false;
    LineStore loaded_;
};

}  // namespace carrow
