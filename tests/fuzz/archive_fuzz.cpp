// Fuzzes the library through its exports: the input is an archive in either
// layout followed by a short sequence of operations on it.  Sanitizers report
// any crash, leak or write outside the entry table.
//
// Input: [layout byte][dir length: 2][img length: 2][dir bytes][img bytes]
//        then operations of 6 bytes each: [opcode][index: 4][argument]
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host.h"
#include "tolvane.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool Has(size_t n) const { return size - at >= n; }
    uint32_t Take(size_t n) {  // little-endian, n <= 4
        uint32_t v = 0;
        for (size_t i = 0; i < n && at < size; ++i) v |= uint32_t(data[at++]) << (8 * i);
        return v;
    }
    std::string Bytes(size_t n) {
        n = std::min(n, size - at);
        std::string s(reinterpret_cast<const char*>(data + at), n);
        at += n;
        return s;
    }
};

const std::string& Folder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/tolvane-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        setenv("TMPDIR", pattern, 1);  // relocation scratch files stay here too
        static std::string made = pattern;
        std::atexit([] { std::filesystem::remove_all(made); });
        return made + "/";
    }();
    return folder;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The library's memory budget here: a 32-bit process scaled down, so that
// records above it are refused as they would be there, without allocating.
constexpr int64_t kBudget = 1 << 20;

// Record sizes: most small, some around the budget, and some of any
// magnitude up to nearly 2^32 sectors, which must fail cleanly ("Out of
// memory") or, below the budget, behave like any other.
uint32_t TameSize(uint32_t raw) {
    switch (raw >> 30) {
        case 0:
        case 1: return raw & 0x3F;
        case 2: return raw & 0x3FF;
        default: return (raw << 2) >> (raw & 0x1F);
    }
}

// Keeps positions small, so that writes stay within a few megabytes of disk.
void TameRecords(std::string& records, size_t from) {
    for (size_t at = from; at + 8 <= records.size(); at += 32) {
        uint32_t offset, size;
        std::memcpy(&offset, &records[at], 4);
        std::memcpy(&size, &records[at + 4], 4);
        size = TameSize(size);
        if (size != 0) offset &= 0xFFF;
        std::memcpy(&records[at], &offset, 4);
        std::memcpy(&records[at + 4], &size, 4);
    }
}

int32_t PickIndex(uint32_t raw) {
    switch (raw >> 29) {
        case 0: return -1 - int32_t(raw & 0xFF);
        case 1: return 65536 + int32_t(raw & 0xFF);
        default: return int32_t(raw % uint32_t(IMGFileCount() + 2));
    }
}

void Run(uint8_t opcode, int32_t index, uint8_t argument, Input& in) {
    const std::string source = Folder() + "source.dat";
    switch (opcode % 10) {
        case 0: {
            TImgEntry e;
            IMGGetThisFile(&e, index);
            if (index < 0 || index >= 65536) return;
            // Above the budget the library must refuse before reading a byte.
            const bool refused = int64_t{e.size} * 2048 > kBudget;
            if (!refused && e.size > 64) return;
            std::vector<unsigned char> buffer(refused ? 1 : size_t(e.size) * 2048 + 1, 0xEE);
            IMGExportBuffer(index, buffer.data());
            if (buffer.back() != 0xEE) std::abort();  // wrote past the entry's data
            return;
        }
        case 1: IMGExportFile(index, (Folder() + "export.dat").c_str()); return;
        case 2: {
            // In place, the rest of the slot is cleared: into a slot of
            // gigabytes that is correct, but too slow to fuzz.
            TImgEntry e;
            IMGGetThisFile(&e, index);
            const uint32_t force = e.size > 4096 ? 1 : argument & 3;
            WriteFile(source, in.Bytes(argument * 40u));
            IMGReplaceFile(index, source.c_str(), force);
            return;
        }
        case 3: WriteFile(source, in.Bytes(argument * 40u)); IMGAddFile(source.c_str()); return;
        case 4: IMGReDoDir(); return;
        case 5: IMGRemoveFile(index); return;
        case 6: IMGDelete(index); return;
        case 7: IMGHowMuchFragmented(); return;
        case 8: {
            std::string record = in.Bytes(32);
            record.resize(32, char(argument));
            TameRecords(record, 0);
            IMGSetThisFile(index, reinterpret_cast<const TImgEntry*>(record.data()));
            return;
        }
        default: IMGLoadImg((Folder() + "arc").c_str()); return;
    }
}

// A directory of more than 512 entries ends the sequence: its rewrite
// relocates every block, which is correct but too slow to fuzz.
bool WorthGoingOn() { return IMGFileCount() <= 512; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    IMGSetRaiseOnError(0);  // failures are expected; they must only be clean
    tolvane::platform::SetMemoryBudget(kBudget);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const bool paired = in.Take(1) & 1;
    std::string dir = in.Bytes(in.Take(2) % 4096);
    std::string img = in.Bytes(in.Take(2) % 16384);
    const std::string base = Folder() + "arc";
    std::remove((base + ".dir").c_str());
    if (paired) {
        TameRecords(dir, 0);
        WriteFile(base + ".dir", dir);
    } else if (img.size() >= 8) {
        img[5] = img[6] = img[7] = 0;  // at most 255 entries: relocations stay cheap
        TameRecords(img, 8);
    }
    WriteFile(base + ".img", img);
    IMGLoadImg(base.c_str());
    for (int steps = 0; steps < 12 && in.Has(6) && WorthGoingOn(); ++steps) {
        const uint8_t opcode = uint8_t(in.Take(1));
        const int32_t index = PickIndex(in.Take(4));
        Run(opcode, index, uint8_t(in.Take(1)), in);
    }
    tolvane::platform::TakeNotes();  // the native note sink keeps them until asked
    return 0;
}
