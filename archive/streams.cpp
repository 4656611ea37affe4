#include "streams.h"

#include <algorithm>

#include "failure.h"
#include "layout.h"

namespace tolvane {

using platform::File;
using platform::OpenMode;

void OpenOrFail(File& file, const std::string& path, OpenMode mode) {
    if (!file.Open(path, mode)) Fail(MessageWith(mode == OpenMode::Create ? kCannotCreateFile : kCannotOpenFile, path));
}

void WriteAt(File& file, int64_t position, const void* data, int64_t count) {
    if (!file.Seek(position) || file.Write(data, count) != count) Fail(kStreamWriteError);
}

void FlushOrFail(File& file) {
    if (!file.Flush()) Fail(kStreamWriteError);
}

void ZeroFill(File& file, int64_t position, int64_t end) {
    static const unsigned char zeros[kSectorSize] = {};
    if (position < end && !file.Seek(position)) Fail(kStreamWriteError);
    for (int64_t at = position; at < end; at += kSectorSize) {
        const int64_t count = std::min(kSectorSize, end - at);
        if (file.Write(zeros, count) != count) Fail(kStreamWriteError);
    }
}

}  // namespace tolvane
