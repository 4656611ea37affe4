// The directory in memory: count, read and overwrite records, names.
#include <cstring>

#include "failure.h"
#include "state.h"

using tolvane::AtExportBoundary;
using tolvane::InTable;
using tolvane::RequirePointer;
using tolvane::State;

extern "C" int32_t TOLVANE_CALL IMGFileCount(void) {
    return AtExportBoundary<int32_t>([] { return State.EntryCount; });
}

extern "C" void TOLVANE_CALL IMGGetThisFile(TImgEntry* destination, int32_t index) {
    AtExportBoundary<void>([&] {
        RequirePointer(destination);
        if (InTable(index)) {
            std::memcpy(destination, &State.EntryTable[index], sizeof(TImgEntry));
        } else {
            std::memset(destination, 0, sizeof(TImgEntry));
        }
    });
}

extern "C" void TOLVANE_CALL IMGSetThisFile(int32_t index, const TImgEntry* source) {
    AtExportBoundary<void>([&] {
        RequirePointer(source);
        if (!InTable(index)) return;
        tolvane::KeepStoredDirectory();
        std::memcpy(&State.EntryTable[index], source, sizeof(TImgEntry));
    });
}

extern "C" const char* TOLVANE_CALL IMGGetFileName(int32_t index) {
    return AtExportBoundary<const char*>(
        [&] { return InTable(index) ? State.EntryTable[index].name : ""; });
}
