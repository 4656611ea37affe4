// Removing entries from the directory.
#include <cstring>

#include "change.h"
#include "failure.h"
#include "operations.h"
#include "state.h"

namespace tolvane {

void RemoveFile(int32_t index) {
    if (index < 0 || index >= State.EntryCount) return;
    KeepStoredDirectory();
    // The entries after it move down one slot each, in order.
    std::memmove(&State.EntryTable[index], &State.EntryTable[index + 1],
                 static_cast<size_t>(State.EntryCount - 1 - index) * sizeof(TImgEntry));
    --State.EntryCount;
}

}  // namespace tolvane

extern "C" void TOLVANE_CALL IMGRemoveFile(int32_t index) {
    tolvane::AtExportBoundary<void>([&] { tolvane::RemoveFile(index); });
}

extern "C" void TOLVANE_CALL IMGDelete(int32_t index) {
    tolvane::AtExportBoundary<void>([&] {
        tolvane::RequireWholeDirectory();  // before the removal, which would otherwise stay
        // The removal stays in memory when the rewrite fails, as ever.
        tolvane::RemoveFile(index);
        tolvane::Change change;
        change.Begin();
        tolvane::WriteDirectory(change);  // also when nothing was removed
        change.End();
    });
}
