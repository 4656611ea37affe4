// The ban list and configuration editors: the files they edit, their loads
// when the window is shown, "Сохранить" and the ban list's "Обновить".
#pragma once

#include <functional>
#include <string>

#include "editors/editor_rules.h"
#include "text/text_files.h"

namespace carrow {

inline constexpr wchar_t kBanListFile[] = L"samp.ban";
inline constexpr wchar_t kConfigFile[] = L"server.cfg";

// One editor: its text box, its file and what it last loaded from it.
struct Editor {
    explicit Editor(const wchar_t* file) : fileName(file) {}
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    const wchar_t* fileName;
    TextView view;
    LoadedFile loaded;
};

// Puts a yes/no question to the operator; true for "Да".
using AskOperator = std::function<bool(const std::wstring& question)>;
// Reports the failure being handled; called inside a catch block.
using ReportFailure = std::function<void()>;

// Loads the editor's file into it; a failure is raised and leaves the editor
// as it was.
void LoadEditor(Editor& editor);

// Each editor loads on its own, the ban list first, and each failure is
// reported as it happens: a missing ban list does not keep server.cfg out of
// its editor.
void LoadEditors(Editor& banList, Editor& config, const ReportFailure& report);

// Writes the editor's text to its file.  A file the editor never loaded, or
// that changed on disk since, is replaced only when the operator says so.
void SaveEditor(Editor& editor, const AskOperator& ask);

// Loads the file again; edits not yet saved are thrown away only when the
// operator says so.
void ReloadEditor(Editor& editor, const AskOperator& ask);

}  // namespace carrow
