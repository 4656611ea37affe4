// The rollback journal of a change: the bytes of the .img that the change
// overwrites in place, saved beside it before it does, so that a change cut
// short by a crash or a power loss can be taken back.  Its image on disk, as
// plain functions over bytes: no state, no files.
//
// Layout, little-endian: "TolvJrn1", a checksum of every byte after it, the
// directory condition (flag, checksum and length of the .dir), the number of
// saved ranges, then each range as position, length and its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tolvane {

using Bytes = std::vector<unsigned char>;

struct SavedRange {
    int64_t position;
    Bytes bytes;
};

struct Journal {
    // Paired layout: the change is taken back only while the .dir still
    // holds the directory it was to replace; once the new .dir has taken its
    // place, the change is done.  Without it (single-file layout, where the
    // directory itself is among the saved ranges) it is always taken back.
    bool whileDirectoryIs = false;
    uint32_t directoryChecksum = 0;
    int64_t directoryLength = 0;
    std::vector<SavedRange> saved;
};

// CRC-32 (the polynomial of zip and PNG).
uint32_t Checksum(const unsigned char* data, size_t length);

// A byte range of the .img: position and length.
using Range = std::pair<int64_t, int64_t>;
// Puts length bytes of the .img from position at destination.
using RangeReader = std::function<void(int64_t position, unsigned char* destination, int64_t length)>;

// Writes into image (its memory reused) the journal of these ranges under
// the directory condition of journal (its saved ranges are not used): each
// range's bytes are read straight into their place.
void JournalImage(const Journal& journal, const std::vector<Range>& ranges, const RangeReader& read, Bytes& image);
// The journal an image holds; none when it is torn (cut short, or its
// checksum does not match) or is no journal at all.
std::optional<Journal> ParseJournal(const Bytes& image);

}  // namespace tolvane
