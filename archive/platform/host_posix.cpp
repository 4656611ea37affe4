#include <utility>

#include "host.h"
#include "tolvane.h"

namespace tolvane::platform {
namespace {

std::vector<std::string>& Notes() {
    static std::vector<std::string> notes;
    return notes;
}

}  // namespace

void RaiseFailure(const char* message) { throw HostFailure{TOLVANE_EXCEPTION_CODE, message}; }

void SendNote(const std::string& text) { Notes().push_back(text); }

std::vector<std::string> TakeNotes() { return std::exchange(Notes(), {}); }

}  // namespace tolvane::platform
