#include "paths.h"

#include "layout.h"
#include "platform/code_page.h"

namespace tolvane {

std::string WithExtension(const std::string& archivePath, const std::string& extension) {
    return ReplaceExtension(archivePath, extension, platform::IsLeadByte);
}

std::string ImgPathOf(const std::string& archivePath) { return WithExtension(archivePath, ".img"); }
std::string DirPathOf(const std::string& archivePath) { return WithExtension(archivePath, ".dir"); }

}  // namespace tolvane
