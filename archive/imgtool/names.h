// Entry names as the archive compares them: letters without case, in the
// archive's 8-bit code page (1251: Latin and Cyrillic), so "МАШИНА.dff" and
// "машина.dff" are one name, as they are one file on Windows.
#pragma once

#include <string>

namespace imgtool {

// The name with every letter in upper case; other bytes as they are.
std::string FoldName(const std::string& name);

bool SameName(const std::string& a, const std::string& b);

}  // namespace imgtool
