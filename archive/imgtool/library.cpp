#include "library.h"

#include <iostream>

#include "file_info.h"
#include "imgtool.h"
#include "layout.h"
#include "platform/code_page.h"
#include "platform/host.h"

namespace imgtool {
namespace {

void ThrowOnFailure() {
    const char* message = IMGGetLastError();
    if (message && *message) throw ToolError(message, kFailed);
}

}  // namespace

Library::Library() { IMGSetRaiseOnError(0); }

Library::~Library() {
    for (const auto& [path, attributes] : keptAttributes_) {
        if (AttributesOf(path) != attributes && !SetAttributes(path, attributes)) {
            std::cerr << "imgtool: could not put back the attributes of " << path << '\n';
        }
    }
}

// The library names an entry after the part past the last '\', '/' or ':'.
std::string StoredName(const std::string& path) {
    return tolvane::StoredEntryName(path, tolvane::platform::IsLeadByte);
}

std::string FileNamePart(const std::string& path) {
    const auto last = tolvane::LastDelimiter(path, "\\/:", tolvane::platform::IsLeadByte);
    return last == std::string::npos ? path : path.substr(last + 1);
}

void Library::Open(const std::string& path, bool partial) {
    const std::string dir = tolvane::DirPathOf(path);
    dirPath_ = dir;
    imgPath_ = tolvane::ImgPathOf(path);
    singleFile_ = !IsFile(dir);
    if (singleFile_ && !IsFile(imgPath_)) throw ToolError("no such archive: " + path, kNotFound);
    if (!singleFile_ && !IsFile(imgPath_)) throw ToolError("no data file beside " + dir, kNotFound);
    IMGLoadImg(path.c_str());
    partialRead_ = IMGGetLastError();
    if (!partial) ThrowOnFailure();
}

void Library::OpenToRead(const std::string& path, bool partial) {
    for (const std::string& file : {tolvane::DirPathOf(path), tolvane::ImgPathOf(path)}) {
        if (const auto attributes = AttributesOf(file)) keptAttributes_.emplace_back(file, *attributes);
    }
    Open(path, partial);
}

int32_t Library::Count() const { return IMGFileCount(); }

TImgEntry Library::Entry(int32_t index) const {
    TImgEntry e;
    IMGGetThisFile(&e, index);
    return e;
}

std::vector<TImgEntry> Library::Entries() const {
    std::vector<TImgEntry> all(static_cast<size_t>(Count()));
    for (int32_t i = 0; i < Count(); ++i) all[static_cast<size_t>(i)] = Entry(i);
    return all;
}

std::vector<unsigned char> Library::Data(int32_t index) const {
    // Counted in 64 bits: on 32-bit Windows a record of 4 GiB would wrap to a
    // small buffer that the library then reads past.  A block the library
    // refuses is refused here before it is allocated.
    const uint64_t bytes = uint64_t{Entry(index).size} * TOLVANE_SECTOR_SIZE;
    if (bytes > uint64_t{tolvane::platform::kLargestBlock}) throw ToolError("Out of memory", kFailed);
    std::vector<unsigned char> data(static_cast<size_t>(bytes), 0);
    IMGExportBuffer(index, data.data());
    ThrowOnFailure();
    return data;
}

void Library::ExportFile(int32_t index, const std::string& target) const {
    IMGExportFile(index, target.c_str());
    ThrowOnFailure();
}

void Library::AddFile(const std::string& source) const {
    if (!IsFile(source)) throw ToolError("no such file: " + source, kNotFound);
    IMGAddFile(source.c_str());
    ThrowOnFailure();
}

void Library::ReplaceFile(int32_t index, const std::string& source) const {
    if (!IsFile(source)) throw ToolError("no such file: " + source, kNotFound);
    IMGReplaceFile(index, source.c_str(), 0);
    ThrowOnFailure();
}

void Library::RemoveFile(int32_t index) const { IMGRemoveFile(index); }

void Library::ReDoDir() const {
    IMGReDoDir();
    ThrowOnFailure();
}

int32_t Library::HowMuchFragmented() const { return IMGHowMuchFragmented(); }

}  // namespace imgtool
