#include "text/text_files.h"

namespace carrow {

void LoadTextFile(TextView& view, const wchar_t* fileName) {
    // Held until the box shows it; the box is kept from drawing only while
    // its text changes.
    const UniqueHandle file = OpenForReading(fileName);
    view.Show(ReadWhole(file.Get()));
}

void SaveTextFile(const TextView& view, const wchar_t* fileName) {
    const std::wstring target = FullPathOf(fileName);
    ReplaceContents(target, ViewTextToAnsi(view.Text()));
}

}  // namespace carrow
