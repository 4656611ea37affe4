// Which running processes count as a given program: the rule by which the
// server is recognised among all processes, whoever started them.
#pragma once

#include <cstddef>
#include <string_view>

namespace carrow {

// The image name held in a process record's fixed field: the characters up
// to the first zero byte, at most the field's size.
std::string_view ImageNameField(const char* field, std::size_t fieldSize);

// True when imageName names the wanted program: its file-name part (after the
// last "\" or ":"; the whole text when it has neither) equals wanted, or else
// the whole image name does.  Only the ASCII letters a-z and A-Z are taken as
// equal to each other; every other character must match exactly.
bool ImageNameMatches(std::string_view imageName, std::string_view wanted);

}  // namespace carrow
