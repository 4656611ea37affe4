// Whole files in one piece: read all of a file, or replace a file's contents
// atomically.  Failures are raised as carrow::Failure with the message the
// error report shows.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/handles.h"

namespace carrow {

// Opens the named file so that others may read it but not write it while
// the handle lives.
UniqueHandle OpenForReading(const wchar_t* fileName);

// The whole file from its start, as many bytes as its size.  A read that
// fails or ends early fails with the open message naming fileName: a cut
// text is never taken for the file.
std::string ReadWhole(HANDLE file, const wchar_t* fileName);

// The named file's bytes, read as ReadWhole does, or none when there is no
// such file; any other failure is raised.
std::optional<std::string> ReadWholeIfPresent(const wchar_t* fileName);

// Replaces the file at the full path with the bytes, atomically: a failed
// save leaves the old file byte for byte.
void ReplaceContents(const std::wstring& target, std::string_view bytes);

// The full path of a name resolved against the current folder.
std::wstring FullPathOf(const wchar_t* fileName);

}  // namespace carrow
