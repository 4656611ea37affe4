// The tolvane exports as imgtool uses them: failures come back as ToolError
// instead of structured exceptions.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "paths.h"
#include "tolvane.h"

namespace imgtool {

struct ToolError : std::runtime_error {
    ToolError(const std::string& message, int exitCode) : std::runtime_error(message), code(exitCode) {}
    int code;
};

class Library {
public:
    Library();  // failures return normally with a message, for this host
    ~Library();  // puts back the attributes OpenToRead found
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    // Opens the archive at path; fails when neither NAME.dir nor NAME.img exists.
    // Also fails when the library could not read the directory whole, unless
    // partial is set: then the library's message is kept in PartialRead().
    void Open(const std::string& path, bool partial = false);
    // Open for a command that only reads: the library's open takes the
    // read-only, hidden and system attributes away, and the archive's files
    // get theirs back when this object ends (after the last export, which
    // asks for write access as well).
    void OpenToRead(const std::string& path, bool partial = false);
    bool SingleFile() const { return singleFile_; }
    std::string ImgPath() const { return imgPath_; }
    std::string DirPath() const { return dirPath_; }
    const std::string& PartialRead() const { return partialRead_; }
    int32_t Count() const;
    TImgEntry Entry(int32_t index) const;
    std::vector<TImgEntry> Entries() const;
    // The entry's data, size x 2048 bytes; zero where the .img ends early.
    std::vector<unsigned char> Data(int32_t index) const;
    void ExportFile(int32_t index, const std::string& target) const;
    void AddFile(const std::string& source) const;
    void ReplaceFile(int32_t index, const std::string& source) const;
    void RemoveFile(int32_t index) const;
    void ReDoDir() const;
    int32_t HowMuchFragmented() const;

private:
    std::string imgPath_;
    std::string dirPath_;
    std::string partialRead_;
    bool singleFile_ = false;
    std::vector<std::pair<std::string, uint32_t>> keptAttributes_;
};

// The archive's paths as the library derives them.
using tolvane::WithExtension;

// The name the library gives an entry added from path: its file-name part,
// cut to what an entry holds (23 bytes).
std::string StoredName(const std::string& path);
// The file-name part of path, whole: what follows the last '\', '/' or ':'.
std::string FileNamePart(const std::string& path);

}  // namespace imgtool
