#include <iostream>

#include "console.h"
#include "imgtool.h"
#include "progress.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

bool StderrIsConsole() {
#ifdef _WIN32
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    imgtool::SetProgressOnConsole(StderrIsConsole());
    const imgtool::ConsoleText console;
    return imgtool::Run(args, std::cout, std::cerr);
}
