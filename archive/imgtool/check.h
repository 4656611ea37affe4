// What `imgtool check` finds wrong with an archive: the directory against the
// files it describes, with nothing written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tolvane.h"

namespace imgtool {

// What the files say beside the directory the library read.
struct StoredLayout {
    bool singleFile = false;
    uint64_t imgBytes = 0;
    uint64_t dirBytes = 0;       // paired layout
    bool hasMagic = true;        // single-file: the .img begins with "VER2" (or is shorter than 8 bytes)
    int64_t storedCount = 0;     // single-file: the count in the header
};

// One line per problem, empty for a sound archive.  Entries that share one
// slot exactly are not a problem (archives are deduplicated that way); slots
// that overlap otherwise are, and so are two entries of one name.
std::vector<std::string> FindProblems(const StoredLayout& layout, const std::vector<TImgEntry>& entries);

}  // namespace imgtool
