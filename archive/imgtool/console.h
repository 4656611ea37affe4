// Standard output and error on a Windows console.  imgtool's text is 8-bit in
// the ANSI code page (paths as the library takes them, entry names), while
// the console shows another code page (866 beside 1251 on Russian Windows):
// so text for a console is written to it in UTF-16, and every name shows
// whatever the console's code page.  Into a file or a pipe the bytes go as
// they are.  Elsewhere this does nothing.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>

namespace imgtool {

class ConsoleText {
public:
    ConsoleText();   // takes over std::cout and std::cerr where they are consoles
    ~ConsoleText();  // flushes them and gives them back
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

private:
    struct Redirect {
        std::ostream* stream;
        std::streambuf* previous;
        std::unique_ptr<std::streambuf> console;
    };
    Redirect redirects_[2];
};

}  // namespace imgtool
