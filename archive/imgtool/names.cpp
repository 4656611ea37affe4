#include "names.h"

#include <array>

namespace imgtool {
namespace {

// Code page 1251: the small letters that have a capital, beside the ranges
// a-z and а-я.
constexpr unsigned char kPairs[][2] = {
    {0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
    {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xB3, 0xB2}, {0xB4, 0xA5},
    {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF},
};

constexpr std::array<unsigned char, 256> UpperTable() {
    std::array<unsigned char, 256> upper{};
    for (int c = 0; c < 256; ++c) upper[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c) upper[c] = static_cast<unsigned char>(c - 0x20);
    for (int c = 0xE0; c <= 0xFF; ++c) upper[c] = static_cast<unsigned char>(c - 0x20);
    for (const auto& pair : kPairs) upper[pair[0]] = pair[1];
    return upper;
}

constexpr auto kUpper = UpperTable();

}  // namespace

std::string FoldName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
    return folded;
}

bool SameName(const std::string& a, const std::string& b) { return FoldName(a) == FoldName(b); }

}  // namespace imgtool
