#include "editor_rules.h"

namespace carrow {

SaveQuestion QuestionBeforeSave(const LoadedFile& loaded, const std::optional<std::string>& onDisk) {
    if (!onDisk) return SaveQuestion::None;
    if (!loaded.loaded) return SaveQuestion::NeverLoaded;
    return *onDisk == loaded.bytes ? SaveQuestion::None : SaveQuestion::ChangedOnDisk;
}

std::wstring SaveQuestionText(SaveQuestion question, std::wstring_view fullPath) {
    const std::wstring_view why = question == SaveQuestion::NeverLoaded ? L" не был загружен в редактор."
                                                                        : L" изменён другой программой после загрузки.";
    std::wstring text = L"Файл ";
    text.append(fullPath).append(why).append(L" Заменить его текстом редактора?");
    return text;
}

std::wstring ReloadQuestionText(std::wstring_view fullPath) {
    std::wstring text = L"Отменить несохранённые изменения и загрузить ";
    text.append(fullPath).append(L" заново?");
    return text;
}

}  // namespace carrow
