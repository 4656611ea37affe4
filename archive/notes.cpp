#include "notes.h"

namespace tolvane::notes {

std::string HeaderAndDirectorySize(int64_t bytes) {
    return "header + dir size: " + std::to_string(bytes);
}

std::string FirstEntryAt(int64_t dataOffset) { return "file 0 is at : " + std::to_string(dataOffset); }

std::string FirstBlockOccupiedBy(const std::string& name, int64_t position) {
    return "first img block is occupied by : " + name + " at " + std::to_string(position);
}

std::string Relocating(const std::string& name, int64_t position) {
    return "RELOCATING first img block that is occupied by : " + name + " at " + std::to_string(position);
}

}  // namespace tolvane::notes
