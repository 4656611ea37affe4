#include "file_plan.h"

#include <map>

#include "file_info.h"
#include "imgtool.h"
#include "library.h"
#include "names.h"
#include "selection.h"

namespace imgtool {
namespace {

constexpr size_t kLongestName = sizeof(TImgEntry::name) - 1;

// Whether the file can go in at all; a line for the problem when not.
std::optional<std::string> FileProblem(const std::string& path) {
    switch (KindOf(path)) {
        case Kind::File: return std::nullopt;
        case Kind::Missing: return "no such file: " + path;
        default: return "not a file: " + path;
    }
}

std::optional<std::string> NameProblem(const std::string& path, bool cutNames) {
    const std::string whole = FileNamePart(path);
    if (whole.size() <= kLongestName || cutNames) return std::nullopt;
    return "name too long: " + path + " (" + std::to_string(whole.size()) + " bytes; an entry holds " +
           std::to_string(kLongestName) + ", --cut-names keeps the first " + std::to_string(kLongestName) + ")";
}

// Files that would land on one entry, by the entry's name compared as the
// archive compares names.
void FindCollisions(FilePlan& plan) {
    std::map<std::string, size_t> first;
    for (size_t i = 0; i < plan.files.size(); ++i) {
        const auto [at, isNew] = first.emplace(FoldName(plan.files[i].name), i);
        if (isNew) continue;
        const FileTarget& earlier = plan.files[at->second];
        plan.problems.push_back(earlier.path + " and " + plan.files[i].path + " would go into one entry (" +
                                earlier.name + ")");
    }
}

}  // namespace

FilePlan PlanFiles(const std::vector<TImgEntry>& entries, const std::vector<std::string>& files, FileMode mode,
                   bool cutNames) {
    FilePlan plan;
    for (const std::string& path : files) {
        if (auto problem = FileProblem(path)) {
            plan.problems.push_back(*problem);
            plan.code = kNotFound;
        } else if (auto tooLong = NameProblem(path, cutNames)) {
            plan.problems.push_back(*tooLong);
        }
        FileTarget target{path, StoredName(path), FindName(entries, StoredName(path))};
        if (mode == FileMode::Add && target.replaces) {
            plan.problems.push_back(path + ": the archive holds " + NameOf(entries[size_t(*target.replaces)]) +
                                    " already (entry " + std::to_string(*target.replaces) +
                                    "); import puts a file into it");
            target.replaces.reset();
        }
        plan.files.push_back(target);
    }
    FindCollisions(plan);
    size_t added = 0;
    for (const FileTarget& file : plan.files) added += file.replaces ? 0 : 1;
    if (entries.size() + added > TOLVANE_MAX_ENTRIES) {
        plan.problems.push_back("the archive has room for " + std::to_string(TOLVANE_MAX_ENTRIES - entries.size()) +
                                " more entries, not " + std::to_string(added));
    }
    if (!plan.problems.empty() && plan.code == 0) plan.code = kFailed;
    return plan;
}

}  // namespace imgtool
