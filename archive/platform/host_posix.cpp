#include <algorithm>
#include <cstdio>
#include <utility>

#include "host.h"
#include "tolvane.h"

namespace tolvane::platform {
namespace {

std::vector<std::string>& Notes() {
    static std::vector<std::string> notes;
    return notes;
}

int64_t budget = kLargestBlock;

}  // namespace

int64_t MemoryBudget() { return budget; }

void SetMemoryBudget(int64_t bytes) { budget = std::clamp<int64_t>(bytes, 0, kLargestBlock); }

void RaiseFailure(const char* message) { throw HostFailure{TOLVANE_EXCEPTION_CODE, message}; }

void SendNote(const std::string& text) { Notes().push_back(text); }

std::vector<std::string> TakeNotes() { return std::exchange(Notes(), {}); }

void ShowLibraryMessage(const char* text) { std::fprintf(stderr, "tolvane: %s\n", text); }

}  // namespace tolvane::platform
