#include "server/process_name.h"

#include <algorithm>

namespace carrow {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualAsciiFolded(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

}  // namespace

std::string_view ImageNameField(const char* field, std::size_t fieldSize) {
    const char* end = std::find(field, field + fieldSize, '\0');
    return {field, static_cast<std::size_t>(end - field)};
}

bool ImageNameMatches(std::string_view imageName, std::string_view wanted) {
    const auto separator = imageName.find_last_of("\\:");
    const std::string_view fileName =
        separator == std::string_view::npos ? imageName : imageName.substr(separator + 1);
    return EqualAsciiFolded(fileName, wanted) || EqualAsciiFolded(imageName, wanted);
}

}  // namespace carrow
