#include "editors/editors.h"

#include <utility>

namespace carrow {

void LoadEditor(Editor& editor) {
    std::string bytes;
    LoadTextFile(editor.view, editor.fileName, &bytes);
    editor.loaded = {true, std::move(bytes)};
}

void LoadEditors(Editor& banList, Editor& config, const ReportFailure& report) {
    for (Editor* editor : {&banList, &config}) {
        try {
            LoadEditor(*editor);
        } catch (...) {
            report();
        }
    }
}

void SaveEditor(Editor& editor, const AskOperator& ask) {
    const SaveQuestion question = QuestionBeforeSave(editor.loaded, ReadWholeIfPresent(editor.fileName));
    if (question != SaveQuestion::None && !ask(SaveQuestionText(question, FullPathOf(editor.fileName)))) return;
    editor.loaded = {true, SaveTextFile(editor.view, editor.fileName)};
    editor.view.MarkSaved();
}

void ReloadEditor(Editor& editor, const AskOperator& ask) {
    if (editor.view.Edited() && !ask(ReloadQuestionText(FullPathOf(editor.fileName)))) return;
    LoadEditor(editor);
}

}  // namespace carrow
