// Random sequences of writes, checked step by step against a model of the
// archive kept in memory.  The model knows, for every entry in memory and
// every entry of the stored directory, the bytes last written into it; only
// data writes (a replace in place, an append) may change the bytes of other
// entries whose slots they cover.  The directory rewrite must never change any
// entry's bytes, so every overwritten block shows up as a mismatch.
//
// Reproducible: TOLVANE_MODEL_SEED sets the first seed, TOLVANE_MODEL_SEQUENCES
// the number of sequences per layout (say 100000 for a long run).  A failure
// prints the seed of its sequence and the steps that led to it.
#include <cstdlib>
#include <random>
#include <sstream>

#include "archive_fixture.h"

namespace tolvane::testing {
namespace {

struct Tracked {
    TImgEntry entry;
    Bytes content;  // what the entry's data must read as, size x 2048 bytes
};

int64_t Start(const TImgEntry& e) { return int64_t{e.offset} * 2048; }
int64_t End(const TImgEntry& e) { return Start(e) + int64_t{e.size} * 2048; }

Bytes SliceOf(const Bytes& image, const TImgEntry& e) {
    return Slice(image, static_cast<size_t>(Start(e)), static_cast<size_t>(End(e) - Start(e)));
}

class Model {
public:
    bool single = false;
    Bytes image;
    std::vector<Tracked> memory;
    std::vector<Tracked> stored;

    // A source of the given bytes goes into entry index, then the directory
    // is rewritten, as a replace of an existing source does.
    void Replace(size_t index, const Bytes& data, uint32_t force) {
        WriteData(index, data, force);
        Rewrite();
    }

    void Rewrite() {
        if (single) RelocateAndWriteDirectory();
        stored = memory;
    }

    void Reopen() { memory = stored; }

    void SetEntry(size_t index, const TImgEntry& e) { memory[index] = {e, SliceOf(image, e)}; }

private:
    void WriteData(size_t index, const Bytes& data, uint32_t force) {
        TImgEntry& e = memory[index].entry;
        const int64_t rounded = (static_cast<int64_t>(data.size()) / 2048 + 1) * 2048;
        int64_t from, to;
        if ((force & 0xFF) == 1 || int64_t{e.size} * 2048 < rounded) {
            from = static_cast<int64_t>(image.size());
            e.offset = static_cast<uint32_t>((from + 2047) / 2048);
            e.size = static_cast<uint32_t>(rounded / 2048);
            to = End(e);
        } else {
            from = Start(e);
            to = End(e);
            e.size = static_cast<uint32_t>(rounded / 2048);
        }
        if (image.size() < static_cast<size_t>(to)) image.resize(static_cast<size_t>(to));
        std::fill(image.begin() + from, image.begin() + to, 0);
        std::copy(data.begin(), data.end(), image.begin() + Start(e));
        memory[index].content = data;
        memory[index].content.resize(static_cast<size_t>(rounded));
        ChangedByData(from, to, &memory[index]);
    }

    // Entries sharing bytes with a data write legitimately read the new bytes.
    void ChangedByData(int64_t from, int64_t to, const Tracked* written) {
        for (auto* list : {&memory, &stored}) {
            for (Tracked& t : *list) {
                if (&t != written && Start(t.entry) < to && End(t.entry) > from) t.content = SliceOf(image, t.entry);
            }
        }
    }

    void RelocateAndWriteDirectory() {
        const int64_t directoryEnd = 8 + 32 * static_cast<int64_t>(memory.size());
        for (;;) {
            size_t lowest = memory.size();
            for (size_t i = 0; i < memory.size(); ++i) {
                if (Start(memory[i].entry) <= directoryEnd &&
                    (lowest == memory.size() || Start(memory[i].entry) < Start(memory[lowest].entry))) {
                    lowest = i;
                }
            }
            if (lowest == memory.size()) break;
            Bytes kept = memory[lowest].content;
            WriteData(lowest, SliceOf(image, memory[lowest].entry), 1);
            kept.resize(kept.size() + 2048);
            memory[lowest].content = kept;  // the moved block keeps its bytes
        }
        if (image.size() < static_cast<size_t>(directoryEnd)) image.resize(static_cast<size_t>(directoryEnd));
        TImgHeader header{{'V', 'E', 'R', '2'}, static_cast<int32_t>(memory.size())};
        std::memcpy(image.data(), &header, 8);
        for (size_t i = 0; i < memory.size(); ++i) std::memcpy(image.data() + 8 + 32 * i, &memory[i].entry, 32);
    }
};

class ModelTest : public ArchiveTest {
protected:
    void RunSequences(bool single) {
        const char* seedText = std::getenv("TOLVANE_MODEL_SEED");
        const char* countText = std::getenv("TOLVANE_MODEL_SEQUENCES");
        const unsigned first = seedText ? static_cast<unsigned>(std::stoul(seedText)) : (single ? 2000000u : 1000000u);
        const int count = countText ? std::stoi(countText) : 1500;
        for (int n = 0; n < count; ++n) {
            const unsigned seed = first + static_cast<unsigned>(n);
            if (!RunSequence(single, seed)) {
                ADD_FAILURE() << "sequence seed " << seed << " (rerun: TOLVANE_MODEL_SEED=" << seed
                              << " TOLVANE_MODEL_SEQUENCES=1)\n"
                              << log_.str();
                return;
            }
        }
    }

private:
    bool RunSequence(bool single, unsigned seed) {
        rng_.seed(seed);
        log_.str("");
        CleanFolder();
        ResetState();
        model_ = Model();
        model_.single = single;
        StartArchive();
        if (!Matches("open")) return false;
        const int steps = Pick(10, 40);
        for (int step = 0; step < steps; ++step) {
            const std::string what = RandomStep();
            if (!Matches(what)) return false;
        }
        return true;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    void CleanFolder() {
        for (const auto& item : std::filesystem::directory_iterator(dir_)) std::filesystem::remove_all(item);
        std::filesystem::create_directory(Path("tmp"));
        setenv("TMPDIR", Path("tmp").c_str(), 1);
        sources_ = 0;
    }

    Bytes RandomBytes(size_t length) {
        Bytes out(length);
        for (auto& b : out) b = static_cast<unsigned char>(rng_() % 255 + 1);
        return out;
    }

    // An archive from elsewhere: a ragged .img, blocks at sector 0, size-0
    // entries, entries sharing an offset or lying past the end.
    void StartArchive() {
        const int entries = Chance(15) ? Pick(55, 70) : Pick(0, 8);
        const int64_t directoryEnd = model_.single ? 8 + 32 * entries : 0;
        int64_t length = int64_t{Pick(0, 10)} * 2048 + (Chance(50) ? Pick(1, 2047) : 0);
        length = std::max(length, directoryEnd);
        model_.image = RandomBytes(static_cast<size_t>(length));
        std::vector<TImgEntry> table;
        for (int i = 0; i < entries; ++i) {
            TImgEntry e = Entry(0, 0, ("init" + std::to_string(i)).c_str());
            const int kind = Pick(0, 3);
            e.offset = kind == 0 ? 0
                       : kind == 1 && !table.empty() ? table[Pick(0, static_cast<int>(table.size()) - 1)].offset
                                                     : static_cast<uint32_t>(Pick(0, static_cast<int>(length / 2048) + 2));
            e.size = static_cast<uint32_t>(Chance(20) ? 0 : Pick(1, 3));
            table.push_back(e);
        }
        if (model_.single) {
            const Bytes head = SingleFileImage(entries, table);
            std::copy(head.begin(), head.end(), model_.image.begin());
        } else {
            Write("a.dir", ToBytes(table));
        }
        Write("a.img", model_.image);
        for (const TImgEntry& e : table) model_.memory.push_back({e, SliceOf(model_.image, e)});
        model_.stored = model_.memory;
        IMGLoadImg("a.img");
        log_ << "open " << (model_.single ? "single-file" : "paired") << ", " << entries << " entries, .img "
             << length << " bytes\n";
    }

    // A source whose length is chosen against a slot: smaller, equal (the
    // same rounded size) or larger, or any small length.
    std::string NewSource(int64_t slotSectors, Bytes& data) {
        int64_t length;
        switch (Pick(0, 3)) {
            case 0: length = slotSectors > 1 ? Pick(0, static_cast<int>(slotSectors - 1) * 2048 - 1) : 0; break;
            case 1: length = slotSectors > 0 ? (slotSectors - 1) * 2048 + Pick(0, 2047) : 0; break;
            case 2: length = slotSectors * 2048 + Pick(0, 4096); break;
            default: length = Chance(30) ? 2048 * Pick(0, 3) : Pick(0, 7000);
        }
        data = RandomBytes(static_cast<size_t>(length));
        std::string name = "src" + std::to_string(sources_++) + (Chance(10) ? "-with-a-name-longer-than-the-field" : "");
        Write(name, data);
        return name;
    }

    std::string RandomStep() {
        std::ostringstream what;
        const int count = static_cast<int>(model_.memory.size());
        const int kind = Pick(0, 99);
        if (kind < 25 || count == 0) {
            Bytes data;
            const std::string source = Chance(10) ? "missing" + std::to_string(sources_++) : NewSource(0, data);
            TImgEntry added;
            IMGGetThisFile(&added, count);  // the stale slot keeps its name bytes past the terminator
            std::memset(&added, 0, 8);
            std::memcpy(added.name, source.c_str(), std::min<size_t>(source.size(), 23));
            added.name[std::min<size_t>(source.size(), 23)] = '\0';
            model_.memory.push_back({added, {}});
            if (source.rfind("missing", 0) != 0) model_.Replace(model_.memory.size() - 1, data, 1);
            IMGAddFile(source.c_str());
            what << "add " << source << " (" << data.size() << " bytes)";
        } else if (kind < 60) {
            const int index = Pick(0, count - 1);
            const uint32_t force = std::vector<uint32_t>{0, 0, 1, 2, 255, 0x101}[Pick(0, 5)];
            Bytes data;
            if (Chance(5)) {
                IMGReplaceFile(index, "missing", force);
                what << "replace " << index << " from a missing source";
            } else {
                const std::string source = NewSource(model_.memory[index].entry.size, data);
                model_.Replace(static_cast<size_t>(index), data, force);
                IMGReplaceFile(index, source.c_str(), force);
                what << "replace " << index << " with " << data.size() << " bytes, force " << force;
            }
        } else if (kind < 75) {
            const int index = Pick(0, count - 1);
            TImgEntry e = model_.memory[index].entry;
            const TImgEntry& other = model_.memory[Pick(0, count - 1)].entry;
            const int64_t sectors = static_cast<int64_t>(model_.image.size()) / 2048;
            e.offset = Chance(30) ? other.offset : Chance(30) ? 0 : static_cast<uint32_t>(Pick(0, static_cast<int>(sectors) + 2));
            e.size = static_cast<uint32_t>(Chance(20) ? 0 : Pick(1, 4));
            model_.SetEntry(static_cast<size_t>(index), e);
            IMGSetThisFile(index, &e);
            what << "set " << index << " to offset " << e.offset << " size " << e.size;
        } else if (kind < 85) {
            model_.Rewrite();
            IMGReDoDir();
            what << "rewrite";
        } else if (kind < 95) {
            model_.Reopen();
            IMGLoadImg(Chance(50) ? "a.img" : "a");
            what << "reopen";
        } else {
            const std::string message = FailureOf([&] { IMGReplaceFile(count, "missing", 0); });
            what << "replace past the last entry: " << message;
        }
        log_ << what.str() << "\n";
        return what.str();
    }

    bool Mismatch(const std::string& step, const std::string& detail) {
        log_ << "  after \"" << step << "\": " << detail << "\n";
        return false;
    }

    bool Matches(const std::string& step) {
        if (!std::string(IMGGetLastError()).empty() && step.find("past the last") == std::string::npos) {
            return Mismatch(step, std::string("failed: ") + IMGGetLastError());
        }
        if (IMGFileCount() != static_cast<int32_t>(model_.memory.size())) return Mismatch(step, "entry count");
        if (Read("a.img") != model_.image) return Mismatch(step, ".img bytes differ from the model");
        if (!model_.single && Read("a.dir") != StoredRecords()) return Mismatch(step, "stored .dir differs");
        for (size_t i = 0; i < model_.memory.size(); ++i) {
            if (!SameEntry(Slot(static_cast<int>(i)), model_.memory[i].entry)) {
                return Mismatch(step, "record " + std::to_string(i));
            }
            if (Exported(static_cast<int>(i)) != model_.memory[i].content) {
                return Mismatch(step, "data of entry " + std::to_string(i) + " lost");
            }
        }
        if (!std::filesystem::is_empty(Path("tmp"))) return Mismatch(step, "scratch file left behind");
        return true;
    }

    Bytes StoredRecords() const {
        std::vector<TImgEntry> records;
        for (const Tracked& t : model_.stored) records.push_back(t.entry);
        return ToBytes(records);
    }

    std::mt19937 rng_;
    std::ostringstream log_;
    Model model_;
    int sources_ = 0;
};

TEST_F(ModelTest, PairedLayoutLosesNoData) { RunSequences(false); }

TEST_F(ModelTest, SingleFileLayoutLosesNoData) { RunSequences(true); }

}  // namespace
}  // namespace tolvane::testing
