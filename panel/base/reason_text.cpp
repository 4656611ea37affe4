#include "base/reason_text.h"

namespace carrow {

std::wstring TrimReason(const std::wstring& reason) {
    std::wstring trimmed = reason;
    while (!trimmed.empty() && (trimmed.back() <= L' ' || trimmed.back() == L'.')) trimmed.pop_back();
    return trimmed;
}

}  // namespace carrow
