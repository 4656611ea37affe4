// The commands of imgtool and their dispatch.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iomanip>
#include <map>
#include <set>

#include "check.h"
#include "file_info.h"
#include "imgtool.h"
#include "library.h"
#include "progress.h"
#include "rebuild.h"
#include "selection.h"

#ifdef _WIN32
#include <direct.h>
#endif

namespace imgtool {
namespace {

const char kHelpText[] =
    "usage: imgtool COMMAND ARCHIVE [ARGUMENTS]\n"
    "\n"
    "ARCHIVE is NAME.img (with NAME.dir beside it, or a single VER2 file) or NAME.dir.\n"
    "\n"
    "commands:\n"
    "  create ARCHIVE [--paired]            a new, empty archive: one VER2 .img, or with\n"
    "                                       --paired an empty .dir and .img\n"
    "  list ARCHIVE                         index, offset, size (sectors) and name of every entry\n"
    "  info ARCHIVE                         layout, entries, sectors and the unused share\n"
    "  extract ARCHIVE ENTRY... [-o DIR]    write entries to files named after them\n"
    "  extract-all ARCHIVE [-o DIR]         write every entry\n"
    "  add ARCHIVE FILE...                  add files as new entries\n"
    "  import ARCHIVE FILE...               put each file into the entry of its name (letters\n"
    "                                       compared without case), or add it when there is none\n"
    "  replace ARCHIVE ENTRY FILE           put a file's contents into an entry\n"
    "  delete ARCHIVE ENTRY...              remove entries from the directory\n"
    "  rebuild ARCHIVE [OUT]                write a compacted copy, check it, and (without OUT)\n"
    "                                       replace the archive with it\n"
    "  check ARCHIVE                        report entries past the end of the .img, overlapping\n"
    "                                       slots (an exactly shared slot is fine), slots under a\n"
    "                                       single-file directory, names without a terminator and\n"
    "                                       a count the file cannot hold; exit 1 when any\n"
    "\n"
    "ENTRY is an entry name (letters compared without case; the first match counts) or,\n"
    "when no name matches, a 0-based index.\n"
    "\n"
    "exit codes: 0 done, 1 failed (check: problems found), 2 bad command line,\n"
    "3 no such archive, entry or file\n";

struct CommandLine {
    std::string command;
    std::vector<std::string> operands;  // the archive first
    std::string outputDir = ".";
    bool paired = false;
};

ToolError Usage(const std::string& message) { return ToolError(message + " (see imgtool --help)", kUsage); }

CommandLine Parse(const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (++i == args.size()) throw Usage("-o needs a folder");
            line.outputDir = args[i];
        } else if (args[i] == "--paired") {
            line.paired = true;
        } else if (line.command.empty()) {
            line.command = args[i];
        } else {
            line.operands.push_back(args[i]);
        }
    }
    return line;
}

void RequireOperands(const CommandLine& line, size_t least, size_t most) {
    if (line.operands.size() < least) throw Usage(line.command + ": missing arguments");
    if (line.operands.size() > most) throw Usage(line.command + ": too many arguments");
    if (line.paired && line.command != "create") throw Usage(line.command + ": --paired is for create only");
}

int32_t Select(const Library& lib, const std::string& nameOrIndex) {
    const auto index = FindEntry(lib.Entries(), nameOrIndex);
    if (!index) throw ToolError("no such entry: " + nameOrIndex, kNotFound);
    return *index;
}

void MakeFolders(const std::string& path) {
    for (size_t at = 0; at != std::string::npos;) {
        at = path.find_first_of("/\\", at + 1);
        const std::string part = path.substr(0, at);
#ifdef _WIN32
        _mkdir(part.c_str());
#else
        ::mkdir(part.c_str(), 0755);
#endif
    }
    if (KindOf(path) != Kind::Folder) {
        throw ToolError("cannot create folder " + path, kFailed);
    }
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder == ".") return name;
    const char last = folder.back();
    return (last == '/' || last == '\\') ? folder + name : folder + "/" + name;
}

int List(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 1, 1);
    Library lib;
    lib.Open(line.operands[0]);
    uint64_t sectors = 0;
    out << std::setw(6) << "index" << std::setw(11) << "offset" << std::setw(9) << "size" << "  name\n";
    const auto entries = lib.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        out << std::setw(6) << i << std::setw(11) << entries[i].offset << std::setw(9) << entries[i].size << "  "
            << NameOf(entries[i]) << '\n';
        sectors += entries[i].size;
    }
    out << "total: " << entries.size() << " entries, " << sectors << " sectors ("
        << sectors * TOLVANE_SECTOR_SIZE << " bytes)\n";
    return kOk;
}

// The single-file header as stored: whether it begins with "VER2", and its count.
StoredLayout ReadLayout(const Library& lib) {
    StoredLayout layout;
    layout.singleFile = lib.SingleFile();
    layout.imgBytes = FileSize(lib.ImgPath());
    if (!layout.singleFile) {
        layout.dirBytes = FileSize(lib.DirPath());
        return layout;
    }
    const std::string head = ReadStart(lib.ImgPath(), sizeof(TImgHeader));
    if (head.size() < sizeof(TImgHeader)) return layout;  // a new, empty archive
    layout.hasMagic = head.compare(0, 4, "VER2") == 0;
    uint32_t count = 0;
    for (int i = 7; i >= 4; --i) count = count << 8 | static_cast<unsigned char>(head[size_t(i)]);
    layout.storedCount = static_cast<int32_t>(count);
    return layout;
}

int Info(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 1, 1);
    Library lib;
    lib.Open(line.operands[0], true);
    const StoredLayout layout = ReadLayout(lib);
    uint64_t used = 0;
    for (const TImgEntry& e : lib.Entries()) used += e.size;
    const uint64_t imgBytes = FileSize(lib.ImgPath());
    out << "layout:      " << (lib.SingleFile() ? "single file (VER2 header in the .img)" : "paired (.dir and .img)")
        << '\n'
        << "entries:     " << lib.Count() << '\n'
        << "used:        " << used << " sectors\n"
        << "img:         " << imgBytes << " bytes, " << imgBytes / TOLVANE_SECTOR_SIZE << " whole sectors\n"
        << "unused:      " << lib.HowMuchFragmented() << "%\n";
    if (!layout.hasMagic) {
        out << "warning:     the .img does not begin with \"VER2\": not a single-file archive"
               " (is its .dir missing?)\n";
    } else if (!lib.PartialRead().empty()) {
        out << "warning:     " << lib.PartialRead() << '\n';
    }
    return kOk;
}

int Check(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 1, 1);
    Library lib;
    lib.Open(line.operands[0], true);
    std::vector<std::string> problems = FindProblems(ReadLayout(lib), lib.Entries());
    // A .dir that could not be read shows only in the library's message.
    if (problems.empty() && !lib.PartialRead().empty()) problems.push_back(lib.PartialRead());
    for (const std::string& problem : problems) out << problem << '\n';
    if (problems.empty()) {
        out << "no problems: " << lib.Count() << " entries\n";
        return kOk;
    }
    out << problems.size() << (problems.size() == 1 ? " problem\n" : " problems\n");
    return kFailed;
}

int Create(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 1, 1);
    const std::string archive = line.operands[0];
    const std::string img = tolvane::ImgPathOf(archive), dir = tolvane::DirPathOf(archive);
    for (const std::string& path : {img, dir}) {
        if (Exists(path)) throw ToolError("already exists: " + path, kFailed);
    }
    std::vector<std::string> made;
    try {
        for (const std::string& path : line.paired ? std::vector{img, dir} : std::vector{img}) {
            if (!CreateNewFile(path)) throw ToolError("cannot create " + path, kFailed);
            made.push_back(path);
        }
        // The library writes the empty directory: "VER2" and a count of 0, or
        // an empty .dir.
        Library lib;
        lib.Open(archive);
        lib.ReDoDir();
    } catch (...) {
        for (const std::string& path : made) std::remove(path.c_str());
        throw;
    }
    out << "created: " << (line.paired ? dir + " and " + img : img) << '\n';
    return kOk;
}

int Import(const CommandLine& line, std::ostream& out, std::ostream& err) {
    RequireOperands(line, 2, SIZE_MAX);
    const std::vector<std::string> files(line.operands.begin() + 1, line.operands.end());
    // All or nothing for a typo: no file goes in when one is missing.
    for (const std::string& file : files) {
        if (!IsFile(file)) throw ToolError("no such file: " + file, kNotFound);
    }
    Library lib;
    lib.Open(line.operands[0]);
    std::vector<TImgEntry> entries = lib.Entries();
    size_t replaced = 0;
    Progress progress(err, "importing", static_cast<int64_t>(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        if (const auto index = FindName(entries, StoredName(files[i]))) {
            lib.ReplaceFile(*index, files[i]);
            ++replaced;
        } else {
            lib.AddFile(files[i]);
            entries.push_back(lib.Entry(lib.Count() - 1));
        }
        progress.Step(static_cast<int64_t>(i + 1));
    }
    out << "imported: " << replaced << " replaced, " << files.size() - replaced << " added\n";
    return kOk;
}

// Writes the chosen entries to files in the output folder; names that would
// collide get the entry's index added.
int ExtractEntries(const Library& lib, const std::vector<int32_t>& chosen, const std::string& folder,
                   std::ostream& err) {
    MakeFolders(folder);
    std::set<std::string> used;
    Progress progress(err, "extracting", static_cast<int64_t>(chosen.size()));
    for (size_t n = 0; n < chosen.size(); ++n) {
        const int32_t index = chosen[n];
        std::string name = SafeFileName(NameOf(lib.Entry(index)), index);
        std::string key = name;
        for (char& c : key) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        if (!used.insert(key).second) name = "entry" + std::to_string(index) + "_" + name;
        lib.ExportFile(index, Join(folder, name));
        progress.Step(static_cast<int64_t>(n + 1));
    }
    return kOk;
}

int Extract(const CommandLine& line, std::ostream&, std::ostream& err) {
    RequireOperands(line, 2, SIZE_MAX);
    Library lib;
    lib.Open(line.operands[0]);
    std::vector<int32_t> chosen;
    for (size_t i = 1; i < line.operands.size(); ++i) chosen.push_back(Select(lib, line.operands[i]));
    return ExtractEntries(lib, chosen, line.outputDir, err);
}

int ExtractAll(const CommandLine& line, std::ostream&, std::ostream& err) {
    RequireOperands(line, 1, 1);
    Library lib;
    lib.Open(line.operands[0]);
    std::vector<int32_t> all(static_cast<size_t>(lib.Count()));
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int32_t>(i);
    return ExtractEntries(lib, all, line.outputDir, err);
}

int Add(const CommandLine& line, std::ostream&, std::ostream& err) {
    RequireOperands(line, 2, SIZE_MAX);
    Library lib;
    lib.Open(line.operands[0]);
    Progress progress(err, "adding", static_cast<int64_t>(line.operands.size() - 1));
    for (size_t i = 1; i < line.operands.size(); ++i) {
        lib.AddFile(line.operands[i]);
        progress.Step(static_cast<int64_t>(i));
    }
    return kOk;
}

int Replace(const CommandLine& line, std::ostream&, std::ostream&) {
    RequireOperands(line, 3, 3);
    Library lib;
    lib.Open(line.operands[0]);
    lib.ReplaceFile(Select(lib, line.operands[1]), line.operands[2]);
    return kOk;
}

int Delete(const CommandLine& line, std::ostream&, std::ostream&) {
    RequireOperands(line, 2, SIZE_MAX);
    Library lib;
    lib.Open(line.operands[0]);
    std::set<int32_t> chosen;
    for (size_t i = 1; i < line.operands.size(); ++i) chosen.insert(Select(lib, line.operands[i]));
    // Highest first, so that the indexes still to go stay valid; one rewrite.
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) lib.RemoveFile(*it);
    lib.ReDoDir();
    return kOk;
}

int RebuildCommand(const CommandLine& line, std::ostream& out, std::ostream& err) {
    RequireOperands(line, 1, 2);
    Library lib;
    const std::string archive = line.operands[0];
    const RebuildReport report = line.operands.size() == 2 ? RebuildInto(lib, archive, line.operands[1], err)
                                                           : RebuildInPlace(lib, archive, err);
    out << "rebuilt: " << report.entries << " entries, " << report.oldImgBytes << " -> " << report.newImgBytes
        << " bytes\n";
    return kOk;
}

using Handler = std::function<int(const CommandLine&, std::ostream&, std::ostream&)>;

const std::map<std::string, Handler>& Commands() {
    static const std::map<std::string, Handler> commands = {
        {"list", List},     {"info", Info},       {"extract", Extract}, {"extract-all", ExtractAll},
        {"add", Add},       {"replace", Replace}, {"delete", Delete},   {"rebuild", RebuildCommand},
        {"create", Create}, {"import", Import},   {"check", Check},
    };
    return commands;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const CommandLine line = Parse(args);
        if (line.command.empty()) throw Usage("no command");
        if (line.command == "--help" || line.command == "-h" || line.command == "help") {
            out << kHelpText;
            return kOk;
        }
        const auto command = Commands().find(line.command);
        if (command == Commands().end()) throw Usage("unknown command: " + line.command);
        return command->second(line, out, err);
    } catch (const ToolError& e) {
        err << "imgtool: " << e.what() << '\n';
        return e.code;
    } catch (const std::exception& e) {
        err << "imgtool: " << e.what() << '\n';
        return kFailed;
    }
}

}  // namespace imgtool
