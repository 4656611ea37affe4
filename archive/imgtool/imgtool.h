// imgtool: a command-line host of tolvane for people who work with archives.
// Everything it does to an archive goes through the library's exports.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace imgtool {

// Exit codes that scripts can rely on.
enum ExitCode {
    kOk = 0,
    kFailed = 1,    // the operation failed (file error, library failure, check mismatch)
    kUsage = 2,     // unknown command, missing or bad arguments
    kNotFound = 3,  // no such archive, entry or input file
};

// Runs one command line (args without the program name).  Normal output goes
// to out, messages and progress to err.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace imgtool
