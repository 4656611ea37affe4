#include "console.h"

#include <iostream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace imgtool {
namespace {

#ifdef _WIN32
// Collects the text and writes it as UTF-16 on flush and at each line end
// (a line end is never part of a two-byte character).
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ~ConsoleBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        pending_ += traits_type::to_char_type(c);
        if (c == '\n' && sync() != 0) return traits_type::eof();
        return c;
    }

    int sync() override {
        if (pending_.empty()) return 0;
        const int length = MultiByteToWideChar(CP_ACP, 0, pending_.data(), int(pending_.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(length), L'\0');
        if (length == 0 ||
            MultiByteToWideChar(CP_ACP, 0, pending_.data(), int(pending_.size()), wide.data(), length) != length) {
            return -1;
        }
        pending_.clear();
        DWORD written = 0;
        return WriteConsoleW(console_, wide.data(), DWORD(wide.size()), &written, nullptr) && written == wide.size()
                   ? 0
                   : -1;
    }

private:
    HANDLE console_;
    std::string pending_;
};

std::unique_ptr<std::streambuf> ConsoleBufferFor(bool error) {
    const HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) return nullptr;
    return std::make_unique<ConsoleBuffer>(handle);
}
#else
std::unique_ptr<std::streambuf> ConsoleBufferFor(bool) { return nullptr; }
#endif

}  // namespace

ConsoleText::ConsoleText()
    : redirects_{{&std::cout, nullptr, ConsoleBufferFor(false)}, {&std::cerr, nullptr, ConsoleBufferFor(true)}} {
    for (Redirect& r : redirects_) {
        if (r.console) r.previous = r.stream->rdbuf(r.console.get());
    }
}

ConsoleText::~ConsoleText() {
    for (Redirect& r : redirects_) {
        r.stream->flush();
        if (r.console) r.stream->rdbuf(r.previous);
    }
}

}  // namespace imgtool
