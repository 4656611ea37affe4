// What import and add will do with the files they are given, worked out in
// full before anything changes: every file must be there and be a file, its
// name must fit an entry (or be cut, when asked), and no two files may land on
// one entry.  So a refused command leaves the archive as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tolvane.h"

namespace imgtool {

enum class FileMode {
    Import,  // a file replaces the entry of its name, or is added
    Add,     // every file is a new entry; a name the archive holds is refused
};

struct FileTarget {
    std::string path;
    std::string name;                 // the entry's name, as the library stores it
    std::optional<int32_t> replaces;  // import: the entry it goes into
};

struct FilePlan {
    std::vector<FileTarget> files;
    std::vector<std::string> problems;  // one line each; nothing may change when any
    int code = 0;                       // exit code when there are problems
};

FilePlan PlanFiles(const std::vector<TImgEntry>& entries, const std::vector<std::string>& files, FileMode mode,
                   bool cutNames);

}  // namespace imgtool
