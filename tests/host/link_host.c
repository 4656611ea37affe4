/* A C host linked against tolvane.dll at build time, as hosts built with
 * MinGW or MSVC are: through the import library, or one made from the .def.
 * It needs no C runtime (an MSVC-style link here has none), so it is its own
 * entry point, and its exit code says whether the calls reached the library:
 * 0 when the version is this header's and a fresh library has no entries. */
#include "tolvane.h"

int main(void) {
    const char *version = IMGGetVersion();
    const char *expected = TOLVANE_VERSION;
    while (*version != '\0' && *version == *expected) ++version, ++expected;
    return *version == *expected && IMGFileCount() == 0 ? 0 : 1;
}
