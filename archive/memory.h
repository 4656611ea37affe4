// Byte counts become memory here and nowhere else: a count is checked against
// the memory budget before a block of that size is taken or filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

// count as a size for memory the library takes or fills; fails with
// "Out of memory" when it is negative or beyond the budget, before anything
// is allocated, read or written.
size_t CheckedSize(int64_t count);

// A zero-filled block of count bytes, checked as above.  An allocation that
// fails below the budget is "Out of memory" as well.
std::vector<unsigned char> ZeroedBlock(int64_t count);

// The most memory a use keeps from call to call: blocks of everyday size
// stay, larger ones go when the call ends.
inline constexpr size_t kEverydayBlock = size_t{1} << 20;

// A block that one use keeps from call to call.  Fresh memory for every call
// costs more than the transfer it holds where each new page is committed and
// cleared (a 100 KB replace under Wine took three times as long), so a
// block of everyday size stays for the next call; a larger one is released
// when the lease ends.  Calls never overlap, and each use has its own block.
class KeptBlock {
public:
    explicit KeptBlock(std::vector<unsigned char>& kept) : kept_(kept) {}
    ~KeptBlock();
    KeptBlock(const KeptBlock&) = delete;
    KeptBlock& operator=(const KeptBlock&) = delete;

    // The block as count zero bytes, checked as ZeroedBlock.
    std::vector<unsigned char>& Zeroed(int64_t count);
    // The block, emptied, to be filled by the caller.
    std::vector<unsigned char>& Emptied();

private:
    std::vector<unsigned char>& kept_;
};

}  // namespace tolvane
