// Reading and setting the thread's floating-point control state.
#pragma once

#include <cstdint>

namespace host {

// The control parts only: the x87 control word, and MXCSR without its sticky
// exception flags (which any inexact operation anywhere in the process sets).
struct FpState {
    uint16_t x87;
    uint32_t mxcsr;
    bool operator==(const FpState&) const = default;
};

constexpr uint32_t kMxcsrFlags = 0x3F;

inline FpState ReadFpState() {
    FpState s;
    asm volatile("fnstcw %0" : "=m"(s.x87));
    asm volatile("stmxcsr %0" : "=m"(s.mxcsr));
    s.mxcsr &= ~kMxcsrFlags;
    return s;
}

inline void WriteFpState(FpState s) {
    asm volatile("fldcw %0" : : "m"(s.x87));
    asm volatile("ldmxcsr %0" : : "m"(s.mxcsr));
}

// Round toward zero and 24-bit precision for x87; round toward zero and
// flush-to-zero for SSE: nothing a runtime would choose by itself.
constexpr FpState kMarker = {0x0C7F, 0x1F80 | 0x6000 | 0x8000};

}  // namespace host
