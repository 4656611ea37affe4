#include "window/error_text.h"

namespace carrow {

std::wstring ReportText(const std::wstring& message) {
    if (message.empty() || static_cast<unsigned>(message.back()) <= L'.') return message;
    return message + L'.';
}

std::wstring ApplicationTitle(const std::wstring& programPath, const LowerCase& lower) {
    const auto slash = programPath.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? programPath : programPath.substr(slash + 1);
    name = name.substr(0, name.find(L'.'));
    if (name.size() < 2) return name;
    std::wstring title(1, name.front());
    title += lower(name.substr(1));
    return title;
}

}  // namespace carrow
