#include "text/text_files.h"

namespace carrow {

void LoadTextFile(TextView& view, const wchar_t* fileName, std::string* bytesRead) {
    // Held until the box shows it; the box is kept from drawing only while
    // its text changes.
    const UniqueHandle file = OpenForReading(fileName);
    std::string bytes = ReadWhole(file.Get(), fileName);
    if (bytesRead) *bytesRead = bytes;
    view.Show(std::move(bytes));
}

std::string SaveTextFile(const TextView& view, const wchar_t* fileName) {
    std::string bytes = ViewTextToAnsi(view.Text());
    ReplaceContents(FullPathOf(fileName), bytes);
    return bytes;
}

}  // namespace carrow
