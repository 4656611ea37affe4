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
#include "file_plan.h"
#include "imgtool.h"
#include "library.h"
#include "names.h"
#include "progress.h"
#include "rebuild.h"
#include "selection.h"
#include "wildcards.h"

#ifdef _WIN32
#include <direct.h>
#endif

namespace imgtool {
namespace {

const char kHelpText[] =
    "usage: imgtool COMMAND ARCHIVE [ARGUMENTS] [OPTIONS]\n"
    "\n"
    "ARCHIVE is NAME.img (with NAME.dir beside it, or a single VER2 file) or\n"
    "NAME.dir.\n"
    "\n"
    "commands:\n"
    "  create ARCHIVE [--paired]   a new, empty archive: one VER2 .img, or with\n"
    "                              --paired an empty .dir and .img\n"
    "  list ARCHIVE                index, offset, size (sectors) and name of\n"
    "                              every entry\n"
    "  info ARCHIVE                layout, entries, sectors and the unused share\n"
    "  check ARCHIVE               report entries past the end of the .img,\n"
    "                              overlapping slots (an exactly shared slot is\n"
    "                              fine), slots under a single-file directory,\n"
    "                              names without a terminator or used twice, and\n"
    "                              a count the files cannot hold; exit 1 if any\n"
    "  extract ARCHIVE ENTRY...    write entries to files named after them\n"
    "  extract-all ARCHIVE         write every entry; a name written already\n"
    "                              gets a number: NAME (2).EXT\n"
    "  import ARCHIVE FILE...      put each file into the entry of its name, or\n"
    "                              add it when there is none\n"
    "  add ARCHIVE FILE...         add files as new entries\n"
    "  replace ARCHIVE ENTRY FILE  put a file's contents into an entry\n"
    "  delete ARCHIVE ENTRY...     remove entries from the directory\n"
    "  rebuild ARCHIVE [OUT]       write a compacted copy, check it, and\n"
    "                              (without OUT) put it in the archive's place\n"
    "\n"
    "options:\n"
    "  -o DIR        extract and extract-all write into DIR\n"
    "  --cut-names   import and add keep the first 23 bytes of a longer name\n"
    "  -q, --quiet   no progress and no summary; problems are still shown\n"
    "  --version     the versions of imgtool and of the library\n"
    "  -h, --help    this text\n"
    "\n"
    "FILE may hold the wildcards * and ? in its last part: mods\\*.dff.\n"
    "import and add check every file first and change nothing when one is\n"
    "missing or a folder, when a name is longer than 23 bytes, or when two\n"
    "files would go into one entry.  Names compare without case, Latin and\n"
    "Cyrillic (code page 1251) alike.  ENTRY is an entry name or, when no\n"
    "name matches, a 0-based index.  list, info, check and extract leave the\n"
    "archive's files as they were, attributes included.\n"
    "\n"
    "exit codes: 0 done, 1 failed (check: problems found), 2 bad command\n"
    "line, 3 no such archive, entry or file\n";

struct CommandLine {
    std::string command;
    std::vector<std::string> operands;  // the archive first
    std::string outputDir = ".";
    bool paired = false;
    bool cutNames = false;
    bool quiet = false;
};

ToolError Usage(const std::string& message) { return ToolError(message + " (see imgtool --help)", kUsage); }

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

CommandLine Parse(const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (++i == args.size()) throw Usage("-o needs a folder");
            line.outputDir = args[i];
        } else if (args[i] == "--paired") {
            line.paired = true;
        } else if (args[i] == "--cut-names") {
            line.cutNames = true;
        } else if (args[i] == "-q" || args[i] == "--quiet") {
            line.quiet = true;
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
    if (line.cutNames && line.command != "import" && line.command != "add") {
        throw Usage(line.command + ": --cut-names is for import and add");
    }
    for (const std::string& operand : line.operands) {
        if (IsOption(operand)) throw Usage(line.command + ": unknown option " + operand);
    }
}

// Where progress and summaries go: nowhere with --quiet.
std::ostream& Chatter(const CommandLine& line, std::ostream& stream) {
    static std::ostream nowhere(nullptr);
    return line.quiet ? nowhere : stream;
}

std::string Counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::vector<std::string> Files(const CommandLine& line) {
    return ExpandWildcards({line.operands.begin() + 1, line.operands.end()});
}

// Shows every problem found before a change and refuses the command.
void RefuseOnProblems(const FilePlan& plan, const char* what, std::ostream& err) {
    if (plan.problems.empty()) return;
    for (const std::string& problem : plan.problems) err << "imgtool: " << problem << '\n';
    throw ToolError(std::string("nothing ") + what + ": " + Counted(plan.problems.size(), "problem", "problems"),
                    plan.code);
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
    lib.OpenToRead(line.operands[0]);
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

// The layout of an archive opened to read, which must be one: a single .img
// that does not begin with "VER2" holds no directory.
StoredLayout RequireArchive(const Library& lib) {
    const StoredLayout layout = ReadLayout(lib);
    if (!layout.hasMagic) {
        throw ToolError("not an archive: " + lib.ImgPath() + " does not begin with \"VER2\" (is its .dir missing?)",
                        kFailed);
    }
    return layout;
}

int Info(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 1, 1);
    Library lib;
    lib.OpenToRead(line.operands[0], true);
    RequireArchive(lib);
    uint64_t used = 0;
    for (const TImgEntry& e : lib.Entries()) used += e.size;
    const uint64_t imgBytes = FileSize(lib.ImgPath());
    out << "layout:      " << (lib.SingleFile() ? "single file (VER2 header in the .img)" : "paired (.dir and .img)")
        << '\n'
        << "entries:     " << lib.Count() << '\n'
        << "used:        " << used << " sectors\n"
        << "img:         " << imgBytes << " bytes, " << imgBytes / TOLVANE_SECTOR_SIZE << " whole sectors\n"
        << "unused:      " << lib.HowMuchFragmented() << "%\n";
    if (!lib.PartialRead().empty()) {
        out << "warning:     " << lib.PartialRead() << '\n';
    }
    return kOk;
}

int Check(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 1, 1);
    Library lib;
    lib.OpenToRead(line.operands[0], true);
    std::vector<std::string> problems = FindProblems(RequireArchive(lib), lib.Entries());
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
    Chatter(line, out) << "created: " << (line.paired ? dir + " and " + img : img) << '\n';
    return kOk;
}

int Import(const CommandLine& line, std::ostream& out, std::ostream& err) {
    RequireOperands(line, 2, SIZE_MAX);
    Library lib;
    lib.Open(line.operands[0]);
    const FilePlan plan = PlanFiles(lib.Entries(), Files(line), FileMode::Import, line.cutNames);
    RefuseOnProblems(plan, "imported", err);
    size_t replaced = 0;
    Progress progress(Chatter(line, err), "importing", static_cast<int64_t>(plan.files.size()));
    for (size_t i = 0; i < plan.files.size(); ++i) {
        if (const auto index = plan.files[i].replaces) {
            lib.ReplaceFile(*index, plan.files[i].path);
            ++replaced;
        } else {
            lib.AddFile(plan.files[i].path);
        }
        progress.Step(static_cast<int64_t>(i + 1));
    }
    progress.Finish();
    Chatter(line, out) << "imported: " << replaced << " replaced, " << plan.files.size() - replaced << " added\n";
    return kOk;
}

// "car.dff" numbered 2 is "car (2).dff".
std::string Numbered(const std::string& name, int number) {
    const size_t dot = name.rfind('.');
    const size_t at = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, at) + " (" + std::to_string(number) + ")" + name.substr(at);
}

// Writes the chosen entries to files in the output folder.  Names compare as
// Windows compares file names, so an entry whose name was written already
// gets a numbered one instead of overwriting that file, and the tool says so.
int ExtractEntries(const Library& lib, const std::vector<int32_t>& chosen, const CommandLine& line,
                   std::ostream& err) {
    MakeFolders(line.outputDir);
    std::set<std::string> used;
    Progress progress(Chatter(line, err), "extracting", static_cast<int64_t>(chosen.size()));
    for (size_t n = 0; n < chosen.size(); ++n) {
        const int32_t index = chosen[n];
        const std::string safe = SafeFileName(NameOf(lib.Entry(index)), index);
        std::string name = safe;
        for (int number = 2; !used.insert(FoldName(name)).second; ++number) name = Numbered(safe, number);
        lib.ExportFile(index, Join(line.outputDir, name));
        progress.Step(static_cast<int64_t>(n + 1));
        if (name != safe) {
            progress.Finish();
            err << "imgtool: entry " << index << " (" << safe << ") written as " << name
                << ": a file of that name was written already\n";
        }
    }
    return kOk;
}

int Extract(const CommandLine& line, std::ostream&, std::ostream& err) {
    RequireOperands(line, 2, SIZE_MAX);
    Library lib;
    lib.OpenToRead(line.operands[0]);
    std::vector<int32_t> chosen;
    for (size_t i = 1; i < line.operands.size(); ++i) chosen.push_back(Select(lib, line.operands[i]));
    return ExtractEntries(lib, chosen, line, err);
}

int ExtractAll(const CommandLine& line, std::ostream&, std::ostream& err) {
    RequireOperands(line, 1, 1);
    Library lib;
    lib.OpenToRead(line.operands[0]);
    std::vector<int32_t> all(static_cast<size_t>(lib.Count()));
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int32_t>(i);
    return ExtractEntries(lib, all, line, err);
}

int Add(const CommandLine& line, std::ostream& out, std::ostream& err) {
    RequireOperands(line, 2, SIZE_MAX);
    Library lib;
    lib.Open(line.operands[0]);
    const FilePlan plan = PlanFiles(lib.Entries(), Files(line), FileMode::Add, line.cutNames);
    RefuseOnProblems(plan, "added", err);
    Progress progress(Chatter(line, err), "adding", static_cast<int64_t>(plan.files.size()));
    for (size_t i = 0; i < plan.files.size(); ++i) {
        lib.AddFile(plan.files[i].path);
        progress.Step(static_cast<int64_t>(i + 1));
    }
    progress.Finish();
    Chatter(line, out) << "added: " << Counted(plan.files.size(), "entry", "entries") << '\n';
    return kOk;
}

int Replace(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 3, 3);
    Library lib;
    lib.Open(line.operands[0]);
    const int32_t index = Select(lib, line.operands[1]);
    const std::string file = line.operands[2];
    if (KindOf(file) == Kind::Folder) throw ToolError("not a file: " + file, kNotFound);
    lib.ReplaceFile(index, file);
    const TImgEntry entry = lib.Entry(index);
    Chatter(line, out) << "replaced: entry " << index << " (" << NameOf(entry) << "), now " << entry.size
                       << " sectors at sector " << entry.offset << '\n';
    return kOk;
}

int Delete(const CommandLine& line, std::ostream& out, std::ostream&) {
    RequireOperands(line, 2, SIZE_MAX);
    Library lib;
    lib.Open(line.operands[0]);
    std::set<int32_t> chosen;
    for (size_t i = 1; i < line.operands.size(); ++i) chosen.insert(Select(lib, line.operands[i]));
    // Highest first, so that the indexes still to go stay valid; one rewrite.
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) lib.RemoveFile(*it);
    lib.ReDoDir();
    Chatter(line, out) << "deleted: " << Counted(chosen.size(), "entry", "entries") << ", "
                       << Counted(size_t(lib.Count()), "entry", "entries") << " left\n";
    return kOk;
}

int RebuildCommand(const CommandLine& line, std::ostream& out, std::ostream& err) {
    RequireOperands(line, 1, 2);
    Library lib;
    const std::string archive = line.operands[0];
    std::ostream& progress = Chatter(line, err);
    const RebuildReport report = line.operands.size() == 2 ? RebuildInto(lib, archive, line.operands[1], progress)
                                                           : RebuildInPlace(lib, archive, progress);
    Chatter(line, out) << "rebuilt: " << report.entries << " entries, " << report.oldImgBytes << " -> " << report.newImgBytes
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
        if (line.command == "--version") {
            out << "imgtool " << TOLVANE_VERSION << ", library " << IMGGetVersion() << '\n';
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
