// Temporary folders with archive files, and a clean library state per test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/host.h"
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

// length bytes of image from at, zero where image ends.
inline Bytes Slice(const Bytes& image, size_t at, size_t length) {
    Bytes out(length);
    if (at < image.size()) {
        const size_t available = std::min(length, image.size() - at);
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(at), available, out.begin());
    }
    return out;
}

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Memory-backed when the machine has it: the tests write many files.
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        pattern += "/tolvane-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        // Sources are named relative to the folder, so that the name part of
        // a path does not depend on the separator.
        std::filesystem::current_path(dir_);
        ResetState();
    }
    void TearDown() override {
        std::filesystem::current_path("/");
        std::filesystem::remove_all(dir_);
    }

    static void ResetState() {
        std::memset(State.EntryTable, 0, sizeof State.EntryTable);
        std::memset(&State.HeaderBuffer, 0, sizeof State.HeaderBuffer);
        State.EntryCount = 0;
        State.ArchivePath.clear();
        State.SingleFileMode = false;
        State.RelocationInProgress = false;
        State.DirectoryReadWhole = false;
        State.TableHoldsStored = false;
        State.StoredLength = 0;
        State.StoredCopy.clear();
        platform::SetMemoryBudget(platform::kLargestBlock);
        platform::TakeNotes();
        platform::faults::Reset();
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    Bytes Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary | std::ios::ate);
        if (!in) return {};
        Bytes out(static_cast<size_t>(in.tellg()));
        in.seekg(0).read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
        return out;
    }

    // length bytes of the file from at: for files too large to read whole.
    Bytes ReadAt(const std::string& name, int64_t at, size_t length) const {
        std::ifstream in(Path(name), std::ios::binary);
        Bytes out(length);
        in.seekg(at).read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(length));
        out.resize(static_cast<size_t>(in.gcount()));
        return out;
    }

    // Lengthens the file without writing: the new part is a hole that costs
    // no space, so records of gigabytes can have all their data.
    void Lengthen(const std::string& name, int64_t length) const {
        std::filesystem::resize_file(Path(name), static_cast<uintmax_t>(length));
    }

    static TImgEntry Slot(int index) {
        TImgEntry e;
        IMGGetThisFile(&e, index);
        return e;
    }

    // A paired archive "a" with the given directory and .img, opened.
    void OpenPaired(const std::vector<TImgEntry>& entries, const Bytes& img) {
        Write("a.dir", ToBytes(entries));
        Write("a.img", img);
        IMGLoadImg(Path("a").c_str());
    }

    // A single-file archive "a.img": img with the header and directory
    // written over its start, opened.
    void OpenSingle(const std::vector<TImgEntry>& entries, Bytes img) {
        Put(img, 0, SingleFileImage(static_cast<int32_t>(entries.size()), entries));
        Write("a.img", img);
        IMGLoadImg(Path("a.img").c_str());
    }

    static void Put(Bytes& image, size_t at, const Bytes& data) {
        if (image.size() < at + data.size()) image.resize(at + data.size());
        std::copy(data.begin(), data.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    }

    // Bytes that differ from place to place and from seed to seed.
    static Bytes Pattern(size_t length, unsigned seed) {
        Bytes out(length);
        for (size_t i = 0; i < length; ++i) out[i] = static_cast<unsigned char>((i * 131 + seed * 7 + i / 2048) % 251 + 1);
        return out;
    }

    // The message a failing call raised ("" when it returned), which must
    // also be what IMGGetLastError reports.
    static std::string FailureOf(const std::function<void()>& call) {
        std::string message;
        try {
            call();
        } catch (const platform::HostFailure& failure) {
            EXPECT_EQ(failure.code, TOLVANE_EXCEPTION_CODE);
            message = failure.message;
        }
        EXPECT_EQ(message, IMGGetLastError());
        return message;
    }

    // The data of an entry as IMGExportBuffer gives it, over a zero buffer.
    static Bytes Exported(int index) {
        Bytes out(static_cast<size_t>(Slot(index).size) * 2048);
        IMGExportBuffer(index, out.data());
        return out;
    }

    static std::vector<std::string> SentNotes() { return platform::TakeNotes(); }

    std::string dir_;
};

inline bool SameEntry(const TImgEntry& a, const TImgEntry& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace tolvane::testing
