// The editors' rules for keeping the operator's files: what an editor loaded,
// whether "Сохранить" must ask before it replaces the file, and the questions
// it asks.  Plain functions over strings, shared by the window and the native
// tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace carrow {

// What an editor last took from its file or wrote to it.  A failed load
// leaves it as it was, so an editor whose first load failed has loaded
// nothing.
struct LoadedFile {
    bool loaded = false;
    std::string bytes;  // the file's bytes as read, or as the last save wrote them
};

enum class SaveQuestion { None, ChangedOnDisk, NeverLoaded };

// Whether saving over the file needs the operator's word first.  `onDisk` is
// what the file holds now, none when there is no such file.  A file the
// editor never loaded, or that another program has changed since, is not
// replaced silently; a missing file or the bytes the editor knows are.
SaveQuestion QuestionBeforeSave(const LoadedFile& loaded, const std::optional<std::string>& onDisk);

// The question for a save that must ask; fullPath names the file.
std::wstring SaveQuestionText(SaveQuestion question, std::wstring_view fullPath);

// The question before a reload throws away edits not yet saved.
std::wstring ReloadQuestionText(std::wstring_view fullPath);

}  // namespace carrow
