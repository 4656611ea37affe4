// Rebuilding an archive: a compacted copy in the same layout, written by
// imgtool itself from data read through the library, and checked entry by
// entry against the original through the library before it is used.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "library.h"

namespace imgtool {

struct RebuildReport {
    size_t entries = 0;
    uint64_t oldImgBytes = 0;
    uint64_t newImgBytes = 0;
    bool singleFile = false;
};

// Writes the copy as the archive out (out.img, and out.dir when paired).
RebuildReport RebuildInto(Library& lib, const std::string& archive, const std::string& out, std::ostream& err);

// Writes the copy beside the archive and, once checked, puts it in its place.
RebuildReport RebuildInPlace(Library& lib, const std::string& archive, std::ostream& err);

}  // namespace imgtool
