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

}  // namespace tolvane
