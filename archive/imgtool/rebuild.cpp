#include "rebuild.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "file_info.h"
#include "imgtool.h"
#include "progress.h"
#include "rebuild_plan.h"
#include "selection.h"

namespace imgtool {
namespace {

// The check compares the copy with the original a batch at a time.
constexpr size_t kCheckBatchBytes = 64u << 20;

void WriteAll(std::ofstream& file, const void* data, size_t count, const std::string& path) {
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(count));
    if (!file) throw ToolError("cannot write " + path, kFailed);
}

std::ofstream CreateFile(const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw ToolError("cannot create " + path, kFailed);
    return file;
}

void WriteCopy(Library& lib, const RebuildPlan& plan, bool singleFile, const std::string& out, std::ostream& err) {
    const std::string imgPath = WithExtension(out, ".img");
    std::ofstream img = CreateFile(imgPath);
    if (singleFile) {
        const auto head = SingleFileHead(plan);
        WriteAll(img, head.data(), head.size(), imgPath);
    }
    Progress progress(err, "copying", static_cast<int64_t>(plan.entries.size()));
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        const auto data = lib.Data(static_cast<int32_t>(i));
        WriteAll(img, data.data(), data.size(), imgPath);
        progress.Step(static_cast<int64_t>(i + 1));
    }
    img.close();
    if (!img) throw ToolError("cannot write " + imgPath, kFailed);
    if (singleFile) return;
    const std::string dirPath = WithExtension(out, ".dir");
    std::ofstream dir = CreateFile(dirPath);
    WriteAll(dir, plan.entries.data(), plan.entries.size() * sizeof(TImgEntry), dirPath);
    dir.close();
    if (!dir) throw ToolError("cannot write " + dirPath, kFailed);
}

// Reads entries [first, last) of both archives through the library and
// compares records and data.
void CheckBatch(Library& lib, const std::string& archive, const std::string& copy, const RebuildPlan& plan,
                size_t first, size_t last) {
    lib.Open(archive);
    std::vector<std::vector<unsigned char>> original;
    for (size_t i = first; i < last; ++i) original.push_back(lib.Data(static_cast<int32_t>(i)));
    lib.Open(copy);
    if (lib.Count() != static_cast<int32_t>(plan.entries.size())) {
        throw ToolError("check failed: the copy has " + std::to_string(lib.Count()) + " entries", kFailed);
    }
    for (size_t i = first; i < last; ++i) {
        const TImgEntry got = lib.Entry(static_cast<int32_t>(i));
        if (std::memcmp(&got, &plan.entries[i], sizeof got) != 0 ||
            lib.Data(static_cast<int32_t>(i)) != original[i - first]) {
            throw ToolError("check failed at entry " + std::to_string(i) + " (" + NameOf(got) + ")", kFailed);
        }
    }
}

void CheckCopy(Library& lib, const std::string& archive, const std::string& copy, const RebuildPlan& plan,
               std::ostream& err) {
    Progress progress(err, "checking", static_cast<int64_t>(plan.entries.size()));
    for (size_t first = 0;;) {
        size_t last = first;
        uint64_t bytes = 0;  // sizes of gigabytes must not wrap on 32-bit
        while (last < plan.entries.size() && (last == first || bytes < kCheckBatchBytes)) {
            bytes += uint64_t{plan.entries[last++].size} * TOLVANE_SECTOR_SIZE;
        }
        CheckBatch(lib, archive, copy, plan, first, last);  // also compares the counts
        progress.Step(static_cast<int64_t>(last));
        if (last >= plan.entries.size()) break;
        first = last;
    }
}

RebuildReport Rebuild(Library& lib, const std::string& archive, const std::string& out, std::ostream& err) {
    lib.Open(archive);
    const bool singleFile = lib.SingleFile();
    const std::string oldImg = lib.ImgPath();
    if (WithExtension(out, ".img") == oldImg) throw ToolError("the copy must not be the archive itself", kUsage);
    if (singleFile && Exists(WithExtension(out, ".dir"))) {
        throw ToolError(WithExtension(out, ".dir") + " exists: it would make the copy a paired archive", kFailed);
    }
    const RebuildPlan plan = PlanRebuild(lib.Entries(), singleFile);
    WriteCopy(lib, plan, singleFile, out, err);
    CheckCopy(lib, archive, out, plan, err);
    return {plan.entries.size(), FileSize(oldImg), FileSize(WithExtension(out, ".img")), singleFile};
}

// Moves from to to, where to does not exist.
void Move(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) throw ToolError("cannot rename " + from + " to " + to, kFailed);
}

// Puts the checked copy in the archive's place, keeping the originals aside
// until both files have moved, and putting them back when a move fails.
void PutInPlace(const std::string& archive, const std::string& copy, bool singleFile) {
    std::vector<std::string> extensions = {".img"};
    if (!singleFile) extensions.push_back(".dir");
    std::vector<std::pair<std::string, std::string>> done;  // (from, to) moves made
    try {
        for (const auto& ext : extensions) {
            const std::string target = WithExtension(archive, ext);
            std::remove((target + ".old").c_str());
            Move(target, target + ".old");
            done.emplace_back(target, target + ".old");
        }
        for (const auto& ext : extensions) {
            Move(WithExtension(copy, ext), WithExtension(archive, ext));
            done.emplace_back(WithExtension(copy, ext), WithExtension(archive, ext));
        }
    } catch (const ToolError&) {
        for (auto it = done.rbegin(); it != done.rend(); ++it) std::rename(it->second.c_str(), it->first.c_str());
        throw;
    }
    for (const auto& ext : extensions) std::remove((WithExtension(archive, ext) + ".old").c_str());
}

void RemoveCopy(const std::string& copy) {
    std::remove(WithExtension(copy, ".img").c_str());
    std::remove(WithExtension(copy, ".dir").c_str());
}

}  // namespace

RebuildReport RebuildInto(Library& lib, const std::string& archive, const std::string& out, std::ostream& err) {
    return Rebuild(lib, archive, out, err);
}

RebuildReport RebuildInPlace(Library& lib, const std::string& archive, std::ostream& err) {
    const std::string copy = WithExtension(archive, "") + "-rebuilding";
    RemoveCopy(copy);
    try {
        const RebuildReport report = Rebuild(lib, archive, copy, err);
        PutInPlace(archive, copy, report.singleFile);
        return report;
    } catch (...) {
        RemoveCopy(copy);
        throw;
    }
}

}  // namespace imgtool
