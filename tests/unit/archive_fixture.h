// Temporary folders with archive files, and a clean library state per test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "state.h"
#include "tolvane.h"

namespace tolvane::testing {

using Bytes = std::vector<unsigned char>;

inline TImgEntry Entry(uint32_t offset, uint32_t size, const char* name) {
    TImgEntry e{};
    e.offset = offset;
    e.size = size;
    std::strncpy(e.name, name, sizeof e.name);
    return e;
}

inline Bytes ToBytes(const std::vector<TImgEntry>& entries) {
    Bytes out(entries.size() * sizeof(TImgEntry));
    if (!entries.empty()) std::memcpy(out.data(), entries.data(), out.size());
    return out;
}

inline Bytes SingleFileImage(int32_t count, const std::vector<TImgEntry>& entries) {
    TImgHeader h{{'V', 'E', 'R', '2'}, count};
    Bytes out(reinterpret_cast<unsigned char*>(&h), reinterpret_cast<unsigned char*>(&h) + 8);
    const Bytes dir = ToBytes(entries);
    out.insert(out.end(), dir.begin(), dir.end());
    return out;
}

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tolvane-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ResetState();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    static void ResetState() {
        std::memset(State.EntryTable, 0, sizeof State.EntryTable);
        std::memset(&State.HeaderBuffer, 0, sizeof State.HeaderBuffer);
        State.EntryCount = 0;
        State.ArchivePath.clear();
        State.SingleFileMode = false;
        State.RelocationInProgress = false;
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    Bytes Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    static TImgEntry Slot(int index) {
        TImgEntry e;
        IMGGetThisFile(&e, index);
        return e;
    }

    std::string dir_;
};

inline bool SameEntry(const TImgEntry& a, const TImgEntry& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace tolvane::testing
