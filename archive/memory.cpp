#include "memory.h"

#include <limits>

#include "failure.h"
#include "platform/host.h"

namespace tolvane {
namespace {

bool FitsInMemory(int64_t count, int64_t budget) {
    // On a 32-bit build ptrdiff_t caps a block below any budget past 2 GiB.
    constexpr int64_t kAddressable = std::numeric_limits<std::ptrdiff_t>::max();
    return count >= 0 && count <= budget && count <= kAddressable;
}

}  // namespace

size_t CheckedSize(int64_t count) {
    if (!FitsInMemory(count, platform::MemoryBudget())) Fail(kOutOfMemory);
    return static_cast<size_t>(count);
}

std::vector<unsigned char> ZeroedBlock(int64_t count) { return std::vector<unsigned char>(CheckedSize(count)); }

KeptBlock::~KeptBlock() {
    if (kept_.capacity() > kEverydayBlock) std::vector<unsigned char>().swap(kept_);
}

std::vector<unsigned char>& KeptBlock::Zeroed(int64_t count) {
    kept_.assign(CheckedSize(count), 0);
    return kept_;
}

std::vector<unsigned char>& KeptBlock::Emptied() {
    kept_.clear();
    return kept_;
}

}  // namespace tolvane
