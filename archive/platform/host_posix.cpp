#include <algorithm>
#include <cstdio>
#include <deque>
#include <iterator>

#include "host.h"
#include "tolvane.h"

namespace tolvane::platform {
namespace {

// Only the latest notes are kept: a long-lived host that never asks for them
// (a Python program, say) must not grow without end.
constexpr std::size_t kNotesKept = 4096;

std::deque<std::string>& Notes() {
    static std::deque<std::string> notes;
    return notes;
}

int64_t budget = kLargestBlock;

}  // namespace

int64_t MemoryBudget() { return budget; }

void SetMemoryBudget(int64_t bytes) { budget = std::clamp<int64_t>(bytes, 0, kLargestBlock); }

void RaiseFailure(const char* message) { throw HostFailure{TOLVANE_EXCEPTION_CODE, message}; }

void SendNote(const std::string& text) {
    if (Notes().size() == kNotesKept) Notes().pop_front();
    Notes().push_back(text);
}

std::vector<std::string> TakeNotes() {
    std::vector<std::string> taken(std::make_move_iterator(Notes().begin()), std::make_move_iterator(Notes().end()));
    Notes().clear();
    return taken;
}

void ShowLibraryMessage(const char* text) { std::fprintf(stderr, "tolvane: %s\n", text); }

}  // namespace tolvane::platform
