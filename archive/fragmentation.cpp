// How much of the archive no entry uses, and the defragmentation request.
#include "failure.h"
#include "operations.h"
#include "platform/files.h"
#include "platform/host.h"
#include "state.h"

namespace tolvane {

int32_t HowMuchFragmented() {
    uint32_t used = 0;  // a 32-bit sum, as the figure has always been computed
    for (int32_t i = 0; i < State.EntryCount; ++i) used += State.EntryTable[i].size;
    const int64_t length = platform::LengthOf(ImgPath());
    if (length < 0) return 0;
    return FragmentationFigure(ArchiveSectors(length, State.EntryCount, State.SingleFileMode), used);
}

}  // namespace tolvane

extern "C" int32_t TOLVANE_CALL IMGHowMuchFragmented(void) {
    return tolvane::AtExportBoundary<int32_t>([] { return tolvane::HowMuchFragmented(); });
}

extern "C" void TOLVANE_CALL IMGDefrag(int32_t /*unused*/) {
    tolvane::AtExportBoundary<void>([] { tolvane::platform::ShowLibraryMessage("Not impl."); });
}
