// Whole-file text between files and multi-line text boxes: LoadTextFile puts
// a file into a box, SaveTextFile puts a box's text into a file.  File text is
// 8-bit in the ANSI code page; the boxes hold UTF-16.  Failures are raised as
// carrow::Failure with the message the error report shows.
#pragma once

#include "base/file_io.h"
#include "text/code_page_text.h"
#include "text/text_view.h"

namespace carrow {

// Replaces the view's text with the named file's.  The file is opened so that
// others may read it but not write it, and read whole; a failed read leaves
// the view as it was.  The bytes read go to `bytesRead` when given.
void LoadTextFile(TextView& view, const wchar_t* fileName, std::string* bytesRead = nullptr);

// Replaces the named file with the view's text, atomically: a failed save
// leaves the old file byte for byte.  Returns the bytes written.
std::string SaveTextFile(const TextView& view, const wchar_t* fileName);

}  // namespace carrow
