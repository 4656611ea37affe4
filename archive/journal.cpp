#include "journal.h"

#include <array>
#include <cstring>

namespace tolvane {
namespace {

constexpr char kMagic[8] = {'T', 'o', 'l', 'v', 'J', 'r', 'n', '1'};
constexpr size_t kChecksumEnd = 12;  // magic and checksum

// Tables for eight bytes a step: table[k][n] is the remainder of byte n
// followed by k zero bytes.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;
constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (size_t k = 1; k < 8; ++k) {
        for (size_t n = 0; n < 256; ++n) tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    }
    return tables;
}

void Put(Bytes& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// Reads little-endian numbers from an image, noting when it runs out.
struct Reader {
    const Bytes& image;
    size_t at;
    bool shortOfBytes = false;

    uint64_t Take(size_t bytes) {
        if (image.size() - at < bytes) {
            shortOfBytes = true;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < bytes; ++i) value |= uint64_t{image[at + i]} << (8 * i);
        at += bytes;
        return value;
    }
};

}  // namespace

// Eight bytes a step: a journal holds a whole slot, and a byte at a time
// cost more than its write.
uint32_t Checksum(const unsigned char* data, size_t length) {
    static constexpr CrcTables t = MakeCrcTables();
    uint32_t crc = 0xFFFFFFFFu;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        const uint32_t low = crc ^ (uint32_t{data[i]} | uint32_t{data[i + 1]} << 8 | uint32_t{data[i + 2]} << 16 |
                                    uint32_t{data[i + 3]} << 24);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][data[i + 4]] ^ t[2][data[i + 5]] ^ t[1][data[i + 6]] ^ t[0][data[i + 7]];
    }
    for (; i < length; ++i) crc = t[0][(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void JournalImage(const Journal& journal, const std::vector<Range>& ranges, const RangeReader& read, Bytes& out) {
    size_t length = 32;  // magic, checksum, directory condition and the number of ranges
    for (const auto& [position, count] : ranges) length += 16 + static_cast<size_t>(count);
    out.clear();
    out.reserve(length);
    for (const char c : kMagic) out.push_back(static_cast<unsigned char>(c));
    Put(out, 0, 4);  // the checksum, below
    Put(out, journal.whileDirectoryIs ? 1 : 0, 4);
    Put(out, journal.directoryChecksum, 4);
    Put(out, static_cast<uint64_t>(journal.directoryLength), 8);
    Put(out, ranges.size(), 4);
    for (const auto& [position, count] : ranges) {
        Put(out, static_cast<uint64_t>(position), 8);
        Put(out, static_cast<uint64_t>(count), 8);
        const size_t at = out.size();
        out.resize(at + static_cast<size_t>(count));
        read(position, out.data() + at, count);
    }
    const uint32_t sum = Checksum(out.data() + kChecksumEnd, out.size() - kChecksumEnd);
    for (int i = 0; i < 4; ++i) out[sizeof kMagic + i] = static_cast<unsigned char>(sum >> (8 * i));
}

std::optional<Journal> ParseJournal(const Bytes& image) {
    if (image.size() < kChecksumEnd || std::memcmp(image.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    Reader in{image, sizeof kMagic};
    const auto sum = static_cast<uint32_t>(in.Take(4));
    if (sum != Checksum(image.data() + kChecksumEnd, image.size() - kChecksumEnd)) return std::nullopt;
    Journal journal;
    journal.whileDirectoryIs = in.Take(4) == 1;
    journal.directoryChecksum = static_cast<uint32_t>(in.Take(4));
    journal.directoryLength = static_cast<int64_t>(in.Take(8));
    for (uint64_t ranges = in.Take(4); ranges > 0 && !in.shortOfBytes; --ranges) {
        const auto position = static_cast<int64_t>(in.Take(8));
        const uint64_t length = in.Take(8);
        if (in.shortOfBytes || image.size() - in.at < length) return std::nullopt;
        const auto from = image.begin() + static_cast<std::ptrdiff_t>(in.at);
        journal.saved.push_back({position, Bytes(from, from + static_cast<std::ptrdiff_t>(length))});
        in.at += static_cast<size_t>(length);
    }
    if (in.shortOfBytes || in.at != image.size()) return std::nullopt;
    return journal;
}

}  // namespace tolvane
