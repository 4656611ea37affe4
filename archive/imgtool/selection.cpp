#include "selection.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "names.h"

namespace imgtool {
namespace {

std::optional<int32_t> AsIndex(const std::string& text, size_t count) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const long value = std::stol(text);
    if (static_cast<size_t>(value) >= count) return std::nullopt;
    return static_cast<int32_t>(value);
}

bool IsReservedDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4",
                                           "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2",
                                           "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    return std::any_of(std::begin(kDevices), std::end(kDevices), [&](const char* d) { return base == d; });
}

}  // namespace

std::string NameOf(const TImgEntry& entry) {
    return std::string(entry.name, strnlen(entry.name, sizeof entry.name));
}

std::optional<int32_t> FindName(const std::vector<TImgEntry>& entries, const std::string& name) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (SameName(NameOf(entries[i]), name)) return static_cast<int32_t>(i);
    }
    return std::nullopt;
}

std::optional<int32_t> FindEntry(const std::vector<TImgEntry>& entries, const std::string& nameOrIndex) {
    if (const auto index = FindName(entries, nameOrIndex)) return index;
    return AsIndex(nameOrIndex, entries.size());
}

std::string SafeFileName(const std::string& name, int32_t index) {
    std::string safe;
    for (unsigned char c : name) {
        safe += (c < 32 || std::strchr("<>:\"/\\|?*", c)) ? '_' : static_cast<char>(c);
    }
    // Windows drops trailing dots and blanks, which could merge two names.
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.back() = '_';
    if (safe.empty() || IsReservedDeviceName(safe)) safe = "entry" + std::to_string(index) + "_" + safe;
    return safe;
}

}  // namespace imgtool
