// Random sequences of operations on an archive, with faults planted in the
// file layer, each step checked against what a caller may expect of it:
//
// - An entry that a step does not target keeps its record and its bytes (the
//   part of its slot that lay inside the .img).  Only a single-file rewrite
//   may move an entry, one whose data starts at or below the end of the new
//   directory: to the end of the .img, one sector larger, with its bytes.
// - A replaced or added entry reads its source padded with zeros to the next
//   sector boundary above its length.  It stays in its slot exactly when it
//   is not forced to the end, fits the slot, lies inside the .img, shares it
//   with no other entry and, in the single-file layout, does not start under
//   the directory.
// - After a write the stored directory is the table in memory; a re-open
//   reads it back whole.
// - A write on an archive whose directory was not read whole (a held file,
//   a short file, a missing .dir), or whose directory another program has
//   changed, fails and changes nothing.
// - A failed write or read leaves the other entries' bytes; a later rewrite
//   stores the directory, and a re-open instead finds the old directory or
//   the new one.  After a crash at any change a write makes, with the
//   writes not yet flushed lost in part (a power loss), a re-open finds the
//   old directory or the new one whole; every entry that was not the target
//   reads its old bytes, the target its old or its new ones.
//
// Reproducible: TOLVANE_MODEL_SEED sets the first seed, TOLVANE_MODEL_SEQUENCES
// the number of sequences per layout (say 100000 for a long run).  A failure
// prints the seed of its sequence and the steps that led to it.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <sstream>

#include "archive_fixture.h"

namespace tolvane::testing {
namespace {

namespace faults = platform::faults;

int64_t Start(const TImgEntry& e) { return int64_t{e.offset} * 2048; }
int64_t End(const TImgEntry& e) { return Start(e) + int64_t{e.size} * 2048; }
int64_t Rounded(size_t length) { return (static_cast<int64_t>(length) / 2048 + 1) * 2048; }

bool SameRecords(const std::vector<TImgEntry>& a, const std::vector<TImgEntry>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameEntry);
}

bool Overlap(const TImgEntry& a, const TImgEntry& b) {
    return a.size > 0 && b.size > 0 && Start(a) < End(b) && Start(b) < End(a);
}

struct Tracked {
    TImgEntry entry;
    Bytes content;  // as exported, size x 2048 bytes
    size_t known;   // leading bytes of content that lay inside the .img
};

// One call that writes, and what it does to the table when it succeeds.
struct Op {
    enum Kind { Add, Replace, Delete, Rewrite } kind = Rewrite;
    int index = -1;
    std::string source;
    Bytes data;
    uint32_t force = 0;
    std::string what;

    static Op Of(Kind kind, int index = -1, std::string source = {}) {
        Op op;
        op.kind = kind;
        op.index = index;
        op.source = std::move(source);
        op.what = "add " + op.source;
        return op;
    }
    bool Missing() const { return source.rfind("missing", 0) == 0; }
    void Call() const {
        switch (kind) {
            case Add: IMGAddFile(source.c_str()); break;
            case Replace: IMGReplaceFile(index, source.c_str(), force); break;
            case Delete: IMGDelete(index); break;
            case Rewrite: IMGReDoDir(); break;
        }
    }
};

// What the library holds, to put back after a trial run.
struct Snapshot {
    std::vector<TImgEntry> slots;
    int32_t count;
    bool single, relocating, whole, tableHoldsStored;
    int64_t storedLength;
    Bytes storedCopy;
    TImgHeader header;
    Bytes img, dir;
    bool hasDir;
};

class ModelTest : public ArchiveTest {
protected:
    void RunSequences(bool single) {
        const char* seedText = std::getenv("TOLVANE_MODEL_SEED");
        const char* countText = std::getenv("TOLVANE_MODEL_SEQUENCES");
        const unsigned first = seedText ? static_cast<unsigned>(std::stoul(seedText)) : (single ? 2000000u : 1000000u);
        const int count = countText ? std::stoi(countText) : 200;
        IMGSetRaiseOnError(0);  // failures are expected: their messages are read back
        for (int n = 0; n < count; ++n) {
            const unsigned seed = first + static_cast<unsigned>(n);
            if (!RunSequence(single, seed)) {
                ADD_FAILURE() << "sequence seed " << seed << " (rerun: TOLVANE_MODEL_SEED=" << seed
                              << " TOLVANE_MODEL_SEQUENCES=1)\n"
                              << log_.str();
                break;
            }
        }
        IMGSetRaiseOnError(1);
    }

    // Fixed scenarios, each crashed at every change it makes (every write,
    // flush, create, move and removal) with every part of its unflushed
    // writes lost or torn; each re-open must find the old archive or the new
    // one, whole.  Returns the number of crashes tried.
    int64_t CrashEverywhere(bool single) {
        single_ = single;
        int64_t tried = 0;
        for (int scenario = 0; scenario < 7; ++scenario) {
            CleanFolder();
            ResetState();
            rng_.seed(static_cast<unsigned>(scenario));
            log_.str("");
            const Op op = Scenario(scenario);
            const Snapshot start = Take();
            const std::vector<Tracked> before = memory_;
            const std::vector<TImgEntry> oldDirectory = stored_;
            std::vector<TImgEntry> newDirectory;
            const int64_t changes = Trial(op, &newDirectory);
            EXPECT_TRUE(Plain(op)) << log_.str();  // the rules of a call that succeeds
            for (int64_t at = 0; at <= changes; ++at) {
                for (int64_t variant = 0, variants = 1; variant < variants; ++variant, ++tried) {
                    PutBack(start);
                    memory_ = before;
                    faults::CrashAt(at);
                    op.Call();
                    variants = 2 * faults::Unflushed() + 1;
                    faults::PowerLoss(variant / 2, variant % 2 == 1);
                    ClearLeftovers();
                    ResetState();
                    if (!ReopenedAfter(op, before, oldDirectory, newDirectory)) {
                        ADD_FAILURE() << op.what << ": crash at change " << at << " of " << changes << ", variant "
                                      << variant << "\n" << log_.str();
                        return tried;
                    }
                }
            }
        }
        return tried;
    }

private:
    // An archive of count entries of size sectors each, entry 0 at sector 1
    // and the rest after it, opened.
    void MakeArchive(int count, uint32_t size) {
        std::vector<TImgEntry> table;
        for (int i = 0; i < count; ++i) {
            table.push_back(Entry(1 + static_cast<uint32_t>(i) * size, size, ("e" + std::to_string(i)).c_str()));
        }
        Bytes image = RandomBytes(static_cast<size_t>(1 + count * size) * 2048);
        if (single_) {
            const Bytes head = SingleFileImage(count, table);
            std::copy(head.begin(), head.end(), image.begin());
        } else {
            Write("a.dir", ToBytes(table));
        }
        Write("a.img", image);
        IMGLoadImg("a");
        stored_ = table;
        Adopt();
    }

    Op Scenario(int scenario) {
        Op op;
        Bytes data;
        switch (scenario) {
            case 0: MakeArchive(4, 2); op = Op::Of(Op::Add, -1, NewSourceOf(3000, data)); break;
            case 1: MakeArchive(4, 3); op = Op::Of(Op::Replace, 1, NewSourceOf(2500, data)); break;
            case 2: MakeArchive(4, 1); op = Op::Of(Op::Replace, 1, NewSourceOf(7000, data)); break;
            case 3: MakeArchive(4, 1); op = Op::Of(Op::Delete, 0); break;
            // The 64th record reaches the block at sector 1, which moves.
            case 4: MakeArchive(63, 1); op = Op::Of(Op::Add, -1, NewSourceOf(100, data)); break;
            // Records 64 to 69 lie in sector 1, over entry 0 (an archive
            // from elsewhere): its data must not go there.
            case 5: MakeArchive(70, 2); op = Op::Of(Op::Replace, 0, NewSourceOf(100, data)); break;
            // The same size in place: the stored directory stays as it is.
            default: MakeArchive(4, 3); op = Op::Of(Op::Replace, 2, NewSourceOf(5000, data));
        }
        op.data = data;
        op.what = "scenario " + std::to_string(scenario) + (single_ ? ", single-file" : ", paired");
        return op;
    }

    std::string NewSourceOf(size_t length, Bytes& data) {
        data = RandomBytes(length);
        const std::string name = "src" + std::to_string(sources_++);
        Write(name, data);
        return name;
    }

    bool RunSequence(bool single, unsigned seed) {
        rng_.seed(seed);
        log_.str("");
        CleanFolder();
        ResetState();
        single_ = single;
        memory_.clear();
        StartArchive();
        if (!Reopened("open")) return false;
        const int steps = Pick(10, 40);
        for (int step = 0; step < steps; ++step) {
            if (!RandomStep()) return false;
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

    int64_t ImgLength() const {
        std::error_code error;
        const auto length = std::filesystem::file_size(Path("a.img"), error);
        return error ? 0 : static_cast<int64_t>(length);
    }

    int64_t DirectoryEnd(size_t count) const { return single_ ? 8 + 32 * static_cast<int64_t>(count) : 0; }

    // An archive from elsewhere: a ragged .img, blocks at sector 0, size-0
    // entries, entries sharing an offset or lying past the end.
    void StartArchive() {
        const int entries = Chance(15) ? Pick(55, 70) : Pick(0, 8);
        int64_t length = int64_t{Pick(0, 10)} * 2048 + (Chance(50) ? Pick(1, 2047) : 0);
        length = std::max(length, DirectoryEnd(static_cast<size_t>(entries)));
        Bytes image = RandomBytes(static_cast<size_t>(length));
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
        if (single_) {
            const Bytes head = SingleFileImage(entries, table);
            std::copy(head.begin(), head.end(), image.begin());
        } else {
            Write("a.dir", ToBytes(table));
        }
        Write("a.img", image);
        IMGLoadImg("a.img");
        stored_ = table;
        log_ << "open " << (single_ ? "single-file" : "paired") << ", " << entries << " entries, .img " << length
             << " bytes\n";
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

    Op RandomWrite() {
        const int count = static_cast<int>(memory_.size());
        const int kind = Pick(0, 99);
        Op op;
        std::ostringstream what;
        if (kind < 35 || count == 0) {
            op.kind = Op::Add;
            op.source = Chance(10) ? "missing" + std::to_string(sources_++) : NewSource(0, op.data);
            what << "add " << op.source << " (" << op.data.size() << " bytes)";
        } else if (kind < 75) {
            op.kind = Op::Replace;
            op.index = Pick(0, count - 1);
            op.force = std::vector<uint32_t>{0, 0, 1, 2, 255, 0x101}[Pick(0, 5)];
            op.source = Chance(5) ? "missing" : NewSource(memory_[op.index].entry.size, op.data);
            what << "replace " << op.index << " with " << op.source << " (" << op.data.size() << " bytes), force "
                 << op.force;
        } else if (kind < 90) {
            op.kind = Op::Delete;
            op.index = Pick(-1, count);
            what << "delete " << op.index;
        } else {
            op.kind = Op::Rewrite;
            what << "rewrite";
        }
        op.what = what.str();
        return op;
    }

    bool RandomStep() {
        const int kind = Pick(0, 99);
        if (kind < 50) return Plain(RandomWrite());
        if (kind < 60) return SetRecord();
        if (kind < 66) return Remove();
        if (kind < 72) return Reopened("reopen");
        if (kind < 77) return Detour();
        if (kind < 80) return OtherProgram();
        if (kind < 90) return Failing(RandomWrite());
        return Crashing(RandomWrite());
    }

    // ---- the rules ------------------------------------------------------

    bool Mismatch(const std::string& step, const std::string& detail) {
        log_ << "  after \"" << step << "\": " << detail << "\n";
        return false;
    }

    // The table a successful op leaves, before any rewrite moves blocks,
    // with the old index of each entry (-1 for a new one).
    std::vector<int> Structure(const Op& op, std::vector<Tracked>& table) const {
        std::vector<int> origin(table.size());
        for (size_t i = 0; i < origin.size(); ++i) origin[i] = static_cast<int>(i);
        if (op.kind == Op::Add) {
            TImgEntry added = Slot(static_cast<int>(table.size()));  // the name as the library stored it
            table.push_back({added, {}, 0});
            origin.push_back(-1);
        } else if (op.kind == Op::Delete && op.index >= 0 && op.index < static_cast<int>(table.size())) {
            table.erase(table.begin() + op.index);
            origin.erase(origin.begin() + op.index);
        }
        return origin;
    }

    // Whether the data of a replace must stay in the entry's slot.
    bool StaysInPlace(const Op& op, const std::vector<Tracked>& before, int64_t oldLength) const {
        if (op.kind != Op::Replace || (op.force & 0xFF) == 1) return false;
        const TImgEntry& e = before[op.index].entry;
        if (int64_t{e.size} * 2048 < Rounded(op.data.size()) || End(e) > oldLength) return false;
        if (Start(e) < DirectoryEnd(before.size())) return false;
        for (size_t k = 0; k < before.size(); ++k) {
            if (static_cast<int>(k) != op.index && Overlap(before[k].entry, e)) return false;
        }
        return true;
    }

    // A record that changed without being the target: only a single-file
    // rewrite may have moved it out of the directory's way.
    bool MovedLawfully(const TImgEntry& was, const TImgEntry& now, int64_t directoryEnd, int64_t oldLength) const {
        return single_ && Start(was) <= directoryEnd && now.size == was.size + 1 && Start(now) >= oldLength &&
               std::memcmp(was.name, now.name, 24) == 0;
    }

    static bool HoldsItsBytes(size_t k, const Tracked& was) {
        const Bytes now = Exported(static_cast<int>(k));
        return now.size() >= was.known && std::equal(was.content.begin(), was.content.begin() + static_cast<std::ptrdiff_t>(was.known), now.begin());
    }

    bool KeepsItsBytes(const std::string& step, size_t k, const Tracked& was) {
        return HoldsItsBytes(k, was) || Mismatch(step, "data of entry " + std::to_string(k) + " lost");
    }

    // Non-target entries against what they were; target -1 for none.
    bool OthersKept(const std::string& step, const std::vector<Tracked>& table, const std::vector<int>& origin,
                    int target, int64_t oldLength) {
        const int64_t directoryEnd = DirectoryEnd(table.size());
        for (size_t k = 0; k < table.size(); ++k) {
            if (origin[k] < 0 || origin[k] == target) continue;
            const TImgEntry now = Slot(static_cast<int>(k));
            if (!SameEntry(now, table[k].entry) && !MovedLawfully(table[k].entry, now, directoryEnd, oldLength)) {
                return Mismatch(step, "record " + std::to_string(k) + " changed");
            }
            if (!KeepsItsBytes(step, k, table[k])) return false;
        }
        return true;
    }

    bool TargetHoldsItsSource(const Op& op, const std::vector<Tracked>& before, int64_t oldLength) {
        const int k = op.kind == Op::Add ? static_cast<int>(before.size()) : op.index;
        const TImgEntry now = Slot(k);
        const bool inPlace = StaysInPlace(op, before, oldLength);
        // Appended under a directory that reaches past the old end, the data
        // moves on with the rewrite, one zero sector larger.
        const size_t count = before.size() + (op.kind == Op::Add ? 1 : 0);
        const bool movedOn = single_ && !inPlace && (oldLength + 2047) / 2048 * 2048 <= DirectoryEnd(count);
        Bytes expected = op.data;
        expected.resize(static_cast<size_t>(Rounded(op.data.size()) + (movedOn ? 2048 : 0)));
        if (Exported(k) != expected) return Mismatch(op.what, "the target does not read its source");
        if (inPlace && now.offset != before[k].entry.offset) return Mismatch(op.what, "data left a slot it fits");
        if (!inPlace && Start(now) < (oldLength + 2047) / 2048 * 2048) {
            return Mismatch(op.what, "data not at the end of the .img");
        }
        return true;
    }

    // In a single-file archive the directory covers no entry's data.
    bool ClearOfTheDirectory(const std::string& step) {
        for (size_t k = 0; single_ && k < memory_.size(); ++k) {
            if (Start(Slot(static_cast<int>(k))) <= DirectoryEnd(memory_.size())) {
                return Mismatch(step, "the directory covers entry " + std::to_string(k));
            }
        }
        return true;
    }

    std::vector<TImgEntry> Records() const {
        std::vector<TImgEntry> records;
        for (int k = 0; k < IMGFileCount(); ++k) records.push_back(Slot(k));
        return records;
    }

    std::vector<TImgEntry> StoredOnDisk() const {
        if (!single_) {
            const Bytes dir = Read("a.dir");
            std::vector<TImgEntry> records(dir.size() / 32);
            if (!records.empty()) std::memcpy(records.data(), dir.data(), records.size() * 32);
            return records;
        }
        const Bytes img = Read("a.img");
        int32_t count = 0;
        if (img.size() >= 8) std::memcpy(&count, img.data() + 4, 4);
        std::vector<TImgEntry> records(static_cast<size_t>(std::max(count, 0)));
        if (!records.empty() && img.size() >= 8 + records.size() * 32) {
            std::memcpy(records.data(), img.data() + 8, records.size() * 32);
        }
        return records;
    }

    bool StoredIsTheTable(const std::string& step) {
        if (!SameRecords(StoredOnDisk(), Records())) return Mismatch(step, "stored directory differs from the table");
        stored_ = Records();
        return true;
    }

    // Takes the library's records and bytes as the new expectation.
    void Adopt() {
        const int64_t length = ImgLength();
        memory_.clear();
        for (int k = 0; k < IMGFileCount(); ++k) {
            const TImgEntry e = Slot(k);
            const int64_t inside = std::clamp<int64_t>(length - Start(e), 0, int64_t{e.size} * 2048);
            memory_.push_back({e, Exported(k), static_cast<size_t>(inside)});
        }
    }

    bool Settled(const std::string& step) {
        if (!std::filesystem::is_empty(Path("tmp"))) return Mismatch(step, "scratch file left behind");
        Adopt();
        return true;
    }

    bool Succeeded(const Op& op, const std::vector<Tracked>& before, int64_t oldLength) {
        const std::string error = IMGGetLastError();
        if (!error.empty()) return Mismatch(op.what, "failed: " + error);
        std::vector<Tracked> table = before;
        const std::vector<int> origin = Structure(op, table);
        if (IMGFileCount() != static_cast<int32_t>(table.size())) return Mismatch(op.what, "entry count");
        memory_ = table;
        const int target = op.Missing() ? -1 : op.kind == Op::Add ? -1 : op.kind == Op::Replace ? op.index : -1;
        if (!OthersKept(op.what, table, origin, target, oldLength)) return false;
        if (!op.Missing() && (op.kind == Op::Add || op.kind == Op::Replace) && !TargetHoldsItsSource(op, before, oldLength)) {
            return false;
        }
        if (op.Missing() && op.kind != Op::Delete && op.kind != Op::Rewrite) return Settled(op.what);
        return ClearOfTheDirectory(op.what) && StoredIsTheTable(op.what) && Settled(op.what);
    }

    // ---- the steps ------------------------------------------------------

    bool Plain(const Op& op) {
        log_ << op.what << "\n";
        const std::vector<Tracked> before = memory_;
        const int64_t oldLength = ImgLength();
        platform::TakeNotes();
        op.Call();
        return Succeeded(op, before, oldLength);
    }

    bool SetRecord() {
        if (memory_.empty()) return true;
        const int index = Pick(0, static_cast<int>(memory_.size()) - 1);
        TImgEntry e = memory_[index].entry;
        const int64_t sectors = ImgLength() / 2048;
        e.offset = Chance(30) ? memory_[Pick(0, static_cast<int>(memory_.size()) - 1)].entry.offset
                   : Chance(30) ? 0
                                : static_cast<uint32_t>(Pick(0, static_cast<int>(sectors) + 2));
        e.size = static_cast<uint32_t>(Chance(20) ? 0 : Pick(1, 4));
        IMGSetThisFile(index, &e);
        log_ << "set " << index << " to offset " << e.offset << " size " << e.size << "\n";
        Adopt();
        return true;
    }

    bool Remove() {
        const int index = Pick(-1, static_cast<int>(memory_.size()));
        log_ << "remove " << index << "\n";
        std::vector<Tracked> table = memory_;
        const Op op = Op::Of(Op::Delete, index);
        const std::vector<int> origin = Structure(op, table);
        IMGRemoveFile(index);
        if (IMGFileCount() != static_cast<int32_t>(table.size())) return Mismatch("remove", "entry count");
        if (!OthersKept("remove", table, origin, -1, ImgLength())) return false;
        Adopt();
        return true;
    }

    // Opens "a" again: the stored directory comes back whole.
    bool Reopened(const std::string& step) {
        log_ << step << "\n";
        IMGLoadImg(Chance(50) ? "a.img" : "a");
        if (!std::string(IMGGetLastError()).empty()) return Mismatch(step, std::string("open: ") + IMGGetLastError());
        if (!SameRecords(Records(), stored_)) return Mismatch(step, "the stored directory did not come back");
        std::vector<Tracked> table;
        for (size_t k = 0; k < stored_.size(); ++k) {
            const auto same = std::find_if(memory_.begin(), memory_.end(), [&](const Tracked& t) {
                return SameEntry(t.entry, stored_[k]);
            });
            // An entry known in memory must read as it did.
            if (same != memory_.end() && !KeepsItsBytes(step, k, *same)) return false;
        }
        Adopt();
        return true;
    }

    // Another archive, or "a" opened so that its directory is not read whole:
    // writes fail and change nothing; "a" is as it was afterwards.
    bool Detour() {
        const Bytes img = Read("a.img"), dir = Read("a.dir");
        const int kind = Pick(0, 5);
        std::string path = "a";
        bool whole = false;
        switch (kind) {
            case 0: faults::Hold(Path(single_ ? "a.img" : "a.dir")); path = Path("a"); break;
            case 1: Write("b.dir", ToBytes({Entry(0, 1, "b0")})); Write("b.img", RandomBytes(2048)); path = "b"; whole = true; break;
            case 2: Write("b.img", Bytes(static_cast<size_t>(Pick(0, 7)), 'V')); path = "b.img"; whole = true; break;
            case 3: Write("b.img", SingleFileImage(Pick(2, 9), {Entry(1, 1, "short")})); path = "b"; break;
            case 4: path = "nothing-here"; break;
            default:
                if (single_) return true;
                std::filesystem::rename(Path("a.dir"), Path("a.dir.away"));
                path = "a.img";
                whole = img.size() < 8;  // a new, empty single-file archive
        }
        log_ << "detour " << kind << ": open " << path << "\n";
        IMGLoadImg(path.c_str());
        const std::string error = IMGGetLastError();
        if (error.empty() != whole) return Mismatch("detour", "open reported \"" + error + "\"");
        if (kind == 5 && whole) {  // nothing to refuse: it rightly opened empty
            std::filesystem::rename(Path("a.dir.away"), Path("a.dir"));
            return Reopened("back to a");
        }
        Op op = RandomWrite();
        if (op.kind == Op::Replace || op.kind == Op::Delete) op.index = 0;
        if (op.Missing() || IMGFileCount() == 0) op = Op::Of(Op::Add, -1, NewSource(0, op.data));
        op.Call();
        log_ << "  " << op.what << ": " << IMGGetLastError() << "\n";
        if (!whole && std::string(IMGGetLastError()).find("was not read whole") == std::string::npos) {
            return Mismatch("detour", "a write on a directory not read whole");
        }
        faults::Reset();
        if (kind == 5) std::filesystem::rename(Path("a.dir.away"), Path("a.dir"));
        if (Read("a.img") != img || Read("a.dir") != dir) return Mismatch("detour", "the files of \"a\" changed");
        std::filesystem::remove(Path("b.img"));
        std::filesystem::remove(Path("b.dir"));
        return Reopened("back to a");
    }

    // Another program changes the stored directory: a write fails and
    // changes nothing; a re-open reads the other program's directory.
    bool OtherProgram() {
        std::vector<TImgEntry> theirs = StoredOnDisk();
        // Not over the data of an entry at sector 0 (an archive from elsewhere).
        const auto atZero = [](const TImgEntry& e) { return e.offset == 0 && e.size > 0; };
        if (single_ && (theirs.empty() || std::any_of(theirs.begin(), theirs.end(), atZero) ||
                        std::any_of(memory_.begin(), memory_.end(), [&](const Tracked& t) { return atZero(t.entry); }))) {
            return true;
        }
        if (single_) {
            Bytes img = Read("a.img");
            img[16] = img[16] == 'Z' ? 'Y' : 'Z';  // the first letter of the first name
            theirs[0].name[0] = static_cast<char>(img[16]);
            Write("a.img", img);
        } else {
            theirs.push_back(Entry(0, 0, "theirs"));
            Write("a.dir", ToBytes(theirs));
        }
        const Bytes img = Read("a.img"), dir = Read("a.dir");
        Op op = RandomWrite();
        if (op.Missing()) op = Op::Of(Op::Rewrite);
        log_ << "another program changes the directory; " << op.what << "\n";
        op.Call();
        const std::string expected = "Directory of " + State.ArchivePath + " was changed by another program";
        if (IMGGetLastError() != expected) return Mismatch(op.what, std::string("got \"") + IMGGetLastError() + "\"");
        if (Read("a.img") != img || Read("a.dir") != dir) return Mismatch(op.what, "a refused call changed files");
        stored_ = theirs;
        return Reopened("reopen after another program");
    }

    Snapshot Take() const {
        const int32_t count = State.EntryCount;
        Snapshot s{std::vector<TImgEntry>(State.EntryTable, State.EntryTable + std::min(count + 1, kMaxEntries)),
                   count, State.SingleFileMode, State.RelocationInProgress, State.DirectoryReadWhole,
                   State.TableHoldsStored, State.StoredLength, State.StoredCopy,
                   State.HeaderBuffer, Read("a.img"), Read("a.dir"), std::filesystem::exists(Path("a.dir"))};
        return s;
    }

    void PutBack(const Snapshot& s) {
        std::copy(s.slots.begin(), s.slots.end(), State.EntryTable);
        State.EntryCount = s.count;
        State.SingleFileMode = s.single;
        State.RelocationInProgress = s.relocating;
        State.DirectoryReadWhole = s.whole;
        State.TableHoldsStored = s.tableHoldsStored;
        State.StoredLength = s.storedLength;
        State.StoredCopy = s.storedCopy;
        State.HeaderBuffer = s.header;
        Write("a.img", s.img);
        if (s.hasDir) Write("a.dir", s.dir);
        std::filesystem::remove(Path("a.img-journal"));
        ClearLeftovers();
        faults::Reset();
    }

    // Scratch files and new .dir files that a failed or crashed call may
    // leave (never the journal: the next open must find it).
    void ClearLeftovers() {
        for (const auto& item : std::filesystem::directory_iterator(Path("tmp"))) std::filesystem::remove(item);
        for (const auto& item : std::filesystem::directory_iterator(dir_)) {
            if (item.path().filename().string().find('~') != std::string::npos) std::filesystem::remove(item);
        }
    }

    // Changes to the disk the op makes when nothing goes wrong.
    int64_t Trial(const Op& op, std::vector<TImgEntry>* after = nullptr) {
        const Snapshot s = Take();
        faults::Reset();
        op.Call();
        const int64_t changes = faults::Changes();
        if (after) *after = std::string(IMGGetLastError()).empty() ? StoredOnDisk() : std::vector<TImgEntry>{};
        PutBack(s);
        platform::TakeNotes();
        return changes;
    }

    // A refused open, a failed write or a failed read, then a rewrite
    // without faults or a re-open.
    bool Failing(const Op& op) {
        std::vector<TImgEntry> newDirectory;
        const int64_t changes = Trial(op, &newDirectory);
        if (changes == 0) return Plain(op);
        const std::vector<Tracked> before = memory_;
        const std::vector<TImgEntry> oldDirectory = StoredOnDisk();
        const int64_t oldLength = ImgLength();
        const Bytes img = Read("a.img"), dir = Read("a.dir");
        const int kind = Pick(0, 9);
        const bool holdImg = single_ || Chance(50);
        if (kind < 2) {
            faults::Hold(holdImg ? ImgPath() : DirPath());
        } else if (kind < 4) {
            faults::FailReadAt(Chance(50) ? ImgPath() : Path(op.source), Pick(0, static_cast<int>(oldLength)));
        } else {
            faults::FailChange(Pick(0, static_cast<int>(changes) - 1), Chance(50) ? 0 : Pick(1, 3000));
        }
        op.Call();
        const std::string error = IMGGetLastError();
        log_ << op.what << (kind < 2 ? ", a file held" : kind < 4 ? ", a read failing" : ", a change failing") << ": \""
             << error << "\"\n";
        faults::Reset();
        if (error.empty()) {
            ClearLeftovers();  // a failed removal of a scratch file is no failure
            return Succeeded(op, before, oldLength);
        }
        // The .img is opened before anything is written; the .dir only after the data.
        if (kind < 2 && holdImg && (Read("a.img") != img || Read("a.dir") != dir)) {
            return Mismatch(op.what, "a refused call changed files");
        }
        std::vector<Tracked> table = before;
        // An add refused before it began has no new entry.
        const bool added = op.kind != Op::Add || static_cast<size_t>(IMGFileCount()) > before.size();
        const std::vector<int> origin = Structure(added ? op : Op::Of(Op::Rewrite), table);
        if (static_cast<size_t>(IMGFileCount()) == table.size() &&
            !OthersKept(op.what, table, origin, op.kind == Op::Replace ? op.index : -1, oldLength)) {
            return false;
        }
        ClearLeftovers();
        if (Chance(50)) return ReopenedAfter(op, before, oldDirectory, newDirectory);
        IMGReDoDir();
        if (!std::string(IMGGetLastError()).empty()) return Mismatch("rewrite after a failure", IMGGetLastError());
        memory_ = table;
        return ClearOfTheDirectory("rewrite after a failure") && StoredIsTheTable("rewrite after a failure") &&
               Settled("rewrite after a failure");
    }

    // The process dies at one of the op's changes, and with it the power:
    // of the writes not yet flushed a part is lost.  A new one opens "a".
    bool Crashing(const Op& op) {
        IMGReDoDir();  // the stored directory is then the table in memory
        if (!StoredIsTheTable("rewrite before a crash") || !Settled("rewrite before a crash")) return false;
        std::vector<TImgEntry> newDirectory;
        const int64_t changes = Trial(op, &newDirectory);
        const int64_t at = Pick(0, static_cast<int>(changes));
        const std::vector<Tracked> before = memory_;
        faults::CrashAt(at);
        op.Call();
        const int64_t kept = Pick(0, static_cast<int>(faults::Unflushed()));
        const bool tear = Chance(50);
        log_ << op.what << ", crashing at change " << at << " of " << changes << ", keeping " << kept
             << (tear ? " and half" : "") << " of " << faults::Unflushed() << " unflushed\n";
        faults::PowerLoss(kept, tear);
        ClearLeftovers();
        ResetState();
        return ReopenedAfter(op, before, stored_, newDirectory);
    }

    // A re-open after op failed or crashed: the directory is the old or the
    // new one, whole; every other entry reads its old bytes, the target its
    // old or its new ones.
    bool ReopenedAfter(const Op& op, const std::vector<Tracked>& before, const std::vector<TImgEntry>& oldDirectory,
                       const std::vector<TImgEntry>& newDirectory) {
        IMGLoadImg("a");
        if (!std::string(IMGGetLastError()).empty()) return Mismatch(op.what, std::string("re-open: ") + IMGGetLastError());
        if (std::filesystem::exists(Path("a.img-journal"))) return Mismatch(op.what, "the journal outlived the open");
        const std::vector<TImgEntry> now = Records();
        const bool isOld = SameRecords(now, oldDirectory), isNew = SameRecords(now, newDirectory);
        if (!isOld && !isNew) return Mismatch(op.what, "the stored directory is neither the old nor the new");
        // Entries are known by their records: the stored directory need not
        // hold what the table held in memory.  The target reads its old bytes
        // under its old record, or its source where the new directory puts it.
        const bool replaced = op.kind == Op::Replace && !op.Missing();
        int sourceAt = !isNew || op.Missing() ? -1 : op.kind == Op::Add ? static_cast<int>(before.size()) : replaced ? op.index : -1;
        for (size_t k = 0; k < now.size(); ++k) {
            const auto same = std::find_if(before.begin(), before.end(),
                                           [&](const Tracked& t) { return SameEntry(t.entry, now[k]); });
            if (same == before.end()) continue;
            if (!replaced || same - before.begin() != op.index) {
                if (!KeepsItsBytes(op.what + " (re-opened)", k, *same)) return false;
            } else if (HoldsItsBytes(k, *same)) {
                if (static_cast<int>(k) == sourceAt) sourceAt = -1;
            } else if (static_cast<int>(k) != sourceAt) {
                return Mismatch(op.what + " (re-opened)", "the target reads neither its old bytes nor its source");
            }
        }
        if (sourceAt >= 0 && !ReadsItsSource(op, sourceAt)) return false;
        stored_ = now;
        Adopt();
        return true;
    }

    // The data of a replace or add, padded with zeros; a move by the
    // rewrite may have added a zero sector.
    bool ReadsItsSource(const Op& op, int k) {
        Bytes expected = op.data;
        expected.resize(static_cast<size_t>(Rounded(op.data.size())));
        Bytes now = Exported(k);
        if (now.size() == expected.size() + 2048 && std::all_of(now.end() - 2048, now.end(), [](auto b) { return b == 0; })) {
            now.resize(expected.size());
        }
        return now == expected || Mismatch(op.what, "the target does not read its source");
    }

    std::mt19937 rng_;
    std::ostringstream log_;
    bool single_ = false;
    std::vector<Tracked> memory_;
    std::vector<TImgEntry> stored_;
    int sources_ = 0;
};

TEST_F(ModelTest, PairedLayoutLosesNoData) { RunSequences(false); }

TEST_F(ModelTest, SingleFileLayoutLosesNoData) { RunSequences(true); }

TEST_F(ModelTest, EveryCrashLeavesTheOldArchiveOrTheNew) {
    IMGSetRaiseOnError(0);
    const int64_t paired = CrashEverywhere(false), single = CrashEverywhere(true);
    IMGSetRaiseOnError(1);
    std::printf("crashes tried: %lld paired, %lld single-file\n", static_cast<long long>(paired),
                static_cast<long long>(single));
}

}  // namespace
}  // namespace tolvane::testing
